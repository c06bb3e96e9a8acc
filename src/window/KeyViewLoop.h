#pragma once

#include <QList>

class QWidget;

namespace kr {

// The order in which Tab walks a page: as the page is drawn, its rows from
// top to bottom and each row from left to right, the button row last.
class KeyViewLoop {
public:
  // The controls that take the focus by Tab, in the page's order; hidden and
  // disabled ones are kept (Tab skips them while they are so), the hidden
  // ones after the rest.
  static QList<QWidget*> controlsOf(QWidget* infoWall, QWidget* buttonWall);
  // Orders the window's focus chain so: the page's controls follow one
  // another, the window's other controls (the pads) after them. Sections
  // that show or hide and controls that move change the order, so the
  // window calls this again before each move of the focus by Tab.
  static void recalculate(QWidget* infoWall, QWidget* buttonWall);
};

} // namespace kr
