#pragma once

#include "platform/AlertPresenter.h"

namespace kr {

// Shows alerts as application-modal message boxes.
class QMessageBoxAlertPresenter final : public AlertPresenter {
public:
  int runModal(const Alert& alert) override;
};

} // namespace kr
