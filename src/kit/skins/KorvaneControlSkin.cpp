#include "kit/skins/KorvaneControlSkin.h"

#include "art/KorvaneStyleKit.h"
#include "kit/skins/BricksDrawing.h"
#include "platform/drawing/SystemFont.h"

#include <QWidget>

namespace kr {

namespace {

QColor grey(double level) { return QColor::fromRgbF(level, level, level, 1.0); }

// Every role of every colour group is set, so nothing of the application's
// palette shows through a widget that inherits this one.
QPalette makePagePalette() {
  const QColor text = grey(0.851);
  const QColor dimmedText = grey(0.62);
  const QColor button = BricksDrawing::darkFill();
  QPalette palette;
  for (int group = 0; group < QPalette::NColorGroups; ++group) {
    const auto g = static_cast<QPalette::ColorGroup>(group);
    const bool disabled = g == QPalette::Disabled;
    const QColor foreground = disabled ? dimmedText : text;
    palette.setColor(g, QPalette::Window, KorvaneStyleKit::n4());
    palette.setColor(g, QPalette::WindowText, foreground);
    palette.setColor(g, QPalette::Base, KorvaneStyleKit::n8());
    palette.setColor(g, QPalette::AlternateBase, KorvaneStyleKit::n6());
    palette.setColor(g, QPalette::Text, foreground);
    palette.setColor(g, QPalette::PlaceholderText, grey(0.7));
    palette.setColor(g, QPalette::Button, button);
    palette.setColor(g, QPalette::ButtonText, disabled ? dimmedText : grey(1.0));
    palette.setColor(g, QPalette::BrightText, grey(1.0));
    palette.setColor(g, QPalette::Light, button.lighter(160));
    palette.setColor(g, QPalette::Midlight, button.lighter(130));
    palette.setColor(g, QPalette::Mid, BricksDrawing::standardStroke());
    palette.setColor(g, QPalette::Dark, KorvaneStyleKit::n8().darker(150));
    palette.setColor(g, QPalette::Shadow, grey(0.0));
    palette.setColor(g, QPalette::Highlight,
                     disabled ? KorvaneStyleKit::n1() : BricksDrawing::standardHighlightedStroke());
    palette.setColor(g, QPalette::HighlightedText, BricksDrawing::standardHighlightedText());
    palette.setColor(g, QPalette::Link, BricksDrawing::highlightGradientStart());
    palette.setColor(g, QPalette::LinkVisited, BricksDrawing::highlightGradientStart().darker(120));
    palette.setColor(g, QPalette::ToolTipBase, KorvaneStyleKit::n2());
    palette.setColor(g, QPalette::ToolTipText, text);
  }
  return palette;
}

} // namespace

KorvaneControlSkin::KorvaneControlSkin()
    : titleFont(namedFontOrSystemFont(QStringLiteral("Gill Sans"), 18)),
      secondaryTitleFont(namedFontOrSystemFont(QStringLiteral("Gill Sans"), 14)),
      tertiaryTitleFont(systemFontOfSize(11, QFont::Light)),
      monospacedDigitsFont(systemFontOfSize(24, QFont::Light)),
      proportionalDigitsFont(systemFontOfSize(24, QFont::Light)), pagePalette(makePagePalette()) {
  // Qt 6.4 cannot ask a font for tabular figures; a fixed-pitch family of the
  // desktop gives digits of one width.
  monospacedDigitsFont.setStyleHint(QFont::Monospace);
}

std::shared_ptr<const KorvaneControlSkin> KorvaneControlSkin::shared() {
  static const std::shared_ptr<const KorvaneControlSkin> skin =
      std::make_shared<const KorvaneControlSkin>();
  return skin;
}

void KorvaneControlSkin::applyPagePalette(QWidget* window) {
  if (window)
    window->setPalette(shared()->pagePalette);
}

} // namespace kr
