#include "shell/TimeViewsInstaller.h"

#include "states/TimeViewFactory.h"
#include "window/BubbleViewForTimedState.h"
#include "window/CalendarView.h"
#include "window/DefineDurationTimeIndicatorWall.h"
#include "window/QuickDurationChangingViewController.h"
#include "window/TimeBubbleView.h"
#include "window/TimeSliceElapsedAndEndTimeIndicatorHideableFragmentWall.h"
#include "window/TimeSliceRemainingAndTotalTimeIndicatorHideableFragmentWall.h"

namespace kr {

namespace {

template <typename Row>
PageSection sliceRow(TimeViewFactory::ViewModelSource viewModel,
                     TimeViewFactory::SecondsSource sliceTotal) {
  auto* row = new Row;
  row->viewModel = std::move(viewModel);
  row->sliceTotal = std::move(sliceTotal);
  return {row, [row] { row->updateState(); }};
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
