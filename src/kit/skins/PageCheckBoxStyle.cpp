#include "kit/skins/PageCheckBoxStyle.h"

#include "kit/skins/BricksDrawing.h"

#include <QApplication>
#include <QCheckBox>
#include <QPainter>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyleOption>

namespace kr {

PageCheckBoxStyle::PageCheckBoxStyle(QStyle* base) : QProxyStyle(base) {}

PageCheckBoxStyle* PageCheckBoxStyle::shared() {
  // A style of the same kind as the application's, owned by this one; it is
  // kept to the end of the process (the pages' check boxes hold it until
  // then), reachable from here.
  static PageCheckBoxStyle* const style =
      new PageCheckBoxStyle(QStyleFactory::create(QApplication::style()->name()));
  return style;
}

void PageCheckBoxStyle::applyTo(QWidget* wall) {
  if (!wall)
    return;
  PageCheckBoxStyle* style = shared();
  for (QAbstractButton* button : wall->findChildren<QAbstractButton*>()) {
    if ((qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)) &&
        button->style() != style)
      button->setStyle(style);
  }
}

void PageCheckBoxStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                      QPainter* painter, const QWidget* widget) const {
  QProxyStyle::drawPrimitive(element, option, painter, widget);
  if ((element != PE_IndicatorCheckBox && element != PE_IndicatorRadioButton) || !option ||
      !painter)
    return;
  const bool keyboardFocus =
      option->state.testFlag(State_HasFocus) && option->state.testFlag(State_KeyboardFocusChange);
  if (keyboardFocus || option->palette.color(QPalette::Window).lightnessF() >= 0.5)
    return;
  drawRim(element, *option, *painter, BricksDrawing::darkStroke());
}

void PageCheckBoxStyle::drawRim(PrimitiveElement element, const QStyleOption& option,
                                QPainter& painter, QColor colour) {
  if (!option.state.testFlag(State_Enabled))
    colour.setAlphaF(0.5);
  painter.save();
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(colour, 1.0));
  const QRect& r = option.rect;
  if (element == PE_IndicatorCheckBox) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
  } else {
    // Over the style's own circle: its centre and radius as the style has them.
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double radius = (r.width() + (r.width() + 1) % 2) / 2.0 - 1.0;
    painter.drawEllipse(QPointF(r.center() + QPoint(1, 1)), radius, radius);
  }
  painter.restore();
}

} // namespace kr
