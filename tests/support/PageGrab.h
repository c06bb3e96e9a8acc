#pragma once
// A picture of a widget with the web pages shown in it. Each page lives in a
// window of its own, embedded where its view stands, which the widget's own
// grab leaves empty: the pages are drawn in from their own views.
#include "platform/linux/web/WebEngineHtmlView.h"

#include <QPainter>
#include <QPixmap>
#include <QWebEngineView>

namespace kr::test {

inline QPixmap grabWithPages(QWidget* widget) {
  QPixmap shot = widget->grab();
  QList<WebEngineHtmlView*> views = widget->findChildren<WebEngineHtmlView*>();
  if (auto* self = qobject_cast<WebEngineHtmlView*>(widget))
    views.append(self);
  QPainter painter(&shot);
  for (WebEngineHtmlView* view : views) {
    QWidget* container = view->pageContainer();
    if (container && container->isVisibleTo(widget) && view->engineView())
      painter.drawPixmap(container->mapTo(widget, QPoint()), view->engineView()->grab());
  }
  return shot;
}

} // namespace kr::test
