#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <memory>

namespace kr {

class SmartTimerWrapper;

// The time left as minutes and seconds ("02′05″"), drawn in the count-down
// dial's read-out style and stretched over the view. A new time left is not
// jumped to: the text runs there linearly from the value on screen over
// kAnimationSeconds, and the drawing is made anew only when the text it shows
// changes. Time is the application clock's.
class ReadoutLayer : public QWidget {
  Q_OBJECT

public:
  static constexpr double kAnimationSeconds = 0.25;
  // How often a running change looks at the clock.
  static constexpr double kFrameSeconds = 1.0 / 30.0;

  explicit ReadoutLayer(QWidget* parent = nullptr);
  ~ReadoutLayer() override;

  // The time left the view is going to (seconds).
  double timeLeft() const { return timeLeft_; }
  void setTimeLeft(double seconds);
  // The time left on screen now: on its way from the old value to the new.
  double presentedTimeLeft() const;
  bool isAnimating() const { return frames_ != nullptr; }

  // "%02d′%02d″" of the whole seconds, cut towards zero and kept within a
  // 16-bit signed number (a value that is no number reads as 0).
  static QString readoutText(double seconds);
  // The text drawn last, and its drawing (300 x 40).
  const QString& shownText() const { return shownText_; }
  const QImage& contents() const { return contents_; }

  QSize sizeHint() const override { return {300, 40}; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  // Draws the presented time anew when its text changed.
  void display();
  void frame();

  double timeLeft_ = 0.0;
  double from_ = 0.0;
  double changedAt_ = 0.0;
  std::shared_ptr<SmartTimerWrapper> frames_;
  QString shownText_;
  QImage contents_;
};

} // namespace kr
