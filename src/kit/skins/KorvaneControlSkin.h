#pragma once

#include "kit/skins/ControlSkin.h"

#include <QFont>
#include <QPalette>

class QWidget;

namespace kr {

// The application's own skin: it draws nothing itself and carries the fonts
// and the colours of the pages. One shared instance for the life of the process.
class KorvaneControlSkin : public ControlSkin {
public:
  KorvaneControlSkin();

  static std::shared_ptr<const KorvaneControlSkin> shared();

  // Gives a window that shows pages the pages' colours, for every role and
  // colour group, so that its texts and controls look the same whatever the
  // desktop's palette: the window's widgets inherit them, and a later change
  // of the application palette does not reach them.
  static void applyPagePalette(QWidget* window);

  QFont titleFont;
  QFont secondaryTitleFont;
  QFont tertiaryTitleFont;
  QFont monospacedDigitsFont;
  QFont proportionalDigitsFont;
  // Light text on the dark pages, dark control faces, built from the style
  // kit's palette and the control artwork's colours.
  QPalette pagePalette;
};

} // namespace kr
