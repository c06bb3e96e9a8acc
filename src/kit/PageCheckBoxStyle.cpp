#include "kit/PageCheckBoxStyle.h"

#include "kit/BricksDrawing.h"

#include <QApplication>
#include <QCheckBox>
#include <QPainter>
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
  for (QCheckBox* box : wall->findChildren<QCheckBox*>()) {
    if (box->style() != style)
      box->setStyle(style);
  }
}

QColor PageCheckBoxStyle::rimColor() { return BricksDrawing::darkStroke(); }

void PageCheckBoxStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                      QPainter* painter, const QWidget* widget) const {
  QProxyStyle::drawPrimitive(element, option, painter, widget);
  if (element != PE_IndicatorCheckBox || !option || !painter)
    return;
  const bool keyboardFocus =
      option->state.testFlag(State_HasFocus) && option->state.testFlag(State_KeyboardFocusChange);
  if (keyboardFocus || option->palette.color(QPalette::Window).lightnessF() >= 0.5)
    return;
  QColor rim = rimColor();
  if (!option->state.testFlag(State_Enabled))
    rim.setAlphaF(0.5);
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setBrush(Qt::NoBrush);
  painter->setPen(QPen(rim, 1.0));
  painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
  painter->restore();
}

} // namespace kr
