#pragma once

#include "engine/ValueChangeListener.h"

#include <QDateTime>
#include <QList>
#include <QWidget>

#include <array>

class QLabel;

namespace kr {

class BubbleViewWithArrowOnTop;
class CalendarView;

// The earlier duration control that stood under a duration slider: four
// quarter-hour bubbles over the slider, then the chosen minutes, the time a
// slice started now would end, and how motivation and resistance rate its
// length. It reads and sets the slice length; BreakDurationBottomView does
// the same for the break length.
class TimeControlBottomView : public QWidget, public ValueChangeListener {
  Q_OBJECT

public:
  static constexpr double minSliderValue = 2.0;
  static constexpr double maxSliderValue = 60.0;

  // The outlets.
  QLabel* durationTextField() const { return durationTextField_; }
  QLabel* endDateField() const { return endDateField_; }
  QLabel* motivationTextField() const { return motivationTextField_; }
  QLabel* resistanceTextField() const { return resistanceTextField_; }
  QLabel* minutesField() const { return minutesField_; }
  // bubble1 ... bubble4 for 0 ... 3.
  BubbleViewWithArrowOnTop* bubble(int index) const { return bubbles()[std::size_t(index)]; }
  // A calendar strip above the slider, refreshed with this view; none by default.
  CalendarView* linkedTopView() const { return linkedTopView_; }
  void setLinkedTopView(CalendarView* view) { linkedTopView_ = view; }

  // What an interface file's loading does last: the slider's minimum lies
  // 7 points in, and the bubbles take the purple gradient.
  void awakeFromNib();

  // The length this view controls, in minutes and seconds.
  virtual qint64 duration() const;
  virtual qint64 durationInSeconds() const;
  virtual void setDurationInMinutes(int minutes);
  // Follows changes of the length from now on (once, however often called).
  virtual void registerListener();
  void valueHasChanged() override;
  // Sets the length, kept within the slider's 2 to 60 minutes.
  void attemptToSetDurationTo(qint64 minutes);

  // Hides the bubbles and the fields until the view is activated.
  void prepare();
  // Follows the length and shows the fields; the bubbles show at the next update.
  void activate();

  QDateTime computedEndDate() const;
  void updateTotalDurationField();
  void updateState();
  void positionBubbleViews();
  // Clicks on the bubbles are taken and change nothing.
  void bubbleClicked(BubbleViewWithArrowOnTop* bubble);

  double totalWidth() const { return totalWidth_; }
  double tickDelta() const { return tickDelta_; }
  double offset() const { return offset_; }
  // Minutes from now to a bubble's quarter hour, and the time its title shows.
  qint64 bubbleDuration(int index) const;
  QDateTime bubbleTitleDate(int index) const;

protected:
  explicit TimeControlBottomView(QWidget* parent = nullptr);

private:
  friend class OlderViewRegistry;

  std::array<BubbleViewWithArrowOnTop*, 4> bubbles() const {
    return {bubble1_, bubble2_, bubble3_, bubble4_};
  }
  QList<QWidget*> fieldsAndCaptions() const;

  QLabel* durationTextField_ = nullptr;
  QLabel* endDateField_ = nullptr;
  QLabel* motivationTextField_ = nullptr;
  QLabel* resistanceTextField_ = nullptr;
  QLabel* minutesField_ = nullptr;
  QList<QLabel*> captions_;
  BubbleViewWithArrowOnTop* bubble1_ = nullptr;
  BubbleViewWithArrowOnTop* bubble2_ = nullptr;
  BubbleViewWithArrowOnTop* bubble3_ = nullptr;
  BubbleViewWithArrowOnTop* bubble4_ = nullptr;
  CalendarView* linkedTopView_ = nullptr;

  double totalWidth_ = 0.0;
  double tickDelta_ = 0.0;
  double offset_ = 0.0;
  qint64 bubble1Duration_ = 0;
  qint64 bubble2Duration_ = 0;
  qint64 bubble3Duration_ = 0;
  qint64 bubble4Duration_ = 0;
  QDateTime firstDate_;
  QDateTime secondDate_;
  QDateTime thirdDate_;
  QDateTime fourthDate_;
  bool listening_ = false;
};

} // namespace kr
