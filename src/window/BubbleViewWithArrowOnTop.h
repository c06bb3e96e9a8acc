#pragma once

#include "platform/drawing/GraphicsContext.h"

#include <QString>
#include <QWidget>

namespace kr {

// One quarter-hour bubble: a labelled bubble whose arrow on top points at a
// slider position. A click is reported to the row that holds it.
class BubbleViewWithArrowOnTop : public QWidget {
  Q_OBJECT

public:
  // Where a row makes its bubbles, before their first placing.
  static constexpr QRect kFrameInRow{58, 1, 60, 25};

  explicit BubbleViewWithArrowOnTop(const QRect& frame, QWidget* parent = nullptr);

  QString title() const { return title_; }
  void setTitle(const QString& title);
  double middleX() const { return middleX_; }
  // Rounded to whole points; 0 becomes 1 and anything above 42 becomes 45,
  // so the arrow never sits on the rounded corners.
  void setMiddleX(double x);
  // Kept for the row that sets it; the bubble's look is the style kit's alone.
  const Gradient& gradient() const { return gradient_; }
  void setGradient(const Gradient& gradient) { gradient_ = gradient; }

Q_SIGNALS:
  void clicked(BubbleViewWithArrowOnTop* bubble);

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  QString title_;
  double middleX_ = 5.0;
  Gradient gradient_;
};

} // namespace kr
