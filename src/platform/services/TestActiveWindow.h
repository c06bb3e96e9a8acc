#pragma once

#include "platform/services/ActiveWindowAPI.h"

#include <vector>

namespace kr {

// The active window for tests: another program's window is set by the test,
// and the windows asked to become active or brought to the desktop in view
// are recorded.
class TestActiveWindow final : public ActiveWindowAPI {
public:
  bool isAvailable() const override { return available; }
  QString unavailableReason() const override {
    return available ? QString() : QStringLiteral("no window manager");
  }
  std::optional<WindowId> activeWindowOfAnotherProgram() override {
    return available ? otherProgramsWindow : std::nullopt;
  }
  void activate(WindowId window) override {
    if (available)
      activated.push_back(window);
  }
  void bringToDesktopInView(WindowId window) override {
    if (available)
      broughtToDesktopInView.push_back(window);
  }

  bool available = true;
  // Another program's window in front; none: one of ours, or none at all.
  std::optional<WindowId> otherProgramsWindow;
  std::vector<WindowId> activated;
  std::vector<WindowId> broughtToDesktopInView;
};

} // namespace kr
