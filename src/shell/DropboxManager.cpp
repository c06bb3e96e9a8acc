#include "shell/DropboxManager.h"

#include "engine/BackingStoreManager.h"
#include "engine/LogFileManager.h"
#include "engine/Logger.h"
#include "platform/AlertPresenterAPI.h"
#include "platform/ErrorPresentation.h"
#include "platform/FileOperations.h"
#include "platform/FilePanelPresenter.h"
#include "platform/GenericAlertHelpDelegate.h"
#include "platform/QnLog.h"
#include "platform/SupportPaths.h"
#include "platform/UserDefaults.h"
#include "window/HelpManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace kr {

namespace {

const QString kSync = QStringLiteral("dropboxSync");
const QString kLocation = QStringLiteral("dropboxLocation");
const QString kAppFolder = QStringLiteral("Korvane-R");
const QString kSystemLogs = QStringLiteral("System Logs");
const QString kUserLogs = QStringLiteral("User Logs");

Alert dropboxAlert(const QString& message, const QString& informative, QStringList buttons,
                   Alert::Style style = Alert::Style::informational) {
  Alert alert{message, informative, std::move(buttons), style};
  alert.helpDelegate = HelpManager::createAlertHelpDelegateForDropbox();
  return alert;
}

int ask(const Alert& alert) { return AlertPresenterAPI::shared().runModal(alert); }

bool copyRecursively(const QString& from, const QString& to, QString* error) {
  const QFileInfo info(from);
  if (info.isDir() && !info.isSymLink()) {
    if (!QDir().mkdir(to)) {
      *error = QStringLiteral("cannot make %1").arg(to);
      return false;
    }
    const QStringList entries =
        QDir(from).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
      if (!copyRecursively(from + QLatin1Char('/') + entry, to + QLatin1Char('/') + entry, error))
        return false;
    }
    return true;
  }
  if (!QFile::copy(from, to)) {
    *error = QStringLiteral("cannot copy %1 to %2").arg(from, to);
    return false;
  }
  return true;
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

DropboxManager::FileMoves DropboxManager::standardFileMoves() {
  FileMoves moves;
  moves.sameFileSystem = [](const QString& from, const QString& toFolder) {
    struct stat source {};
    struct stat destination {};
    if (::lstat(QFile::encodeName(from).constData(), &source) != 0 ||
        ::stat(QFile::encodeName(toFolder).constData(), &destination) != 0)
      return true; // the rename reports the failure
    return source.st_dev == destination.st_dev;
  };
  moves.copy = [](const QString& from, const QString& to, QString* error) {
    return copyRecursively(from, to, error);
  };
  return moves;
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
                         kAppFolder);
}

QString DropboxManager::machine() const {
  return BackingStoreManager::sharedManager().obtainMACAddress();
}

bool DropboxManager::isThisComputersLogFile(const QString& fileName, const QString& machine) {
  return fileName.startsWith(QStringLiteral("System Log")) &&
         fileName.contains(QLatin1Char('(') + machine + QLatin1Char(')'));
}

std::optional<QString> DropboxManager::autolocateNonStandardDropboxFolderLocationOrAskUser() {
  Alert alert = dropboxAlert(
      QStringLiteral("Korvane-R has not found a dropbox folder at the standard location."),
      QStringLiteral("Please note that you need to sign up for a free Dropbox account and install "
                     "the Dropbox software on this computer before you can use this feature.\n\n"
                     "If you have already installed Dropbox, but are using a custom location for "
                     "your Dropbox folder, please use the 'Locate Dropbox Folder' button below to "
                     "locate the custom location."),
      {QStringLiteral("Cancel"), QStringLiteral("Locate Dropbox Folder")});
  if (ask(alert) != 1)
    return std::nullopt;
  FilePanelRequest request;
  request.title = QStringLiteral("Please locate your Dropbox folder.");
  request.prompt = QStringLiteral("OK");
  request.startFolder = QDir::homePath();
  request.choosesFolders = true;
  return FilePanelPresenter::shared().openPanel(request);
}

std::optional<QString> DropboxManager::dropboxFolder() {
  QString location = SupportPaths::expandTilde(defaults_.string(kLocation));
  if (location.isEmpty() || !QFileInfo(location).isDir()) {
    const std::optional<QString> found = autolocateNonStandardDropboxFolderLocationOrAskUser();
    if (!found)
      return std::nullopt;
    location = *found;
  }
  defaults_.setValue(kLocation, location);
  return location;
}

bool DropboxManager::moveOne(const QString& from, const QString& to, QString* error) {
  if (QFileInfo::exists(to) || QFileInfo(to).isSymLink()) {
    *error = QStringLiteral("%1 exists already").arg(to);
    return false;
  }
  const QString toFolder = QFileInfo(to).absolutePath();
  if (moves_.sameFileSystem(from, toFolder))
    return FileOperations::renameNoReplace(from, to, error);
  // Across file systems: a hidden copy beside the destination, renamed in,
  // then the source removed. Any failure removes the copy and keeps the source.
  const QString hidden = toFolder + QStringLiteral("/.") + QFileInfo(to).fileName() +
                         QLatin1Char('.') + QUuid::createUuid().toString(QUuid::Id128);
  if (!moves_.copy(from, hidden, error) || !FileOperations::renameNoReplace(hidden, to, error)) {
    FileOperations::removePath(hidden);
    return false;
  }
  if (!FileOperations::removePath(from)) {
    // Both are whole; the source stays where it was found, the copy goes.
    FileOperations::removePath(to);
    *error = QStringLiteral("cannot remove %1").arg(from);
    return false;
  }
  return true;
}

DropboxManager::MoveResult
DropboxManager::moveEntries(const QString& fromFolder, const QString& toFolder,
                            const std::function<bool(const QString&)>& accept) {
  MoveResult result;
  const QStringList entries =
      QDir(fromFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& name : entries) {
    if (!accept(name))
      continue;
    const QString from = fromFolder + QLatin1Char('/') + name;
    const QString to = toFolder + QLatin1Char('/') + name;
    qn_log(QStringLiteral("move %1 to %2").arg(from, to));
    QString error;
    if (moveOne(from, to, &error)) {
      ++result.moved;
    } else {
      ++result.failed;
      qn_log(QStringLiteral("failed to move file: %1").arg(from));
      platformLog(QStringLiteral("a log file was not moved: %1").arg(error));
    }
  }
  return result;
}

bool DropboxManager::configureForDropbox() {
  const QString mac = machine();
  qn_log(QStringLiteral("Configuring for Dropbox"));
  qn_log(QStringLiteral("Local Machine MAC: %1").arg(mac));
  if (ask(dropboxAlert(
          QStringLiteral(
              "Korvane-R will now attempt to create a new folder called \"Korvane-R\" in "
              "your existing Dropbox folder and will then try to move all your existing "
              "log files into this folder."),
          {}, {QStringLiteral("OK"), QStringLiteral("Cancel")})) != 0)
    return false;
  if (!dropboxFolder())
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

  qn_log(QStringLiteral("moving system logs"));
  const MoveResult system =
      moveEntries(getLocalSystemLogsFolderPath(), systemLogs,
                  [&mac](const QString& name) { return isThisComputersLogFile(name, mac); });
  qn_log(QStringLiteral("moving user logs"));
  const MoveResult user =
      moveEntries(getLocalUserLogsFolderPath(), userLogs, [](const QString&) { return true; });
  const int moved = system.moved + user.moved;
  const int failed = system.failed + user.failed;

  if (failed > 0 && moved == 0) {
    ask(dropboxAlert(QStringLiteral("Installation failed."),
                     QStringLiteral("Your Dropbox folder could be found but none of your current "
                                    "log files could be moved."),
                     {QStringLiteral("OK")}, Alert::Style::warning));
    forceLogSystemToUpdate();
    return false;
  }
  if (failed > 0) {
    ask(dropboxAlert(QStringLiteral("Some log files could not be moved."),
                     QStringLiteral("Your Dropbox folder was found and some of your log files were "
                                    "moved into it successfully. Some files, however, could not "
                                    "be moved."),
                     {QStringLiteral("OK")}, Alert::Style::warning));
  }
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
  const QString mac = machine();
  qn_log(QStringLiteral("DropboxManager: revert to local"));
  qn_log(QStringLiteral("Local Machine MAC: %1").arg(mac));
  if (ask(dropboxAlert(QStringLiteral("Korvane-R will now attempt to move all your existing log "
                                      "files from your Dropbox back into your local application "
                                      "support folder."),
                       {}, {QStringLiteral("OK"), QStringLiteral("Cancel")})) != 0)
    return false;
  if (!dropboxFolder())
    return false;

  const QString app = dropboxAppFolderPath();
  const QString systemLogs = app + QLatin1Char('/') + kSystemLogs;
  const QString userLogs = app + QLatin1Char('/') + kUserLogs;
  if (!QFileInfo(app).isDir() || !QFileInfo(systemLogs).isDir() || !QFileInfo(userLogs).isDir()) {
    AlertPresenterAPI::shared().runModal(
        Alert{QStringLiteral("No Korvane-R log folder could be found in your Dropbox folder."),
              QStringLiteral("Your log files were not moved."),
              {QStringLiteral("OK")}});
    return false;
  }
  const QString destination = getLocalSystemLogsFolderPath();
  QString error;
  if (!QDir().mkpath(destination)) {
    AlertPresenterAPI::shared().runModal(
        Alert{QStringLiteral("The folder \u201c%1\u201d could not be made.").arg(destination),
              {},
              {QStringLiteral("OK")},
              Alert::Style::critical});
    return false;
  }
  qn_log(QStringLiteral("moving system logs"));
  const MoveResult system = moveEntries(systemLogs, destination, [&mac](const QString& name) {
    return isThisComputersLogFile(name, mac);
  });
  if (system.moved == 0) {
    ask(dropboxAlert(
        QStringLiteral("Could not move log files back to local application support folder."), {},
        {QStringLiteral("Cancel")}, Alert::Style::warning));
    return false;
  }
  defaults_.setValue(kSync, false);
  defaults_.synchronize();
  ask(dropboxAlert(QStringLiteral("Log files were succesfully moved back into local application "
                                  "support folder."),
                   {}, {QStringLiteral("OK")}));
  forceLogSystemToUpdate();
  return true;
}

void DropboxManager::forceLogSystemToUpdate() {
  Logger::sharedLogger().updateLogFileDescriptors();
  LogFileManager::sharedInstance().update();
}

} // namespace kr
