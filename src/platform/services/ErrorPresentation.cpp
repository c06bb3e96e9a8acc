#include "platform/services/ErrorPresentation.h"

namespace kr {

namespace {
ErrorPresentation::Presenter& installedPresenter() {
  static ErrorPresentation::Presenter presenter;
  return presenter;
}
} // namespace

void ErrorPresentation::present(const PresentedError& error) {
  if (const Presenter& presenter = installedPresenter()) {
    presenter(error);
    return;
  }
  AlertPresenterAPI::shared().runModal(error.alert);
}

void ErrorPresentation::install(Presenter presenter) {
  installedPresenter() = std::move(presenter);
}

bool ErrorPresentation::isInstalled() { return static_cast<bool>(installedPresenter()); }

} // namespace kr
