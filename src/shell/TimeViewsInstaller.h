#pragma once

#include <memory>

namespace kr {

class QuickDurationChangingViewController;

// Gives the state pages the main window's time views: the quarter-hour
// bubbles, the duration and slice read-outs, the calendar strip and the
// quick duration pop-up.
// Installed while alive; keeps the one pop-up the pages share.
class TimeViewsInstaller {
public:
  TimeViewsInstaller();
  ~TimeViewsInstaller();
  TimeViewsInstaller(const TimeViewsInstaller&) = delete;
  TimeViewsInstaller& operator=(const TimeViewsInstaller&) = delete;

private:
  std::unique_ptr<QuickDurationChangingViewController> quickDurationChangingViewController_;
};

} // namespace kr
