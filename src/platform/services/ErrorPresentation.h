#pragma once

#include "platform/services/AlertPresenterAPI.h"

#include <functional>

namespace kr {

// An error shown through the program's standard error presentation: the
// alert that tells of it and, where the error can be recovered from, what
// tries that (given the option chosen; true: recovered).
struct PresentedError {
  Alert alert;
  std::function<bool(int option)> recoveryAttempter;
};

// The program's standard error presentation. Start-up installs the main
// controller's presenter; until then (and without windows) the error's alert
// is shown at once.
class ErrorPresentation {
public:
  using Presenter = std::function<void(const PresentedError&)>;

  static void present(const PresentedError& error);
  // None restores the plain alert.
  static void install(Presenter presenter);
  static bool isInstalled();
};

} // namespace kr
