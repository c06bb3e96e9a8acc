#include "platform/services/GenericAlertHelpDelegate.h"

namespace kr {

GenericAlertHelpDelegate::GenericAlertHelpDelegate(std::function<void()> actionFunc)
    : actionFunc(std::move(actionFunc)) {}

bool GenericAlertHelpDelegate::alertShowHelp(const Alert&) {
  if (actionFunc)
    actionFunc();
  return true;
}

} // namespace kr
