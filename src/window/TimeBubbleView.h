#pragma once

#include "window/BubbleViewWithArrowOnTop.h"

#include <QDateTime>
#include <QWidget>

#include <array>
#include <functional>

namespace kr {

// A row of four bubbles above a duration slider, one for each of the next
// quarter hours. Each bubble's arrow points at the slider position of the
// minutes from now to its quarter hour; a click hands those minutes to
// setNewDurationFunc (by default stored as the slice length).
class TimeBubbleView : public QWidget {
  Q_OBJECT

public:
  static constexpr double sliderInset = 9.0;
  static constexpr double viewInset = 8.0;
  static constexpr double kHeight = 26.0;

  // The row with its four bubbles, 26 points high.
  static TimeBubbleView* createNewTimeBubbleView();
  ~TimeBubbleView() override;

  // Hides the bubbles until the first positioning.
  void prepare();
  // Durations, titles and positions from the clock's current time.
  void positionBubbleViews();
  // The page refresh and the duration listeners.
  void updateState();
  virtual void bubbleClicked(BubbleViewWithArrowOnTop* bubble);

  std::function<void(int minutes)> setNewDurationFunc;
  double minSliderValue = 2.0;
  double maxSliderValue = 60.0;

  BubbleViewWithArrowOnTop* bubble(int index) const { return bubbles_[std::size_t(index)]; }
  int bubbleDuration(int index) const { return durations_[std::size_t(index)]; }
  QDateTime bubbleDate(int index) const { return dates_[std::size_t(index)]; }
  double offset() const { return offset_; }
  double tickDelta() const { return tickDelta_; }

protected:
  TimeBubbleView();
  // The positions follow the width the page gives the row.
  void resizeEvent(QResizeEvent* event) override;
  // The bubble's index, or -1.
  int indexOf(const BubbleViewWithArrowOnTop* bubble) const;

private:
  std::array<BubbleViewWithArrowOnTop*, 4> bubbles_{};
  std::array<int, 4> durations_{};
  std::array<QDateTime, 4> dates_{};
  double offset_ = 0.0;
  double tickDelta_ = 0.0;
  double totalWidth_ = 0.0;
  bool positioned_ = false;
  friend class BubbleViewForTimedState;
  template <typename View> static View* create();
};

} // namespace kr
