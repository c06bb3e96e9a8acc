#pragma once

#include <QList>

class QWidget;

namespace kr {

// The order in which Tab walks a page: the info wall's fields and controls
// from top to bottom as the page adds them (objective, tags, duration
// controls), its pop-ups, then the button wall's buttons from left to right.
class KeyViewLoop {
public:
  // The controls that take the focus by Tab, in the page's order; hidden and
  // disabled ones are kept (Tab skips them while they are so).
  static QList<QWidget*> controlsOf(QWidget* infoWall, QWidget* buttonWall);
  // Orders the window's focus chain so: the page's controls follow one
  // another, the window's other controls (the pads) after them.
  static void recalculate(QWidget* infoWall, QWidget* buttonWall);
};

} // namespace kr
