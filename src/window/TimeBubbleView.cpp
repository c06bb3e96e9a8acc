#include "window/TimeBubbleView.h"

#include "window/BubbleViewForTimedState.h"

#include "engine/Clock.h"
#include "platform/LocalTimeZone.h"
#include "platform/settings/UserDefaults.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace kr {

TimeBubbleView::TimeBubbleView() {
  setNewDurationFunc = [](int minutes) {
    UserDefaults::standard().setValue(QStringLiteral("durationInSeconds"), qint64{minutes} * 60);
  };
}

TimeBubbleView::~TimeBubbleView() = default;

template <typename View> View* TimeBubbleView::create() {
  auto* view = new View;
  view->setFixedHeight(int(kHeight));
  for (auto& bubble : view->bubbles_) {
    bubble = new BubbleViewWithArrowOnTop(QRect(58, 1, 60, 25), view);
    QObject::connect(bubble, &BubbleViewWithArrowOnTop::clicked, view,
                     [view](BubbleViewWithArrowOnTop* clicked) { view->bubbleClicked(clicked); });
  }
  return view;
}

TimeBubbleView* TimeBubbleView::createNewTimeBubbleView() { return create<TimeBubbleView>(); }

BubbleViewForTimedState* BubbleViewForTimedState::createNewTimeBubbleView() {
  return create<BubbleViewForTimedState>();
}

void TimeBubbleView::prepare() {
  for (BubbleViewWithArrowOnTop* bubble : bubbles_)
    bubble->hide();
  offset_ = sliderInset + viewInset;
}

void TimeBubbleView::updateState() {
  // Each bubble repaints itself when its title or arrow changes; the row
  // draws nothing of its own, so a refresh with nothing changed paints nothing.
  positionBubbleViews();
}

void TimeBubbleView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A row placed before the page was laid out used a width it did not get.
  if (positioned_ && width() != int(totalWidth_))
    positionBubbleViews();
}

void TimeBubbleView::positionBubbleViews() {
  positioned_ = true;
  totalWidth_ = width();
  tickDelta_ = (totalWidth_ - 2 * viewInset - 2 * sliderInset) / (maxSliderValue - minSliderValue);
  const QDateTime now = Clock::nowAsDate(); // local already
  const int minute = now.time().minute();
  const int quarter = minute / 15 * 15;
  QDateTime first = LocalTimeZone::dateTime(now.date(), QTime(now.time().hour(), quarter));
  first = first.addSecs(15 * 60);
  int d1 = 15 - (minute - quarter);
  // A quarter hour less than the slider's minimum away is skipped.
  if (d1 < int(minSliderValue)) {
    d1 = 30 - (minute - quarter);
    first = first.addSecs(15 * 60);
  }
  // The titles name quarter hours: the locale's short time without seconds.
  // (The pattern is made once: made anew, it was compiled every second.)
  static const QRegularExpression seconds(QStringLiteral("[:.]ss?"));
  QString format = QLocale().timeFormat(QLocale::ShortFormat);
  format.remove(seconds);
  for (std::size_t k = 0; k < 4; ++k) {
    durations_[k] = d1 + 15 * int(k);
    dates_[k] = first.addSecs(qint64(k) * 15 * 60);
    bubbles_[k]->setTitle(
        QLocale().toString(now.addSecs(qint64(durations_[k]) * 60).time(), format));
  }

  const double c1 = std::floor(offset_ + (durations_[0] - minSliderValue) * tickDelta_);
  std::array<double, 4> x{};
  // Each arrow is set once: a bubble repaints whenever its arrow moves, and
  // an arrow set to the middle and then moved back would repaint every second.
  std::array<double, 4> middle{};
  for (std::size_t k = 0; k < 4; ++k) {
    const double half = bubbles_[k]->width() * 0.5;
    x[k] = std::floor(c1 + tickDelta_ * 15 * double(k) - half);
    middle[k] = std::floor(half);
  }
  const double half1 = bubbles_[0]->width() * 0.5;
  if (x[0] < viewInset) {
    middle[0] = std::floor(half1) + (x[0] - viewInset);
    x[0] = viewInset;
  }
  const double w4 = bubbles_[3]->width();
  if (totalWidth_ - viewInset < x[3] + w4) {
    middle[3] = std::floor(w4 * 0.5) + (x[3] + w4 - totalWidth_) + viewInset;
    x[3] = totalWidth_ - w4 - viewInset;
  }
  for (std::size_t k = 0; k < 4; ++k) {
    bubbles_[k]->setMiddleX(middle[k]);
    bubbles_[k]->move(int(x[k]), bubbles_[k]->y());
    bubbles_[k]->setVisible(k < 3 || durations_[3] <= 60);
  }
}

int TimeBubbleView::indexOf(const BubbleViewWithArrowOnTop* bubble) const {
  for (std::size_t k = 0; k < 4; ++k) {
    if (bubbles_[k] == bubble)
      return int(k);
  }
  return -1;
}

void TimeBubbleView::bubbleClicked(BubbleViewWithArrowOnTop* bubble) {
  const int index = indexOf(bubble);
  const int minutes = index < 0 ? 0 : durations_[std::size_t(index)];
  if (setNewDurationFunc)
    setNewDurationFunc(minutes);
}

} // namespace kr
