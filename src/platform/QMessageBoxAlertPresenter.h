#pragma once

#include "platform/AlertPresenterAPI.h"

namespace kr {

// Shows alerts as application-modal message boxes.
class QMessageBoxAlertPresenter final : public AlertPresenterAPI {
public:
  int runModal(const Alert& alert) override;
};

} // namespace kr
