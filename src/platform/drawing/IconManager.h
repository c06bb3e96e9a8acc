#pragma once

#include <QIcon>
#include <QString>

namespace kr {

// Chooses the images of the tray icon and the application by name; the
// images themselves are resources of the parts that draw them.
class IconManager {
public:
  // "menu_bar_icon" while "menubarIconChoice" is 0, else "plain_r_menu_bar".
  static QString menuBarIconName();
  static QString menuBarIconNameForChoice(qint64 choice);

  // The program's icon as the build draws it, in each size it is drawn in:
  // the copy installed beside the program, else the build tree's. Empty
  // where neither is.
  static QIcon applicationIcon();
};

} // namespace kr
