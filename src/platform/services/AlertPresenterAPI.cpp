#include "platform/services/AlertPresenterAPI.h"

#include "platform/ConsoleText.h"

#include <QLoggingCategory>

namespace kr {

namespace {
Q_LOGGING_CATEGORY(lcAlert, "kr.platform.alert")

class ConsoleAlertPresenter final : public AlertPresenterAPI {
public:
  AlertAnswer respond(const Alert& alert) override {
    qCWarning(lcAlert).noquote() << consoleSafe(alert.messageText)
                                 << consoleSafe(alert.informativeText, true);
    return {0, false};
  }
};

ConsoleAlertPresenter consolePresenter;
AlertPresenterAPI* installedPresenter = nullptr;
} // namespace

QString Alert::suppressionButtonTitle() { return QStringLiteral("Do not show this message again"); }

AlertPresenterAPI& AlertPresenterAPI::shared() {
  return installedPresenter ? *installedPresenter : consolePresenter;
}

void AlertPresenterAPI::install(AlertPresenterAPI* presenter) { installedPresenter = presenter; }

AlertPresenterAPI* AlertPresenterAPI::installed() { return installedPresenter; }

} // namespace kr
