#include "kit/KorvaneControlSkin.h"

#include "platform/SystemFont.h"

namespace kr {

KorvaneControlSkin::KorvaneControlSkin()
    : titleFont(namedFontOrSystemFont(QStringLiteral("Gill Sans"), 18)),
      secondaryTitleFont(namedFontOrSystemFont(QStringLiteral("Gill Sans"), 14)),
      tertiaryTitleFont(systemFontOfSize(11, QFont::Light)),
      monospacedDigitsFont(systemFontOfSize(24, QFont::Light)),
      proportionalDigitsFont(systemFontOfSize(24, QFont::Light)) {
  // Qt 6.4 cannot ask a font for tabular figures; a fixed-pitch family of the
  // desktop gives digits of one width.
  monospacedDigitsFont.setStyleHint(QFont::Monospace);
}

std::shared_ptr<const KorvaneControlSkin> KorvaneControlSkin::shared() {
  static const std::shared_ptr<const KorvaneControlSkin> skin =
      std::make_shared<const KorvaneControlSkin>();
  return skin;
}

} // namespace kr
