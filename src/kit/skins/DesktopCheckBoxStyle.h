#pragma once

#include <QProxyStyle>

namespace kr {

// The check boxes and radio buttons of the windows drawn in the desktop's
// palette (the preferences). The desktop style rims an unticked box in a shade
// of the window little apart from it, on a light theme as on a dark one, where
// the box's field is hardly lighter than the window: the box could not be told
// from the window. This style draws the desktop style's box or circle with a
// rim from the palette's own tones that stands out from the window by 3 : 1;
// the keyboard's focus rim stays the style's own.
class DesktopCheckBoxStyle final : public QProxyStyle {
public:
  // Gives every check box and radio button under `window` this style.
  static void applyTo(QWidget* window);

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

private:
  explicit DesktopCheckBoxStyle(QStyle* base);
  // One for the application, made at the first call (the application exists).
  static DesktopCheckBoxStyle* shared();
};

} // namespace kr
