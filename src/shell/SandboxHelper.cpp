#include "shell/SandboxHelper.h"

#include "engine/BackingStoreManager.h"
#include "platform/QnLog.h"
#include "platform/files/LoginItems.h"
#include "platform/settings/UserDefaults.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <memory>
#include <unistd.h>

namespace kr {

namespace {
LoginItems* installedItems = nullptr;

// The paths whose bookmarks are in use.
QSet<QString>& pathsInUse() {
  static QSet<QString> paths;
  return paths;
}
} // namespace

void SandboxHelper::installLoginItems(LoginItems* items) { installedItems = items; }

LoginItems& SandboxHelper::loginItems() {
  if (installedItems)
    return *installedItems;
  // Made on first use: the running program's path is known by then.
  static XdgAutostartLoginItems autostart;
  return autostart;
}

QString SandboxHelper::getApplicationSupportFolderPath() {
  return BackingStoreManager::sharedManager().applicationSupportDirectory();
}

bool SandboxHelper::isLaunchAtStartup() { return loginItems().containsThisProgram(); }

std::optional<QString> SandboxHelper::itemRefInLoginItems() {
  return loginItems().itemForThisProgram();
}

bool SandboxHelper::toggleLaunchAtStartup(QString* error) {
  QString why;
  const bool on = isLaunchAtStartup();
  const bool done = on ? loginItems().removeThisProgram(&why) : loginItems().addThisProgram(&why);
  if (!done) {
    platformLog(QStringLiteral("the login item could not be turned %1: %2")
                    .arg(on ? QStringLiteral("off") : QStringLiteral("on"), why));
    if (error)
      *error = why;
  }
  return done;
}

void SandboxHelper::archiveSecurityBookmark(const std::optional<QByteArray>& bookmark,
                                            const QString& key) {
  if (bookmark && !bookmark->isEmpty())
    UserDefaults::standard().setValue(key, QFile::decodeName(*bookmark));
}

std::optional<QByteArray>
SandboxHelper::unarchiveSecurityBookmarkFromUserDefaultsKey(const QString& key) {
  const QString path = UserDefaults::standard().string(key);
  if (path.isEmpty())
    return std::nullopt;
  return QFile::encodeName(path);
}

std::optional<QByteArray> SandboxHelper::getApplicationSecurityScopedBookmark(const QUrl& url) {
  if (!url.isLocalFile() || !QFileInfo::exists(url.toLocalFile()))
    return std::nullopt;
  return QFile::encodeName(url.toLocalFile());
}

std::optional<QUrl>
SandboxHelper::resolveSecurityScopedBookmark(const std::optional<QByteArray>& bookmark) {
  if (!bookmark || bookmark->isEmpty())
    return std::nullopt;
  return QUrl::fromLocalFile(QFile::decodeName(*bookmark));
}

bool SandboxHelper::startUsingSecurityScopedBookmark(const QUrl& url) {
  if (!url.isLocalFile() || !QFileInfo::exists(url.toLocalFile()))
    return false;
  pathsInUse().insert(url.toLocalFile());
  return true;
}

bool SandboxHelper::stopUsingSecurityScopedBookmark(const QUrl& url) {
  if (!url.isLocalFile())
    return false;
  pathsInUse().remove(url.toLocalFile());
  return true;
}

bool SandboxHelper::isUsingSecurityScopedBookmark(const QUrl& url) {
  return url.isLocalFile() && pathsInUse().contains(url.toLocalFile());
}

bool SandboxHelper::isPathAccessible(const QString& path, int accessKind) {
  return ::access(QFile::encodeName(path).constData(), accessKind) == 0;
}

void SandboxHelper::dealWithLaunchFromDiskImage() {
  platformLog(QStringLiteral("launch path: %1").arg(QCoreApplication::applicationFilePath()));
}

} // namespace kr
