#include "platform/drawing/IconManager.h"

#include "platform/settings/UserDefaults.h"

namespace kr {

QString IconManager::menuBarIconName() {
  return menuBarIconNameForChoice(
      UserDefaults::standard().integer(QStringLiteral("menubarIconChoice")));
}

QString IconManager::menuBarIconNameForChoice(qint64 choice) {
  return choice == 0 ? QStringLiteral("menu_bar_icon") : QStringLiteral("plain_r_menu_bar");
}

} // namespace kr
