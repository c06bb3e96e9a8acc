#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace kr {

class PreferenceControls;

// What the Sync pane needs of the Dropbox storage of the log files. The
// program's Dropbox manager installs itself; until then the pane's controls
// are closed.
class DropboxSyncAPI {
public:
  virtual ~DropboxSyncAPI() = default;
  // Whether the log files are kept in Dropbox now.
  virtual bool isDropboxSyncActive() const = 0;
  // Moves the log files into Dropbox, or back; each tells the user what went
  // wrong, and a cancel or a failure leaves the storage as it was.
  virtual void configureForDropbox() = 0;
  virtual void revertToLocal() = 0;

  // Not owned; none: not available in this version.
  static void install(DropboxSyncAPI* sync);
  static DropboxSyncAPI* installed();
};

// The "Sync" pane: whether the log files are kept in Dropbox, the Dropbox
// folder, the Dropbox website and the help page.
class SyncPane final : public QWidget {
  Q_OBJECT

public:
  using HelpOpener = std::function<void(const QString& pageFileName)>;

  // sync: none closes the controls. help: none disables the help button.
  SyncPane(PreferenceControls& controls, DropboxSyncAPI* sync, HelpOpener help,
           QWidget* parent = nullptr);

  // Moves the files as the box asks, then shows where they really are.
  void changeDropboxSyncCheckbox();
  void showDropboxWebsite();
  void showSyncHelp();

  QCheckBox* syncBox() const { return box_; }
  QLabel* folder() const { return folder_; }
  QPushButton* websiteButton() const { return website_; }
  QPushButton* helpButton() const { return help_; }

private:
  void showStorage();

  PreferenceControls& controls_;
  DropboxSyncAPI* sync_;
  HelpOpener helpOpener_;
  QCheckBox* box_;
  QLabel* folder_;
  QPushButton* website_;
  QPushButton* help_;
};

} // namespace kr
