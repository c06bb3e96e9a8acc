#pragma once

#include <QString>

#include <optional>

namespace kr {

// The window the desktop has made active, as its window manager reports it,
// and a way to make another program's window active again: the rest screen
// gives the window the user worked in back when it goes. The main window,
// asked for by the user, is brought to the desktop in view.
class ActiveWindowAPI {
public:
  using WindowId = quint64;

  virtual ~ActiveWindowAPI() = default;

  // False where the window manager reports no active window;
  // `unavailableReason()` then says why.
  virtual bool isAvailable() const = 0;
  virtual QString unavailableReason() const = 0;

  // The active window when it is another program's; none when it is one of
  // ours, when no window is active, or where that cannot be known.
  virtual std::optional<WindowId> activeWindowOfAnotherProgram() = 0;
  // Asks the window manager to make the window active, as a task bar does
  // for the user. A window that has gone meanwhile is left alone by it.
  virtual void activate(WindowId window) = 0;
  // Asks the window manager to make one of our windows active on the
  // desktop in view, moved there when it keeps the window on another one.
  virtual void bringToDesktopInView(WindowId window) = 0;
};

} // namespace kr
