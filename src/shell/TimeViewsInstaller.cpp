#include "shell/TimeViewsInstaller.h"

#include "states/TimeViewFactory.h"
#include "window/BreakElapsedAndEndTimeIndicatorHideableFragmentWall.h"
#include "window/BreakRemainingAndTotalTimeIndicatorHideableFragmentWall.h"
#include "window/BubbleViewForTimedState.h"
#include "window/CalendarView.h"
#include "window/DefineDurationTimeIndicatorWall.h"
#include "window/QuickDurationChangingViewController.h"
#include "window/TimeBubbleView.h"
#include "window/TimeSliceElapsedAndEndTimeIndicatorHideableFragmentWall.h"
#include "window/TimeSliceRemainingAndTotalTimeIndicatorHideableFragmentWall.h"

namespace kr {

namespace {

// A row that reads a timer's view model.
template <typename Row> PageSection timerRow(TimeViewFactory::ViewModelSource viewModel) {
  auto* row = new Row;
  row->viewModel = std::move(viewModel);
  return {row, [row] { row->updateState(); }};
}

// A row of the running slice, which also reads the slice's whole length.
template <typename Row>
PageSection sliceRow(TimeViewFactory::ViewModelSource viewModel,
                     TimeViewFactory::SecondsSource sliceTotal) {
  PageSection section = timerRow<Row>(std::move(viewModel));
  static_cast<Row*>(section.widget)->sliceTotal = std::move(sliceTotal);
  return section;
}

} // namespace

TimeViewsInstaller::TimeViewsInstaller() {
  TimeViewFactory& factory = TimeViewFactory::shared();
  factory.makeTimeBubbleView = [](TimeViewFactory::MinutesSetter setMinutes) {
    TimeBubbleView* row = TimeBubbleView::createNewTimeBubbleView();
    row->prepare();
    row->setNewDurationFunc = std::move(setMinutes);
    return PageSection{row, [row] { row->updateState(); }};
  };
  factory.makeTimedStateBubbleView = [](TimeViewFactory::ViewModelSource viewModel,
                                        std::function<void(std::int64_t)> change) {
    BubbleViewForTimedState* row = BubbleViewForTimedState::createNewTimeBubbleView();
    row->prepare();
    row->viewModel = std::move(viewModel);
    row->changeWorkingDuration = std::move(change);
    return PageSection{row, [row] { row->updateState(); }};
  };
  factory.makeDurationDefinitionWall = [](TimeViewFactory::SecondsSource durationInSeconds) {
    auto* wall = new DefineDurationTimeIndicatorWall;
    wall->obtainDurationInSecondsFunc = [durationInSeconds] {
      return static_cast<qint32>(durationInSeconds());
    };
    wall->obtainDurationInMinutesFunc = [durationInSeconds] {
      return static_cast<qint32>(durationInSeconds() / 60);
    };
    return PageSection{wall, [wall] { wall->updateState(); }};
  };
  factory.makeSliceElapsedAndEndTimeWall =
      &sliceRow<TimeSliceElapsedAndEndTimeIndicatorHideableFragmentWall>;
  factory.makeSliceRemainingAndTotalTimeWall =
      &sliceRow<TimeSliceRemainingAndTotalTimeIndicatorHideableFragmentWall>;
  factory.makeBreakElapsedAndEndTimeWall =
      &timerRow<BreakElapsedAndEndTimeIndicatorHideableFragmentWall>;
  factory.makeBreakRemainingAndTotalTimeWall =
      &timerRow<BreakRemainingAndTotalTimeIndicatorHideableFragmentWall>;
  factory.makeCalendarView = [] {
    CalendarView* strip = CalendarView::createCalendarView();
    strip->prepare();
    return PageSection{strip, [strip] { strip->updateState(); }};
  };
  factory.runQuickDurationDialog = [this](QWidget* anchor, int initialMinutes,
                                          TimeViewFactory::MinutesSetter setter) {
    // One pop-up at a time: a previous one is closed first.
    if (quickDurationChangingViewController_)
      quickDurationChangingViewController_->close();
    quickDurationChangingViewController_ = std::make_unique<QuickDurationChangingViewController>();
    quickDurationChangingViewController_->runModal(anchor, initialMinutes, std::move(setter));
  };
}

TimeViewsInstaller::~TimeViewsInstaller() { TimeViewFactory::shared() = TimeViewFactory{}; }

} // namespace kr
