#pragma once

#include "platform/services/AlertPresenterAPI.h"

#include <functional>

namespace kr {

// Shows alerts as message boxes modal to the window that asks (the active
// one; none: blocking nothing), each answered before it returns; an alert with a help
// delegate gets a "Help" button, one that asks for it the suppression check
// box.
class QMessageBoxAlertPresenter final : public AlertPresenterAPI {
public:
  AlertAnswer respond(const Alert& alert) override;
  // While it answers true, an alert blocks no other window (the program
  // starts: the tray's menu stays usable, to quit from under the alert).
  void setStartingUp(std::function<bool()> startingUp) { startingUp_ = std::move(startingUp); }

private:
  AlertAnswer runOnce(const Alert& alert, bool* helpPressed, bool suppressed) const;

  std::function<bool()> startingUp_;
};

} // namespace kr
