#pragma once

#include "shell/ShellHooks.h"

#include <QStringList>
#include <Qt>

#include <functional>
#include <memory>

namespace kr {

class ActiveWindowAPI;
class ActivityMonitorAPI;
class DateProviderAPI;
class DefaultsStorageAPI;
class ScreenFadingHelper;
class StatusItem;
class UserDefaults;

// What the start-up objects are made with: the settings, the hooks into other
// parts, and how to make the platform services.
struct ShellContext {
  UserDefaults* defaults = nullptr;
  DefaultsStorageAPI* defaultsStorage = nullptr;
  const DateProviderAPI* dateProvider = nullptr;
  ShellHooks hooks;
  std::function<std::unique_ptr<ActivityMonitorAPI>()> makeActivityMonitor;
  // The tray icon; none: the application runs without one.
  std::function<std::unique_ptr<StatusItem>()> makeStatusItem;
  // The screens' effects shared with the notification centre; none: the
  // shell makes its own.
  ScreenFadingHelper* screenFading = nullptr;
  // The window manager's active window, asked for the main window where a
  // bring to front alone does not show it; none: that is not asked.
  ActiveWindowAPI* activeWindow = nullptr;
  // Whether the application is the active one; the desktop's answer when unset.
  std::function<bool()> applicationIsActive;
  // The modifier keys held now; the desktop's answer when unset.
  std::function<Qt::KeyboardModifiers()> keyboardModifiers;
  // Ends the event loop (QApplication::quit in the application).
  std::function<void()> quitApplication;
  // A quit was asked for before the event loop ran: start-up goes on only as
  // far as it must, starting nothing costly.
  std::function<bool()> quitPending;
  // The steps of start-up and shutdown, in the order they ran.
  QStringList steps;

  void record(const QString& step) { steps.append(step); }
};

} // namespace kr
