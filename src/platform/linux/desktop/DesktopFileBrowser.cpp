#include "platform/linux/desktop/DesktopFileBrowser.h"

#include "platform/QnLog.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace kr {

namespace {
const QString kFileManagerService = QStringLiteral("org.freedesktop.FileManager1");

bool fileManagerShowsItem(const QString& path) {
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
  return bus.call(call, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
}
} // namespace

bool DesktopFileBrowser::openFolder(const QString& folder) {
  if (!QFileInfo(folder).isDir()) {
    platformLog(QStringLiteral("cannot show %1: there is no such folder").arg(folder));
    return false;
  }
  if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
    return true;
  platformLog(QStringLiteral("no file manager opened %1").arg(folder));
  return false;
}

bool DesktopFileBrowser::revealPath(const QString& path) {
  const QFileInfo info(path);
  if (info.exists() && fileManagerShowsItem(info.absoluteFilePath()))
    return true;
  return openFolder(info.isDir() ? info.absoluteFilePath() : info.absolutePath());
}

} // namespace kr
