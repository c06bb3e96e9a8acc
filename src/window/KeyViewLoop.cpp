#include "window/KeyViewLoop.h"

#include "kit/PopUpButton.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QWidget>

#include <algorithm>

namespace kr {

namespace {

bool takesTabFocus(const QWidget& widget) {
  return (widget.focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !widget.focusProxy();
}

// Depth first, each widget's children in the order the page added them.
void collect(QWidget* widget, QList<QWidget*>& into) {
  for (QObject* child : widget->children()) {
    auto* childWidget = qobject_cast<QWidget*>(child);
    if (!childWidget || childWidget->isWindow())
      continue;
    if (takesTabFocus(*childWidget)) {
      into.append(childWidget);
      // A control's own parts (a combo box's editor, a scroll area's
      // viewport) are its own business.
      continue;
    }
    collect(childWidget, into);
  }
}

// The place from the left of a widget in its parent's row layout, or -1.
int placeInRow(QWidget* widget) {
  auto* row = widget->parentWidget() ? qobject_cast<QBoxLayout*>(widget->parentWidget()->layout())
                                     : nullptr;
  if (!row ||
      (row->direction() != QBoxLayout::LeftToRight && row->direction() != QBoxLayout::RightToLeft))
    return -1;
  const int index = row->indexOf(widget);
  if (index < 0)
    return -1;
  return row->direction() == QBoxLayout::RightToLeft ? row->count() - 1 - index : index;
}

} // namespace

QList<QWidget*> KeyViewLoop::controlsOf(QWidget* infoWall, QWidget* buttonWall) {
  QList<QWidget*> controls;
  if (infoWall)
    collect(infoWall, controls);
  // The pop-ups (the sections' menus, the tag list, the break's length) after
  // the fields and the duration controls.
  std::stable_partition(controls.begin(), controls.end(), [](QWidget* control) {
    return !qobject_cast<QComboBox*>(control) && !qobject_cast<PopUpButton*>(control);
  });
  if (buttonWall) {
    QList<QWidget*> buttons;
    collect(buttonWall, buttons);
    // Laid out from the right: ordered by where they show, which their
    // row's layout says before it has placed them.
    std::stable_sort(buttons.begin(), buttons.end(), [buttonWall](QWidget* a, QWidget* b) {
      const int rowA = placeInRow(a);
      const int rowB = placeInRow(b);
      if (rowA >= 0 && rowB >= 0 && a->parentWidget() == b->parentWidget())
        return rowA < rowB;
      return a->mapTo(buttonWall, QPoint()).x() < b->mapTo(buttonWall, QPoint()).x();
    });
    controls.append(buttons);
  }
  return controls;
}

void KeyViewLoop::recalculate(QWidget* infoWall, QWidget* buttonWall) {
  const QList<QWidget*> controls = controlsOf(infoWall, buttonWall);
  for (qsizetype i = 1; i < controls.size(); ++i)
    QWidget::setTabOrder(controls[i - 1], controls[i]);
}

} // namespace kr
