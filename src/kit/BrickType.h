#pragma once

namespace kr {

class ControlSkin;

// What the bricks factory asks of the kit's controls (and of text fields): take
// a control skin, and switch to the small control size.
class BrickType {
public:
  virtual ~BrickType() = default;
  virtual void apply(const ControlSkin& skin) = 0;
  virtual void small() = 0;
};

} // namespace kr
