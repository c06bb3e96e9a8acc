#pragma once

#include <QString>
#include <QWidget>

namespace kr {

// One quarter-hour bubble: a labelled bubble whose arrow on top points at a
// slider position. A click is reported to the row that holds it.
class BubbleViewWithArrowOnTop : public QWidget {
  Q_OBJECT

public:
  explicit BubbleViewWithArrowOnTop(const QRect& frame, QWidget* parent = nullptr);

  QString title() const { return title_; }
  void setTitle(const QString& title);
  double middleX() const { return middleX_; }
  // Rounded to whole points; 0 becomes 1 and anything above 42 becomes 45,
  // so the arrow never sits on the rounded corners.
  void setMiddleX(double x);

Q_SIGNALS:
  void clicked(BubbleViewWithArrowOnTop* bubble);

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  QString title_;
  double middleX_ = 5.0;
};

} // namespace kr
