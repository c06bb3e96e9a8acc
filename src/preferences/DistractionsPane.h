#pragma once

#include <QWidget>

#include <functional>

class QListWidget;
class QPushButton;

namespace kr {

class PreferenceControls;

// The "Distractions" pane: the applications listed under
// "excludeApplicationsList", shown by name, with "Add…" and "Remove".
class DistractionsPane final : public QWidget {
  Q_OBJECT

public:
  DistractionsPane(PreferenceControls& controls, std::function<void()> add,
                   QWidget* parent = nullptr);

  QListWidget* list() const { return list_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* removeButton() const { return remove_; }

  // Removes the selected applications from the stored list.
  void removeSelected();

private:
  void showStoredList();

  PreferenceControls& controls_;
  QListWidget* list_;
  QPushButton* add_;
  QPushButton* remove_;
};

} // namespace kr
