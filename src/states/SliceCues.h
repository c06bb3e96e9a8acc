#pragma once

#include <functional>

namespace kr {

// The sounds the running slice starts or stops, which the effects provide.
// The shell fills the functions at start-up; one that is not filled does
// nothing.
struct SliceCues {
  // The second tick that announces the soft break.
  std::function<void()> playSecondTick;
  // Stops the continuous background sound.
  std::function<void()> stopContinuousSound;

  static SliceCues& shared();

  void callPlaySecondTick() const {
    if (playSecondTick)
      playSecondTick();
  }
  void callStopContinuousSound() const {
    if (stopContinuousSound)
      stopContinuousSound();
  }
};

} // namespace kr
