#pragma once

#include <QEvent>
#include <QObject>

namespace kr::test {

// Notes the repaints of the widget it filters: set `painted` to false, then
// wait for it to turn true.
struct PaintSpy : QObject {
  bool painted = false;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint)
      painted = true;
    return false;
  }
};

} // namespace kr::test
