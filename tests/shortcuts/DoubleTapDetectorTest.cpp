#include "shortcuts/DoubleTapDetector.h"

#include <gtest/gtest.h>

namespace kr {
namespace {

constexpr int kCtrl = 256;
constexpr int kShift = 512;
constexpr int kAlt = 2048;

// Press and release of a modifier alone.
int tap(DoubleTapDetector& d, double time, int modifier) {
  const int fired = d.modifiersChanged(time, modifier);
  d.modifiersChanged(time + 0.05, 0);
  return fired;
}

TEST(DoubleTapDetectorTest, TheSecondPressMustComeWithinTheInterval) {
  DoubleTapDetector d;
  EXPECT_EQ(tap(d, 10.0, kCtrl), 0);
  EXPECT_EQ(tap(d, 10.299, kCtrl), kCtrl);
  // After firing, the next press starts afresh.
  EXPECT_EQ(tap(d, 10.4, kCtrl), 0);

  DoubleTapDetector late;
  EXPECT_EQ(tap(late, 10.0, kCtrl), 0);
  EXPECT_EQ(tap(late, 10.301, kCtrl), 0);
  // The late press is a first tap of its own; its own time counts.
  EXPECT_EQ(tap(late, 10.5, kCtrl), kCtrl);
}

TEST(DoubleTapDetectorTest, AnotherKeyBetweenTapsClearsThePendingTap) {
  DoubleTapDetector d;
  // Ctrl+C then Ctrl+V, quickly.
  d.modifiersChanged(1.0, kCtrl);
  d.otherKeyDown();
  d.modifiersChanged(1.05, 0);
  EXPECT_EQ(d.modifiersChanged(1.1, kCtrl), 0);
  d.otherKeyDown();
  EXPECT_EQ(d.modifiersChanged(1.15, 0), 0);
  EXPECT_EQ(d.pendingModifier(), 0);
}

TEST(DoubleTapDetectorTest, ChordsNeverCount) {
  DoubleTapDetector d;
  // Ctrl and Alt held, Alt released, Ctrl again: nothing at any speed.
  EXPECT_EQ(d.modifiersChanged(1.0, kCtrl), 0);
  EXPECT_EQ(d.modifiersChanged(1.01, kCtrl | kAlt), 0);
  EXPECT_EQ(d.modifiersChanged(1.02, kCtrl), 0);
  EXPECT_EQ(d.modifiersChanged(1.03, 0), 0);
  EXPECT_EQ(d.modifiersChanged(1.04, kCtrl), 0);
  // Ctrl then Shift leaves Shift pending; Shift again fires Shift.
  DoubleTapDetector other;
  EXPECT_EQ(tap(other, 2.0, kCtrl), 0);
  EXPECT_EQ(tap(other, 2.1, kShift), 0);
  EXPECT_EQ(other.pendingModifier(), kShift);
  EXPECT_EQ(tap(other, 2.2, kShift), kShift);
}

TEST(DoubleTapDetectorTest, LeftAndRightAreAlikeAndRepeatsAreNoTaps) {
  DoubleTapDetector d;
  // Left Ctrl tapped, then right Ctrl: both are Ctrl.
  EXPECT_EQ(tap(d, 1.0, kCtrl), 0);
  EXPECT_EQ(tap(d, 1.2, kCtrl), kCtrl);

  // A held Ctrl repeating reports Ctrl again and again: no change, no tap.
  DoubleTapDetector held;
  EXPECT_EQ(held.modifiersChanged(5.0, kCtrl), 0);
  for (int i = 1; i < 10; ++i)
    EXPECT_EQ(held.modifiersChanged(5.0 + i * 0.03, kCtrl), 0);
  // The held press was the first tap; the next comes too late.
  EXPECT_EQ(held.modifiersChanged(5.31, 0), 0);
  EXPECT_EQ(held.modifiersChanged(5.32, kCtrl), 0);
}

TEST(DoubleTapDetectorTest, ResetForgetsEverything) {
  DoubleTapDetector d;
  d.modifiersChanged(1.0, kAlt);
  d.reset();
  d.modifiersChanged(1.05, 0);
  EXPECT_EQ(d.modifiersChanged(1.1, kAlt), 0);
}

} // namespace
} // namespace kr
