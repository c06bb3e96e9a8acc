#pragma once

#include "platform/services/ActiveWindowAPI.h"

namespace kr {

// Where no window manager reports the active window: nothing is remembered,
// nothing is activated.
class UnavailableActiveWindow final : public ActiveWindowAPI {
public:
  explicit UnavailableActiveWindow(QString reason) : reason_(std::move(reason)) {}

  bool isAvailable() const override { return false; }
  QString unavailableReason() const override { return reason_; }
  std::optional<WindowId> activeWindowOfAnotherProgram() override { return std::nullopt; }
  void activate(WindowId) override {}
  void bringToDesktopInView(WindowId) override {}

private:
  QString reason_;
};

} // namespace kr
