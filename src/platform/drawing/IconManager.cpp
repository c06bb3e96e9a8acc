#include "platform/drawing/IconManager.h"

#include "platform/settings/UserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kr {

QString IconManager::menuBarIconName() {
  return menuBarIconNameForChoice(
      UserDefaults::standard().integer(QStringLiteral("menubarIconChoice")));
}

QString IconManager::menuBarIconNameForChoice(qint64 choice) {
  return choice == 0 ? QStringLiteral("menu_bar_icon") : QStringLiteral("plain_r_menu_bar");
}

QIcon IconManager::applicationIcon() {
  // The icon theme folder the icon is installed in, as the desktop finds it.
  QString themes = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/icons");
  if (!QFileInfo(themes + QStringLiteral("/hicolor")).isDir())
    themes = QStringLiteral(KR_BUILD_ICONS_DIR);
  const QDir hicolor(themes + QStringLiteral("/hicolor"));
  QIcon icon;
  // One folder per size: "48x48/apps/korvane-r.png".
  for (const QString& size : hicolor.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    const QString file = hicolor.filePath(size + QStringLiteral("/apps/korvane-r.png"));
    if (QFileInfo::exists(file))
      icon.addFile(file);
  }
  return icon;
}

} // namespace kr
