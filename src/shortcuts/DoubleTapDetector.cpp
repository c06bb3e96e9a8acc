#include "shortcuts/DoubleTapDetector.h"

#include "shortcuts/KeyTransformer.h"

#include <bit>

namespace kr {

int DoubleTapDetector::modifiersChanged(double time, int heldModifiers) {
  const int held = heldModifiers & KeyTransformer::kCarbonModifierMask;
  // A held key repeating, or a second key of a modifier already held (left
  // and right Ctrl), changes nothing.
  if (held == held_)
    return 0;
  held_ = held;
  const int count = std::popcount(static_cast<unsigned>(held));
  if (count == 0)
    return 0;
  if (count >= 2) {
    multiModifiers_ = true;
    pending_ = 0;
    return 0;
  }
  if (multiModifiers_) {
    // The first single modifier after a chord is a release, not a tap.
    multiModifiers_ = false;
    return 0;
  }
  if (pending_ == held && time - pendingTime_ <= kInterval && time >= pendingTime_) {
    pending_ = 0;
    return held;
  }
  pending_ = held;
  pendingTime_ = time;
  return 0;
}

void DoubleTapDetector::otherKeyDown() { pending_ = 0; }

void DoubleTapDetector::reset() {
  held_ = 0;
  pending_ = 0;
  pendingTime_ = 0.0;
  multiModifiers_ = false;
}

} // namespace kr
