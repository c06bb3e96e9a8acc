#include "window/TimeBubbleView.h"

#include "window/BubbleViewForTimedState.h"
#include "window/QuarterHourBubbles.h"

#include "art/BezierPathUtility.h"
#include "engine/Clock.h"
#include "platform/settings/UserDefaults.h"

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
    bubble = new BubbleViewWithArrowOnTop(BubbleViewWithArrowOnTop::kFrameInRow, view);
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
  for (BubbleViewWithArrowOnTop* bubble : bubbles_) {
    bubble->hide();
    bubble->setGradient(BezierPathUtility::purpleGradient());
  }
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
  const QuarterHourBubbles ahead(Clock::nowAsDate(), int(minSliderValue));
  durations_ = ahead.minutes();
  dates_ = ahead.quarterHours();
  for (std::size_t k = 0; k < 4; ++k)
    bubbles_[k]->setTitle(ahead.title(int(k)));
  QuarterHourBubbles::place(bubbles_, durations_,
                            {offset_, tickDelta_, minSliderValue, totalWidth_, viewInset});
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
