#include "platform/AlertPresenterAPI.h"

#include <QLoggingCategory>

namespace kr {

namespace {
Q_LOGGING_CATEGORY(lcAlert, "kr.platform.alert")

class ConsoleAlertPresenter final : public AlertPresenterAPI {
public:
  int runModal(const Alert& alert) override {
    qCWarning(lcAlert).noquote() << alert.messageText << alert.informativeText;
    return 0;
  }
};

ConsoleAlertPresenter consolePresenter;
AlertPresenterAPI* installedPresenter = nullptr;
} // namespace

AlertPresenterAPI& AlertPresenterAPI::shared() {
  return installedPresenter ? *installedPresenter : consolePresenter;
}

void AlertPresenterAPI::install(AlertPresenterAPI* presenter) { installedPresenter = presenter; }

AlertPresenterAPI* AlertPresenterAPI::installed() { return installedPresenter; }

} // namespace kr
