#pragma once

#include <QPointer>
#include <QWidget>

class QListWidget;
class QPushButton;

namespace kr {

class CalendarStore;
class FilePanelPresenter;
class PreferenceControls;

// The "Calendar" pane: the calendar files and folders listed under
// "calendarFiles", each with what the calendar store made of it, with
// "Add…" and "Remove".
class CalendarPane final : public QWidget {
  Q_OBJECT

public:
  // store: none shows the paths alone.
  CalendarPane(PreferenceControls& controls, FilePanelPresenter& panels, CalendarStore* store,
               QWidget* parent = nullptr);

  // Asks for calendar files and appends those not listed yet.
  void addCalendarFiles();
  // Removes the selected entries.
  void removeSelected();

  QListWidget* list() const { return list_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* removeButton() const { return remove_; }

private:
  QStringList storedPaths() const;
  void storePaths(const QStringList& paths);
  void showStoredList();

  PreferenceControls& controls_;
  FilePanelPresenter& panels_;
  QPointer<CalendarStore> store_;
  QListWidget* list_;
  QPushButton* add_;
  QPushButton* remove_;
};

} // namespace kr
