#pragma once

#include "platform/AlertPresenterAPI.h"

namespace kr {

// Shows alerts as application-modal message boxes; an alert with a help
// delegate gets a "Help" button, one that asks for it the suppression check
// box.
class QMessageBoxAlertPresenter final : public AlertPresenterAPI {
public:
  AlertAnswer respond(const Alert& alert) override;

private:
  static AlertAnswer runOnce(const Alert& alert, bool* helpPressed, bool suppressed);
};

} // namespace kr
