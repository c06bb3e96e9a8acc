#pragma once

#include <QObject>
#include <QPointF>
#include <QRectF>

class QPainter;
class QWidget;

namespace kr {

// Draws a button's bezel as the silver wheel, glowing while the button has
// the keyboard focus in the active window (the wheel's glow stands for the
// focus ring, so the style draws none).
class WheelButtonCell : public QObject {
  Q_OBJECT

public:
  // Where the wheel stands from the control's top-left corner, in whole points.
  static constexpr QPointF kWheelOffset{8.0, 9.0};

  // Draws the whole wheel, at full opacity, only over what is drawn already
  // within `frame` (source-atop).
  void drawBezelWithFrame(QPainter& painter, const QRectF& frame, const QWidget* controlView) const;
  // Whether the control shows the focus: it has it and its window is the active one.
  static bool showsFirstResponder(const QWidget* controlView);

private:
  friend class OlderViewRegistry;
  explicit WheelButtonCell(QObject* parent = nullptr);
};

} // namespace kr
