#pragma once

#include "platform/drawing/DrawnImage.h"

#include <QColor>
#include <QIcon>

namespace kr {

// The few stock images the kit's controls show: the add sign, the action
// (gear) image and the menu check mark. Drawn once, as black template glyphs.
class StandardImages {
public:
  StandardImages() = delete;

  static QIcon addTemplate();
  static QIcon actionTemplate();
  static QIcon menuOnStateTemplate();
  // A copy of the check mark tinted with `tint` (the faint mark of an
  // unchecked option).
  static QIcon tintedMenuOnState(const QColor& tint);
  // An icon showing a drawn image, rendered at one and two pixels per unit.
  static QIcon icon(const DrawnImage& image);
};

} // namespace kr
