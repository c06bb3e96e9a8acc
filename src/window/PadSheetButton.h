#pragma once

#include <QColor>
#include <QIcon>
#include <QToolButton>

namespace kr {

// A borderless button under a pad whose image is drawn like a template: one
// shape inked in the colour of the text around it, strong when the button can
// be pressed (stronger still under the pointer), faint when it cannot. The
// ink follows the palette, so the buttons read the same on light and dark
// skins.
class PadSheetButton final : public QToolButton {
  Q_OBJECT

public:
  enum class Glyph { add, next, previous, stop, help };

  // A square button of `size` points.
  PadSheetButton(Glyph glyph, int size, const QString& name, const QString& tip, QWidget* parent);

  Glyph glyph() const { return glyph_; }

  // The ink of an image in each of the icon's modes over this palette.
  static QColor ink(const QPalette& palette, QIcon::Mode mode);
  // The glyph drawn in `color` on a transparent square of `size` points.
  static QPixmap glyphPixmap(Glyph glyph, int size, const QColor& color, qreal pixelRatio);

protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  void updateIcon();
  Glyph glyph_;
};

} // namespace kr
