#pragma once

#include "kit/ControlSkin.h"

#include <QFont>

namespace kr {

// The application's own skin: it draws nothing itself and carries the fonts
// of the pages. One shared instance for the life of the process.
class KorvaneControlSkin : public ControlSkin {
public:
  KorvaneControlSkin();

  static std::shared_ptr<const KorvaneControlSkin> shared();

  QFont titleFont;
  QFont secondaryTitleFont;
  QFont tertiaryTitleFont;
  QFont monospacedDigitsFont;
  QFont proportionalDigitsFont;
};

} // namespace kr
