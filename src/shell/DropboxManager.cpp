#include "shell/DropboxManager.h"

#include "engine/BackingStoreManager.h"
#include "engine/LogFileManager.h"
#include "engine/Logger.h"
#include "platform/MacOSXVersion.h"
#include "platform/QnLog.h"
#include "platform/TaskThread.h"
#include "platform/files/FileOperations.h"
#include "platform/files/SupportPaths.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/services/ErrorPresentation.h"
#include "platform/services/FilePanelPresenter.h"
#include "platform/services/GenericAlertHelpDelegate.h"
#include "platform/settings/UserDefaults.h"
#include "shell/SandboxHelper.h"
#include "window/HelpManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace kr {

namespace {

const QString kSync = QStringLiteral("dropboxSync");
const QString kLocation = QStringLiteral("dropboxLocation");
const QString kBookmark = QStringLiteral("dropboxFolderBookmark");
const QString kSystemLogs = QStringLiteral("System Logs");
const QString kUserLogs = QStringLiteral("User Logs");
// Set while log files move, so that a move a quit cut short goes on at the
// next start: "toDropbox" or "toLocal".
const QString kUnfinishedMove = QStringLiteral("dropboxMoveUnfinished");
const QString kToDropbox = QStringLiteral("toDropbox");
const QString kToLocal = QStringLiteral("toLocal");

Alert dropboxAlert(const QString& message, const QString& informative, QStringList buttons,
                   Alert::Style style = Alert::Style::informational) {
  Alert alert{message, informative, std::move(buttons), style};
  alert.helpDelegate = HelpManager::createAlertHelpDelegateForDropbox();
  return alert;
}

int ask(const Alert& alert, const AskedAbout& about = {}) {
  return AlertPresenterAPI::shared().runModal(alert, about);
}

// A folder panel for the Dropbox folder, starting in the home folder; none
// when cancelled.
std::optional<QString> askForDropboxFolder() {
  FilePanelRequest request;
  request.title = QStringLiteral("Please locate your Dropbox folder.");
  request.prompt = QStringLiteral("OK");
  request.startFolder = QDir::homePath();
  request.choosesFolders = true;
  return FilePanelPresenter::shared().openPanel(request);
}

// Makes one folder; its own error when it cannot be made and is not there.
bool makeFolder(const QString& path, QString* error) {
  const QByteArray native = QFile::encodeName(path);
  if (::mkdir(native.constData(), 0777) == 0)
    return true;
  const int code = errno;
  if (QFileInfo(path).isDir())
    return true;
  *error = QStringLiteral("The folder \u201c%1\u201d could not be made: %2")
               .arg(path, QString::fromLocal8Bit(std::strerror(code)));
  return false;
}

} // namespace

DropboxManager::DropboxManager(UserDefaults& defaults)
    : defaults_(defaults), moves_(standardFileMoves()) {}

DropboxManager& DropboxManager::sharedInstance() {
  static DropboxManager manager(UserDefaults::standard());
  return manager;
}

bool DropboxManager::isDropboxSyncActive() const {
  const bool on = defaults_.boolValue(kSync);
  qn_log(QStringLiteral("dropboxSync: %1").arg(on ? 1 : 0));
  return on;
}

QString DropboxManager::getLocalSystemLogsFolderPath() const {
  return BackingStoreManager::sharedManager().applicationSupportDirectory() + QLatin1Char('/') +
         kSystemLogs;
}

QString DropboxManager::getLocalUserLogsFolderPath() const {
  return BackingStoreManager::sharedManager().applicationSupportDirectory() + QLatin1Char('/') +
         kUserLogs;
}

QString DropboxManager::dropboxAppFolderPath() const {
  return QDir::cleanPath(SupportPaths::expandTilde(defaults_.string(kLocation)) + QLatin1Char('/') +
                         MacOSXVersion::applicationFolderName());
}

QString DropboxManager::machine() const {
  return BackingStoreManager::sharedManager().obtainMACAddress();
}

bool DropboxManager::isThisComputersLogFile(const QString& fileName, const QString& machine) {
  return fileName.startsWith(QStringLiteral("System Log")) &&
         fileName.contains(QLatin1Char('(') + machine + QLatin1Char(')'));
}

std::optional<QString>
DropboxManager::autolocateNonStandardDropboxFolderLocationOrAskUser(const AskedAbout& about) {
  Alert alert = dropboxAlert(
      QStringLiteral("Korvane-R has not found a dropbox folder at the standard location."),
      QStringLiteral("Please note that you need to sign up for a free Dropbox account and install "
                     "the Dropbox software on this computer before you can use this feature.\n\n"
                     "If you have already installed Dropbox, but are using a custom location for "
                     "your Dropbox folder, please use the 'Locate Dropbox Folder' button below to "
                     "locate the custom location."),
      {QStringLiteral("Cancel"), QStringLiteral("Locate Dropbox Folder")});
  if (ask(alert, about) != 1)
    return std::nullopt;
  std::optional<QString> chosen = askForDropboxFolder();
  if (chosen && !about.stillHolds())
    return std::nullopt;
  return chosen;
}

void DropboxManager::obtainAccessToDropboxFolder() {
  if (!defaults_.boolValue(kSync))
    return;
  const auto stored = [] {
    return SandboxHelper::resolveSecurityScopedBookmark(
        SandboxHelper::unarchiveSecurityBookmarkFromUserDefaultsKey(kBookmark));
  };
  std::optional<QUrl> folder = stored();
  // A folder that has gone since is asked for as one never chosen.
  if (!folder || !SandboxHelper::startUsingSecurityScopedBookmark(*folder)) {
    AlertPresenterAPI::shared().runModal(
        Alert{QStringLiteral("Please locate your Dropbox folder."),
              QStringLiteral("Your log files are kept in your Dropbox folder. Please show "
                             "Korvane-R where it is, so that it may use it."),
              {QStringLiteral("OK")}});
    if (!locateDropboxFolderAndSaveSecurityScopedURL())
      return;
    folder = stored();
    if (!folder || !SandboxHelper::startUsingSecurityScopedBookmark(*folder))
      return;
  }
  accessedDropboxFolder_ = folder;
}

void DropboxManager::relinquishAccessToDropboxFolder() {
  if (accessedDropboxFolder_)
    SandboxHelper::stopUsingSecurityScopedBookmark(*accessedDropboxFolder_);
  accessedDropboxFolder_.reset();
}

bool DropboxManager::locateDropboxFolderAndSaveSecurityScopedURL() {
  const std::optional<QString> chosen = askForDropboxFolder();
  if (!chosen)
    return false;
  const std::optional<QByteArray> bookmark =
      SandboxHelper::getApplicationSecurityScopedBookmark(QUrl::fromLocalFile(*chosen));
  SandboxHelper::archiveSecurityBookmark(bookmark, kBookmark);
  return bookmark.has_value();
}

std::optional<QString> DropboxManager::dropboxFolder(const AskedAbout& about) {
  QString location = SupportPaths::expandTilde(defaults_.string(kLocation));
  if (location.isEmpty() || !QFileInfo(location).isDir()) {
    const std::optional<QString> found = autolocateNonStandardDropboxFolderLocationOrAskUser(about);
    if (!found)
      return std::nullopt;
    location = *found;
  }
  defaults_.setValue(kLocation, location);
  return location;
}

AskedAbout DropboxManager::askingAboutStorage() const {
  return AskedAbout(QStringLiteral("Where the log files are kept"), [this] {
    return identityOf(defaults_.boolValue(kSync), defaults_.string(kLocation), moving_);
  });
}

bool DropboxManager::configureForDropbox() {
  if (moving_)
    return false;
  const QString mac = machine();
  qn_log(QStringLiteral("Configuring for Dropbox"));
  qn_log(QStringLiteral("Local Machine MAC: %1").arg(mac));
  const AskedAbout storage = askingAboutStorage();
  if (ask(dropboxAlert(
              QStringLiteral("Korvane-R will now attempt to create a new folder called \"%1\" in "
                             "your existing Dropbox folder and will then try to move all your "
                             "existing log files into this folder.")
                  .arg(MacOSXVersion::applicationFolderName()),
              {}, {QStringLiteral("OK"), QStringLiteral("Cancel")}),
          storage) != 0)
    return false;
  if (!dropboxFolder(storage))
    return false;

  const QString app = dropboxAppFolderPath();
  const QString systemLogs = app + QLatin1Char('/') + kSystemLogs;
  const QString userLogs = app + QLatin1Char('/') + kUserLogs;
  QString error;
  if (!makeFolder(app, &error) || !makeFolder(userLogs, &error) ||
      !makeFolder(systemLogs, &error)) {
    // The folder's error goes through the program's error presentation.
    ErrorPresentation::present(
        {Alert{error, {}, {QStringLiteral("OK")}, Alert::Style::critical}, {}});
    forceLogSystemToUpdate();
    return false;
  }

  return moveToDropbox();
}

bool DropboxManager::moveToDropbox() {
  const QString mac = machine();
  const QString systemLogs = dropboxAppFolderPath() + QLatin1Char('/') + kSystemLogs;
  const QString userLogs = dropboxAppFolderPath() + QLatin1Char('/') + kUserLogs;
  const QString localSystemLogs = getLocalSystemLogsFolderPath();
  const QString localUserLogs = getLocalUserLogsFolderPath();
  defaults_.setValue(kUnfinishedMove, kToDropbox);
  defaults_.synchronize();
  struct Results {
    MoveResult system;
    MoveResult user;
  };
  auto results = std::make_shared<Results>();
  if (!runAwayFromTheWindow([=](const FileMoves& moves, const std::atomic_bool& stop) {
        qn_log(QStringLiteral("moving system logs"));
        results->system = moveEntries(
            moves, localSystemLogs, systemLogs,
            [mac](const QString& name) { return isThisComputersLogFile(name, mac); }, stop);
        qn_log(QStringLiteral("moving user logs"));
        results->user = moveEntries(
            moves, localUserLogs, userLogs, [](const QString&) { return true; }, stop);
      }))
    return false;
  defaults_.remove(kUnfinishedMove);
  const MoveResult& system = results->system;
  const MoveResult& user = results->user;
  // A copy whose original stayed is in Dropbox whole: it counts as moved.
  const qsizetype moved =
      system.moved.size() + system.copied.size() + user.moved.size() + user.copied.size();
  const qsizetype failed = system.failed.size() + user.failed.size();

  if (failed > 0 && moved == 0) {
    ask(dropboxAlert(QStringLiteral("Installation failed."),
                     QStringLiteral("Your Dropbox folder could be found but none of your current "
                                    "log files could be moved."),
                     {QStringLiteral("OK")}, Alert::Style::warning));
    forceLogSystemToUpdate();
    return false;
  }
  if (failed > 0) {
    QStringList stayed{namedFailures(system.failed, localSystemLogs),
                       namedFailures(user.failed, localUserLogs)};
    stayed.removeAll(QString());
    ask(dropboxAlert(QStringLiteral("Some log files could not be moved."),
                     QStringLiteral("Your Dropbox folder was found and some of your log files were "
                                    "moved into it successfully. Some files, however, could not "
                                    "be moved.\n\n") +
                         stayed.join(QStringLiteral("\n\n")),
                     {QStringLiteral("OK")}, Alert::Style::warning));
  }
  tellLeftovers(system.leftovers + user.leftovers, QStringLiteral("your Dropbox folder"));
  defaults_.setValue(kSync, true);
  defaults_.synchronize();
  ask(dropboxAlert(QStringLiteral("Installation was successful."),
                   QStringLiteral("Please repeat this step at your leisure on the other "
                                  "computer(s) that you wish to sync with."),
                   {QStringLiteral("OK")}));
  forceLogSystemToUpdate();
  return true;
}

bool DropboxManager::revertToLocal() {
  if (moving_)
    return false;
  const QString mac = machine();
  qn_log(QStringLiteral("DropboxManager: revert to local"));
  qn_log(QStringLiteral("Local Machine MAC: %1").arg(mac));
  const AskedAbout storage = askingAboutStorage();
  if (ask(dropboxAlert(QStringLiteral("Korvane-R will now attempt to move all your existing log "
                                      "files from your Dropbox back into your local application "
                                      "support folder."),
                       {}, {QStringLiteral("OK"), QStringLiteral("Cancel")}),
          storage) != 0)
    return false;
  if (!dropboxFolder(storage))
    return false;

  const QString app = dropboxAppFolderPath();
  const QString systemLogs = app + QLatin1Char('/') + kSystemLogs;
  const QString userLogs = app + QLatin1Char('/') + kUserLogs;
  if (!QFileInfo(app).isDir() || !QFileInfo(systemLogs).isDir() || !QFileInfo(userLogs).isDir()) {
    AlertPresenterAPI::shared().runModal(
        Alert{QStringLiteral("No %1 log folder could be found in your Dropbox folder.")
                  .arg(MacOSXVersion::applicationFolderName()),
              QStringLiteral("Your log files were not moved."),
              {QStringLiteral("OK")}});
    return false;
  }
  if (!QDir().mkpath(getLocalSystemLogsFolderPath())) {
    AlertPresenterAPI::shared().runModal(
        Alert{QStringLiteral("The folder \u201c%1\u201d could not be made.")
                  .arg(getLocalSystemLogsFolderPath()),
              {},
              {QStringLiteral("OK")},
              Alert::Style::critical});
    return false;
  }
  return moveBackToLocal();
}

bool DropboxManager::moveBackToLocal() {
  const QString mac = machine();
  const QString systemLogs = dropboxAppFolderPath() + QLatin1Char('/') + kSystemLogs;
  const QString destination = getLocalSystemLogsFolderPath();
  defaults_.setValue(kUnfinishedMove, kToLocal);
  defaults_.synchronize();
  struct Results {
    MoveResult system;
    QStringList leftovers;
    QStringList stranded;
  };
  auto results = std::make_shared<Results>();
  if (!runAwayFromTheWindow([=](const FileMoves& moves, const std::atomic_bool& stop) {
        qn_log(QStringLiteral("moving system logs"));
        results->system = moveEntries(
            moves, systemLogs, destination,
            [mac](const QString& name) { return isThisComputersLogFile(name, mac); }, stop);
        const MoveResult& system = results->system;
        results->leftovers = system.leftovers;
        if (system.failed.isEmpty() && system.copied.isEmpty())
          return;
        // All or nothing: storage stays in Dropbox, so every file goes back there.
        for (const QString& name : system.moved) {
          const MoveOutcome back = moveOne(moves, destination + QLatin1Char('/') + name,
                                           systemLogs + QLatin1Char('/') + name);
          if (!back.leftover.isEmpty())
            results->leftovers << back.leftover;
          if (back.kind == MoveOutcome::Kind::NotMoved) {
            results->stranded << name;
            platformLog(
                QStringLiteral("a log file could not return to Dropbox: %1").arg(back.error));
          }
        }
        // The originals of these are whole in Dropbox: their copies go.
        for (const QString& name : system.copied) {
          const QString copy = destination + QLatin1Char('/') + name;
          if (!moves.remove(copy))
            results->leftovers << copy;
        }
      }))
    return false;
  defaults_.remove(kUnfinishedMove);
  const MoveResult& system = results->system;
  if (system.moved.isEmpty() && system.copied.isEmpty() && system.failed.isEmpty()) {
    ask(dropboxAlert(
        QStringLiteral("Could not move log files back to local application support folder."), {},
        {QStringLiteral("Cancel")}, Alert::Style::warning));
    return false;
  }
  if (system.failed.isEmpty() && system.copied.isEmpty()) {
    tellLeftovers(system.leftovers, QStringLiteral("your local application support folder"));
    defaults_.setValue(kSync, false);
    defaults_.synchronize();
    ask(dropboxAlert(QStringLiteral("Log files were succesfully moved back into local "
                                    "application support folder."),
                     {}, {QStringLiteral("OK")}));
    forceLogSystemToUpdate();
    return true;
  }
  const QStringList& leftovers = results->leftovers;
  const QStringList& stranded = results->stranded;
  QString informative =
      QStringLiteral("These log files could not be moved back:\n%1\n\nYour logs stay in your "
                     "Dropbox folder, which Korvane-R keeps using.")
          .arg((system.failed + system.copied).join(QLatin1Char('\n')));
  if (!stranded.isEmpty())
    informative += QStringLiteral("\n\nThese came back but could not return to your Dropbox "
                                  "folder; they are in \u201c%1\u201d:\n%2")
                       .arg(destination, stranded.join(QLatin1Char('\n')));
  platformLog(QStringLiteral("log files were not moved back from Dropbox: %1")
                  .arg((system.failed + system.copied).join(QStringLiteral(", "))));
  ask(dropboxAlert(
      QStringLiteral("Could not move log files back to local application support folder."),
      informative, {QStringLiteral("Cancel")}, Alert::Style::warning));
  tellLeftovers(leftovers, QStringLiteral("your Dropbox folder"));
  forceLogSystemToUpdate();
  return false;
}

void DropboxManager::finishUnfinishedMove() {
  const QString unfinished = defaults_.string(kUnfinishedMove);
  if (unfinished.isEmpty() || moving_)
    return;
  if (!QFileInfo(dropboxAppFolderPath()).isDir()) {
    platformLog(QStringLiteral("an unfinished move of the log files cannot go on: %1 is gone")
                    .arg(dropboxAppFolderPath()));
    defaults_.remove(kUnfinishedMove);
    return;
  }
  platformLog(QStringLiteral("finishing the move of the log files the last quit cut short"));
  if (unfinished == kToDropbox)
    moveToDropbox();
  else
    moveBackToLocal();
}

void DropboxManager::tellLeftovers(const QStringList& leftovers, const QString& whereComplete) {
  if (leftovers.isEmpty())
    return;
  platformLog(QStringLiteral("moved log files left these behind: %1")
                  .arg(leftovers.join(QStringLiteral(", "))));
  ask(dropboxAlert(
      QStringLiteral("Some log files were moved, but what is left at their old place could not be "
                     "removed."),
      QStringLiteral("The log files are complete in %1. What is left behind can be removed by "
                     "hand:\n%2")
          .arg(whereComplete, leftovers.join(QLatin1Char('\n'))),
      {QStringLiteral("OK")}, Alert::Style::warning));
}

void DropboxManager::forceLogSystemToUpdate() {
  Logger::sharedLogger().updateLogFileDescriptors();
  LogFileManager::sharedInstance().update();
}

} // namespace kr
