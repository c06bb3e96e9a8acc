#pragma once

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace kr {

class TimedStateMachineViewModel;

// A view made for a page section and the step that refreshes it.
struct PageSection {
  QWidget* widget = nullptr;
  std::function<void()> update;
};

// Makes the time views of the pages (quarter-hour bubbles, duration and
// time read-outs, the calendar strip, the quick duration dialog), which live with the main
// window. The shell fills the functions at start-up; a page built without
// one gets an empty section in its place, and a dialog that cannot be made
// is not shown.
struct TimeViewFactory {
  using MinutesSetter = std::function<void(int minutes)>;
  using ViewModelSource = std::function<TimedStateMachineViewModel*()>;
  using SecondsSource = std::function<std::int64_t()>;

  // The bubbles of a page that defines a length: a click hands the minutes
  // to the bubble's quarter hour to `setMinutes`.
  std::function<PageSection(MinutesSetter setMinutes)> makeTimeBubbleView;
  // The bubbles of a running page: a click hands the new working duration
  // (seconds from the start of the running machine) to `changeWorkingDuration`.
  std::function<PageSection(ViewModelSource viewModel,
                            std::function<void(std::int64_t)> changeWorkingDuration)>
      makeTimedStateBubbleView;
  // "Duration: n Minutes" and "Ends:" for the length `durationInSeconds` gives.
  std::function<PageSection(SecondsSource durationInSeconds)> makeDurationDefinitionWall;
  // The running slice's rows "Elapsed:"/"Ends:" and "Remaining:"/"Total:";
  // `sliceTotal` is the slice's whole length (planned plus extension).
  std::function<PageSection(ViewModelSource viewModel, SecondsSource sliceTotal)>
      makeSliceElapsedAndEndTimeWall;
  std::function<PageSection(ViewModelSource viewModel, SecondsSource sliceTotal)>
      makeSliceRemainingAndTotalTimeWall;
  // The timed break's rows "Elapsed:"/"Ends:" and "Remaining:"/"Total:", all
  // read from its timer.
  std::function<PageSection(ViewModelSource viewModel)> makeBreakElapsedAndEndTimeWall;
  std::function<PageSection(ViewModelSource viewModel)> makeBreakRemainingAndTotalTimeWall;
  // The strip of the coming hour's calendar events.
  std::function<PageSection()> makeCalendarView;
  // Opens the quick duration dialog at `anchor` with `initialMinutes`;
  // `setter` receives the minutes typed (2 to 60). A previous dialog is
  // closed first.
  std::function<void(QWidget* anchor, int initialMinutes, MinutesSetter setter)>
      runQuickDurationDialog;

  static TimeViewFactory& shared();

  // Opens the quick duration dialog for the current page. The minutes typed
  // reach `setter` only while the page that opened it is still the one shown
  // (the slice or break may end behind the dialog); without the dialog
  // nothing opens.
  void openQuickDurationDialog(QWidget* anchor, int initialMinutes, MinutesSetter setter) const;

  // The section the function makes, or an empty placeholder without one.
  template <typename Maker, typename... Args>
  static PageSection make(const Maker& maker, Args&&... args) {
    if (maker)
      return maker(std::forward<Args>(args)...);
    return PageSection{new QWidget, {}};
  }
};

} // namespace kr
