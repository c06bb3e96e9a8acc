#pragma once

#include <QStringList>

#include <functional>

namespace kr {

// The sounds the running slice starts or stops, and the continuous sounds
// its page offers, which the effects provide. The shell fills the functions
// at start-up; one that is not filled does nothing (or offers no sound).
struct SliceCues {
  // The second tick that announces the soft break.
  std::function<void()> playSecondTick;
  // Stops the continuous background sound.
  std::function<void()> stopContinuousSound;
  // Starts the continuous background sound as far as its settings allow.
  std::function<void()> playContinuousSound;
  // The continuous sounds in list order: what the user reads and what is stored.
  std::function<QStringList()> continuousSoundsLabels;
  std::function<QStringList()> continuousSoundsPrivateNames;

  static SliceCues& shared();

  void callPlaySecondTick() const {
    if (playSecondTick)
      playSecondTick();
  }
  void callStopContinuousSound() const {
    if (stopContinuousSound)
      stopContinuousSound();
  }
  void callPlayContinuousSound() const {
    if (playContinuousSound)
      playContinuousSound();
  }
  QStringList callContinuousSoundsLabels() const {
    return continuousSoundsLabels ? continuousSoundsLabels() : QStringList();
  }
  QStringList callContinuousSoundsPrivateNames() const {
    return continuousSoundsPrivateNames ? continuousSoundsPrivateNames() : QStringList();
  }
};

} // namespace kr
