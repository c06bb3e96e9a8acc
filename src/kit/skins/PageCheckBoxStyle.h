#pragma once

#include <QProxyStyle>

namespace kr {

// The check boxes and radio buttons of the dark pages. The desktop's style
// rims them in a shade of the page a little darker than the page itself, which
// there is all but invisible: an unticked box could not be told from the page.
// This style draws the desktop style's box or circle and, on a dark palette, a
// light rim round it, as the kit's own dark check boxes have; the keyboard's
// focus rim stays the style's own.
class PageCheckBoxStyle final : public QProxyStyle {
public:
  // Gives every check box and radio button under `wall` this style.
  static void applyTo(QWidget* wall);

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

  // Draws a rim of `colour` over the style's box or circle in `option`'s
  // rectangle (dimmed for a disabled control).
  static void drawRim(PrimitiveElement element, const QStyleOption& option, QPainter& painter,
                      QColor colour);

private:
  explicit PageCheckBoxStyle(QStyle* base);
  // One for the application, made at the first call (the application exists).
  static PageCheckBoxStyle* shared();
};

} // namespace kr
