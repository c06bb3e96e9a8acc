#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;

namespace kr {

class PreferenceControls;
class TaskManagerBridge;

// The "Integrations" pane: the options of the task managers an objective can
// link to. The options of an application that cannot be reached are closed,
// with the reason beside them; the help pages can always be read.
class IntegrationsPane final : public QWidget {
  Q_OBJECT

public:
  using HelpOpener = std::function<void(const QString& pageFileName)>;

  // bridge: none asks the system's own bridge. help: none disables the help
  // buttons.
  IntegrationsPane(PreferenceControls& controls, TaskManagerBridge* bridge, HelpOpener help,
                   QWidget* parent = nullptr);
  ~IntegrationsPane() override;

  // The check box of a key, or none.
  QCheckBox* checkBox(const QString& key) const;
  // The reason an application's options are closed (empty while they are open).
  QLabel* reason(const QString& applicationName) const;
  QPushButton* helpButton(const QString& page) const;

private:
  std::unique_ptr<TaskManagerBridge> ownBridge_;
  std::vector<QCheckBox*> boxes_;
  std::vector<QLabel*> reasons_;
  std::vector<QPushButton*> helpButtons_;
};

} // namespace kr
