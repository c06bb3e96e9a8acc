#include "window/KeyViewLoop.h"

#include <QRect>
#include <QWidget>

#include <algorithm>
#include <vector>

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

struct Placed {
  QWidget* control;
  QRect frame;
};

// Two controls share a row when the middle of either lies within the
// other's height: a pop-up beside a taller button, a mini button on a text
// field's baseline.
bool shareARow(const QRect& a, const QRect& b) {
  const auto within = [](int y, const QRect& frame) {
    return y >= frame.top() && y <= frame.bottom();
  };
  return within(a.center().y(), b) || within(b.center().y(), a);
}

// The wall's controls as the page draws them: row by row from the top, each
// row from the left; the hidden ones, whose places are not on the page, after
// them. Controls not laid out yet keep the order they were added.
QList<QWidget*> inPageOrder(QWidget* wall) {
  QList<QWidget*> collected;
  collect(wall, collected);
  std::vector<Placed> placed;
  QList<QWidget*> hidden;
  for (QWidget* control : collected) {
    if (control->isVisibleTo(wall))
      placed.push_back({control, QRect(control->mapTo(wall, QPoint()), control->size())});
    else
      hidden.append(control);
  }
  std::stable_sort(placed.begin(), placed.end(),
                   [](const Placed& a, const Placed& b) { return a.frame.top() < b.frame.top(); });
  QList<QWidget*> ordered;
  for (auto row = placed.begin(); row != placed.end();) {
    auto end = std::next(row);
    while (end != placed.end() && shareARow(row->frame, end->frame))
      ++end;
    std::stable_sort(
        row, end, [](const Placed& a, const Placed& b) { return a.frame.left() < b.frame.left(); });
    for (auto it = row; it != end; ++it)
      ordered.append(it->control);
    row = end;
  }
  return ordered + hidden;
}

} // namespace

QList<QWidget*> KeyViewLoop::controlsOf(QWidget* infoWall, QWidget* buttonWall) {
  QList<QWidget*> controls;
  // The button row lies below the info wall.
  for (QWidget* wall : {infoWall, buttonWall}) {
    if (wall)
      controls.append(inPageOrder(wall));
  }
  return controls;
}

void KeyViewLoop::recalculate(QWidget* infoWall, QWidget* buttonWall) {
  const QList<QWidget*> controls = controlsOf(infoWall, buttonWall);
  for (qsizetype i = 1; i < controls.size(); ++i)
    QWidget::setTabOrder(controls[i - 1], controls[i]);
}

} // namespace kr
