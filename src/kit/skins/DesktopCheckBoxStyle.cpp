#include "kit/skins/DesktopCheckBoxStyle.h"

#include "kit/skins/PageCheckBoxStyle.h"
#include "platform/drawing/ControlEdge.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyleOption>

namespace kr {

DesktopCheckBoxStyle::DesktopCheckBoxStyle(QStyle* base) : QProxyStyle(base) {}

DesktopCheckBoxStyle* DesktopCheckBoxStyle::shared() {
  // Kept to the end of the process, as the page style is: the check boxes
  // hold it until then.
  static DesktopCheckBoxStyle* const style =
      new DesktopCheckBoxStyle(QStyleFactory::create(QApplication::style()->name()));
  return style;
}

void DesktopCheckBoxStyle::applyTo(QWidget* window) {
  if (!window)
    return;
  DesktopCheckBoxStyle* style = shared();
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    if ((qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)) &&
        button->style() != style)
      button->setStyle(style);
  }
}

void DesktopCheckBoxStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                         QPainter* painter, const QWidget* widget) const {
  QProxyStyle::drawPrimitive(element, option, painter, widget);
  if ((element != PE_IndicatorCheckBox && element != PE_IndicatorRadioButton) || !option ||
      !painter)
    return;
  if (option->state.testFlag(State_HasFocus) && option->state.testFlag(State_KeyboardFocusChange))
    return;
  const QPalette& palette = option->palette;
  PageCheckBoxStyle::drawRim(
      element, *option, *painter,
      ControlEdge::on(palette.color(QPalette::Window), palette.color(QPalette::WindowText)));
}

} // namespace kr
