#include "art/DurationViewStyleKit.h"

#include "platform/drawing/GraphicsContext.h"

#include <QColor>
#include <QFont>
#include <QRectF>

namespace kr {

namespace {

struct Boxes {
  QRectF firstDigits;
  QRectF firstLabel;
  QRectF secondDigits;
  QRectF secondLabel;
};

QFont systemFont(double size, QFont::Weight weight) {
  QFont font;
  font.setPixelSize(std::max(1, qRound(size)));
  font.setWeight(weight);
  return font;
}

void drawClipped(GraphicsContext& context, const QString& text, const QRectF& box, double y,
                 const QFont& font, const QColor& color, Qt::Alignment alignment, double h) {
  context.saveState();
  context.clipToRect(box);
  context.drawText(text, QRectF(box.x(), y, box.width(), h), font, color, alignment);
  context.restoreState();
}

void drawReadOut(const DurationViewStyleKit::Texts& texts, const DurationViewStyleKit::Sizes& sizes,
                 bool disabled, const Boxes& boxes) {
  GraphicsContext* context = GraphicsContext::current();
  if (!context)
    return;
  const double grey = DurationViewStyleKit::textGrey(disabled);
  const QColor color = QColor::fromRgbF(grey, grey, grey, 1.0);
  const QFont labelFont = systemFont(sizes.labelSize, QFont::Medium);
  const QFont digitFont = systemFont(sizes.digitSize, QFont::Thin);
  for (const auto& [text, box] : {std::pair{texts.firstLabel, boxes.firstLabel},
                                  std::pair{texts.secondLabel, boxes.secondLabel}}) {
    const double h = GraphicsContext::measureText(text, labelFont, box.width()).height();
    drawClipped(*context, text, box, box.y(), labelFont, color, Qt::AlignLeft, h);
  }
  for (const auto& [text, box] : {std::pair{texts.firstDigits, boxes.firstDigits},
                                  std::pair{texts.secondDigits, boxes.secondDigits}}) {
    const double h = GraphicsContext::measureText(text, digitFont, box.width()).height();
    drawClipped(*context, text, box, box.y() + (box.height() - h) / 2.0 + 0.5, digitFont, color,
                Qt::AlignRight, h);
  }
}

} // namespace

void DurationViewStyleKit::drawDurationView(const Texts& texts, const Sizes& sizes, bool disabled) {
  const double i = sizes.labelBottomInset;
  drawReadOut(texts, sizes, disabled,
              {{0, 0, 80, 80}, {80, i, 20, 80}, {100, -1, 80, 80}, {180, i, 20, 80}});
}

void DurationViewStyleKit::drawSmallDurationView(const Texts& texts, const Sizes& sizes,
                                                 bool disabled) {
  const double i = sizes.labelBottomInset;
  drawReadOut(texts, sizes, disabled,
              {{0, 0, 40, 40}, {40, i, 10, 30}, {50, 0, 40, 40}, {90, i, 10, 30}});
}

} // namespace kr
