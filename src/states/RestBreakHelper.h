#pragma once

#include <memory>

namespace kr {

class CountDownViewController;
class ScreenFadingHelper;
class TimedBreakRunningState;

// Puts up the rest screen of a timed break and takes it down. The screen
// effects are installed by the shell at start-up; without them the break
// runs on the main window's page only.
class RestBreakHelper {
public:
  static RestBreakHelper& shared();

  // Not owned; nullptr uninstalls (and takes a rest screen down first).
  void installScreenFading(ScreenFadingHelper* fading);
  ScreenFadingHelper* screenFading() const { return fading_; }

  // Builds a new rest screen for the state and fades every screen to black
  // with it. Answers whether a rest screen was put up.
  bool bringUpRestScreen(TimedBreakRunningState& state);
  // Stops the rest screen's timer and fades the screens back; safe without a
  // rest screen.
  void takeDownRestScreen();
  // The state is going away: a rest screen of it is taken down and forgotten.
  void forgetState(const TimedBreakRunningState& state);

  CountDownViewController* countDownViewController() const { return controller_.get(); }

private:
  RestBreakHelper();
  ~RestBreakHelper();

  ScreenFadingHelper* fading_ = nullptr;
  std::unique_ptr<CountDownViewController> controller_;
  bool reportedMissingFading_ = false;
};

} // namespace kr
