#pragma once

#include "art/BezierPathUtility.h"

#include <QColor>
#include <QWidget>

namespace kr {

// One calendar event on the strip: a rule over the event's time with its
// start time and title under it; a tick at an end marks an edge of the event
// that lies on the strip.
class EventView : public QWidget {
  Q_OBJECT
public:
  explicit EventView(const QRect& frame, QWidget* parent = nullptr);

  QString title = QStringLiteral("title");
  // Kept for callers; the drawing uses the title and the arrows only.
  QColor borderColor = Qt::black;
  Gradient gradient = BezierPathUtility::whiteGradient();
  bool leftArrow = true;
  bool rightArrow = true;

protected:
  void paintEvent(QPaintEvent* event) override;
};

} // namespace kr
