#pragma once

#include "platform/AlertPresenterAPI.h"

namespace kr {

// Shows alerts as application-modal message boxes; an alert with a help
// delegate gets a "Help" button.
class QMessageBoxAlertPresenter final : public AlertPresenterAPI {
public:
  int runModal(const Alert& alert) override;

private:
  static int runOnce(const Alert& alert, bool* helpPressed);
};

} // namespace kr
