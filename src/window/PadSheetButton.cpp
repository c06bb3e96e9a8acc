#include "window/PadSheetButton.h"

#include "art/KorvaneStyleKit.h"
#include "platform/drawing/DrawnImage.h"

#include <QEvent>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace kr {

namespace {

// The drawing square of every glyph, in points.
constexpr qreal kCanvas = 18.0;

void drawShape(QPainter& painter, PadSheetButton::Glyph glyph, const QColor& color) {
  using Glyph = PadSheetButton::Glyph;
  painter.setPen(QPen(color, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(color);
  switch (glyph) {
  case Glyph::add:
    painter.drawLine(QPointF(9, 3), QPointF(9, 15));
    painter.drawLine(QPointF(3, 9), QPointF(15, 9));
    break;
  case Glyph::next:
    painter.setPen(Qt::NoPen);
    painter.drawPolygon(QPolygonF({QPointF(5, 3), QPointF(14, 9), QPointF(5, 15)}));
    break;
  case Glyph::previous:
    painter.setPen(Qt::NoPen);
    painter.drawPolygon(QPolygonF({QPointF(13, 3), QPointF(4, 9), QPointF(13, 15)}));
    break;
  case Glyph::stop:
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(2.5, 2.5, 13, 13));
    painter.drawLine(QPointF(6.5, 6.5), QPointF(11.5, 11.5));
    painter.drawLine(QPointF(11.5, 6.5), QPointF(6.5, 11.5));
    break;
  case Glyph::help:
    break;
  }
}

} // namespace

PadSheetButton::PadSheetButton(Glyph glyph, int size, const QString& name, const QString& tip,
                               QWidget* parent)
    : QToolButton(parent), glyph_(glyph) {
  setFixedSize(size, size);
  setObjectName(name);
  setToolTip(tip);
  setAccessibleName(tip);
  setAutoRaise(true);
  // Reached by Tab (a click leaves the focus in the text); Space presses it.
  setFocusPolicy(Qt::TabFocus);
  // No style sheet: one would fix the palette the button was made with and
  // cut it off from the window's skin.
  updateIcon();
}

QColor PadSheetButton::ink(const QPalette& palette, QIcon::Mode mode) {
  QColor color = palette.color(QPalette::Active, QPalette::WindowText);
  switch (mode) {
  case QIcon::Active:
    color.setAlphaF(1.0f);
    break;
  case QIcon::Disabled:
    color.setAlphaF(0.25f);
    break;
  case QIcon::Normal:
  case QIcon::Selected:
    color.setAlphaF(0.75f);
    break;
  }
  return color;
}

QPixmap PadSheetButton::glyphPixmap(Glyph glyph, int size, const QColor& color, qreal pixelRatio) {
  const int pixels = qRound(size * pixelRatio);
  QPixmap pixmap(pixels, pixels);
  pixmap.setDevicePixelRatio(pixelRatio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal scale = size / kCanvas;
  painter.scale(scale, scale);
  if (glyph == Glyph::help) {
    // The help artwork's shape, inked like the others.
    const QImage art = KorvaneStyleKit::imageOfHelpIcon().toImage(pixelRatio * scale);
    painter.drawImage(QRectF(0, 0, kCanvas, kCanvas), art);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(0, 0, kCanvas, kCanvas), color);
  } else {
    // Drawn opaque and then faded as a whole, so overlapping strokes do not
    // add up to a darker spot.
    QColor opaque = color;
    opaque.setAlphaF(1.0f);
    drawShape(painter, glyph, opaque);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.fillRect(QRectF(0, 0, kCanvas, kCanvas), QColor(0, 0, 0, color.alpha()));
  }
  return pixmap;
}

void PadSheetButton::paintEvent(QPaintEvent*) {
  // Only the image, borderless: its ink says whether it can be pressed; the
  // keyboard's focus draws the style's focus frame round it.
  QPainter painter(this);
  const QIcon::Mode mode = !isEnabled()                             ? QIcon::Disabled
                           : underMouse() || isDown() || hasFocus() ? QIcon::Active
                                                                    : QIcon::Normal;
  icon().paint(&painter, rect(), Qt::AlignCenter, mode, isDown() ? QIcon::On : QIcon::Off);
  if (hasFocus()) {
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
  }
}

void PadSheetButton::changeEvent(QEvent* event) {
  QToolButton::changeEvent(event);
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
    updateIcon();
}

void PadSheetButton::updateIcon() {
  const int size = std::min(width(), height());
  const qreal ratio = std::max<qreal>(2.0, devicePixelRatioF());
  // Buttons of one glyph, size and ink (every pad has the same) share their
  // images. The inks come from the few palettes of the skins, so the images
  // stay few.
  static QHash<QString, QIcon> drawn;
  QString key = QStringLiteral("%1 %2 %3").arg(int(glyph_)).arg(size).arg(ratio);
  const QIcon::Mode modes[] = {QIcon::Normal, QIcon::Active, QIcon::Disabled};
  for (QIcon::Mode mode : modes)
    key += QStringLiteral(" %1").arg(ink(palette(), mode).rgba(), 0, 16);
  auto found = drawn.constFind(key);
  if (found == drawn.constEnd()) {
    QIcon icon;
    for (QIcon::Mode mode : modes) {
      const QPixmap pixmap = glyphPixmap(glyph_, size - 2, ink(palette(), mode), ratio);
      icon.addPixmap(pixmap, mode, QIcon::Off);
      icon.addPixmap(pixmap, mode, QIcon::On);
    }
    found = drawn.insert(key, icon);
  }
  setIcon(*found);
  setIconSize(QSize(size - 2, size - 2));
}

} // namespace kr
