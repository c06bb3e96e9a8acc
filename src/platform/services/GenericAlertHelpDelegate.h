#pragma once

#include "platform/services/AlertPresenterAPI.h"

#include <functional>

namespace kr {

// An alert's help that runs one closure, for example showing a help page.
class GenericAlertHelpDelegate final : public AlertHelpDelegate {
public:
  explicit GenericAlertHelpDelegate(std::function<void()> actionFunc);

  // Runs `actionFunc` and answers that the help was shown.
  bool alertShowHelp(const Alert& alert) override;

  std::function<void()> actionFunc;
};

} // namespace kr
