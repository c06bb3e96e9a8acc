#include "platform/linux/desktop/DesktopFileBrowser.h"

#include "platform/QnLog.h"
#include "platform/services/UrlOpenerAPI.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFileInfo>
#include <QUrl>

#include <functional>

namespace kr {

namespace {
const QString kFileManagerService = QStringLiteral("org.freedesktop.FileManager1");
constexpr int kFileManagerTimeoutMs = 5000;

// Asks a running file manager to show the item, without waiting for it; when
// it cannot, `otherwise` runs.
bool fileManagerShowsItem(const QString& path, std::function<void()> otherwise) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface())
    return false;
  // Only a running file manager: activating one can take seconds.
  if (!bus.interface()->isServiceRegistered(kFileManagerService))
    return false;
  QDBusMessage call = QDBusMessage::createMethodCall(
      kFileManagerService, QStringLiteral("/org/freedesktop/FileManager1"), kFileManagerService,
      QStringLiteral("ShowItems"));
  call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
  auto* watcher =
      new QDBusPendingCallWatcher(bus.asyncCall(call, kFileManagerTimeoutMs), bus.interface());
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                   [otherwise = std::move(otherwise)](QDBusPendingCallWatcher* done) {
                     if (done->isError()) {
                       platformLog(QStringLiteral("the file manager did not show the item: %1")
                                       .arg(done->error().message()));
                       otherwise();
                     }
                     done->deleteLater();
                   });
  return true;
}

bool openFolderPath(const QString& folder) {
  if (!QFileInfo(folder).isDir()) {
    const QString named = folder.endsWith(u'/') ? folder : folder + u'/';
    UrlOpenerAPI::tellNotOpened(QUrl::fromLocalFile(named),
                                QStringLiteral("there is no such folder"));
    return false;
  }
  return UrlOpenerAPI::shared().open(QUrl::fromLocalFile(folder));
}
} // namespace

bool DesktopFileBrowser::openFolder(const QString& folder) { return openFolderPath(folder); }

bool DesktopFileBrowser::openFolderQuietly(const QString& folder) {
  if (!QFileInfo(folder).isDir()) {
    platformLog(QStringLiteral("cannot show %1: there is no such folder").arg(folder));
    return false;
  }
  return UrlOpenerAPI::shared().openQuietly(QUrl::fromLocalFile(folder));
}

bool DesktopFileBrowser::revealPath(const QString& path) {
  const QFileInfo info(path);
  const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
  if (info.exists() &&
      fileManagerShowsItem(info.absoluteFilePath(), [folder] { openFolderPath(folder); }))
    return true;
  return openFolder(folder);
}

} // namespace kr
