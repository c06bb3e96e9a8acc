#pragma once

#include "kit/MenuButtonBrick.h"

namespace kr {

// A pop-up button whose face shows the chosen item. No skin has pop-up
// artwork, so applying one leaves it with the platform's look.
class PopUpButtonBrick : public MenuButtonBrick {
  Q_OBJECT

public:
  explicit PopUpButtonBrick(bool pullsDown = false, QWidget* parent = nullptr);

  void apply(const ControlSkin& skin) override;
};

} // namespace kr
