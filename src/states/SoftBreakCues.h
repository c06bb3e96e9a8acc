#pragma once

#include <functional>

namespace kr {

// The sounds, messages and the user script that mark the course of a soft
// break. The effects provide them; the shell fills the functions at start-up
// and each does only what the user's settings switch on. One that is not
// filled does nothing.
struct SoftBreakCues {
  std::function<void()> playFirstTick;
  std::function<void()> playSecondTick;
  std::function<void()> playTock;
  std::function<void()> speakAndDisplayUserStillActiveMessages;
  std::function<void()> speakAndDisplayIntermediaryMessages;
  std::function<void()> speakAndDisplayForcedBreakMessages;
  std::function<void()> executeEndOfTimeSliceScript;

  static SoftBreakCues& shared();

  // Runs one of the functions above when it is filled.
  static void call(const std::function<void()>& cue) {
    if (cue)
      cue();
  }
};

} // namespace kr
