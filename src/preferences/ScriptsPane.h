#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace kr {

class ScriptLauncher;

// The "Scripts" pane: where the user's notification script lives, what it is
// given, and buttons to open its folder, show the sample script and read the
// help page.
class ScriptsPane final : public QWidget {
  Q_OBJECT

public:
  using HelpOpener = std::function<void(const QString& pageFileName)>;

  // help: none disables the help button.
  ScriptsPane(ScriptLauncher& launcher, HelpOpener help, QWidget* parent = nullptr);

  // Creates the scripts folder when missing and shows it in the file browser.
  void showScriptingFolder();
  // Shows the sample script, selected, in the file browser.
  void showSampleScript();
  void showUserScriptingHelp();

  QPushButton* openFolderButton() const { return openFolder_; }
  QPushButton* sampleButton() const { return sample_; }
  QPushButton* helpButton() const { return help_; }
  QLabel* folderLabel() const { return folder_; }

private:
  void showState();

  ScriptLauncher& launcher_;
  HelpOpener helpOpener_;
  QLabel* folder_;
  QPushButton* openFolder_;
  QPushButton* sample_;
  QPushButton* help_;
};

} // namespace kr
