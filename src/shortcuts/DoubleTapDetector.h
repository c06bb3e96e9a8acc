#pragma once

namespace kr {

// Tells a modifier tapped twice from everything else. It is fed the modifiers
// held after each change (Carbon values; left and right keys alike) with the
// event's time, and told when another key goes down. A modifier pressed alone
// becomes the pending tap; pressing it alone again within 0.3 s of that first
// press fires. Another key, a second modifier held with it, or time running out
// clears the pending tap. Nothing else of the keyboard is kept.
class DoubleTapDetector {
public:
  static constexpr double kInterval = 0.3;

  // Returns the Carbon value of the modifier tapped twice, or 0.
  int modifiersChanged(double time, int heldModifiers);
  void otherKeyDown();
  void reset();

  int pendingModifier() const { return pending_; }

private:
  int held_ = 0;
  int pending_ = 0;
  double pendingTime_ = 0.0;
  bool multiModifiers_ = false;
};

} // namespace kr
