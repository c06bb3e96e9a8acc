#pragma once

#include "platform/services/ActiveWindowAPI.h"

#include <memory>

namespace kr {

// The active window on X11, as the window manager names it on the root
// window (_NET_ACTIVE_WINDOW), read and requested over Qt's own connection.
class X11ActiveWindow final : public ActiveWindowAPI {
public:
  // None when the application does not run on X11; `why` then says so.
  static std::unique_ptr<X11ActiveWindow> create(QString* why);

  // Whether the window manager running now names the active window.
  bool isAvailable() const override;
  QString unavailableReason() const override;
  std::optional<WindowId> activeWindowOfAnotherProgram() override;
  // Sent as a task bar sends it (the user's own request), stamped with the
  // X server's time.
  void activate(WindowId window) override;
  // The window's desktop (_NET_WM_DESKTOP) set to the current one first,
  // where it differs: a request to activate a window on another desktop is
  // refused by some window managers (openbox).
  void bringToDesktopInView(WindowId window) override;

private:
  // The top-level window of ours the desktop has made active, if any.
  static std::optional<WindowId> ownActiveWindow();

  X11ActiveWindow(void* connection, quint32 root);
  quint32 atom(const char* name) const;
  // The server's clock, which stamps its events; "the current time" where
  // it cannot be read.
  quint32 serverTime() const;
  // Sends a client message about `window` to the window manager.
  void sendToWindowManager(WindowId window, quint32 type, const quint32 (&data)[3]) const;

  void* connection_;
  quint32 root_;
  quint32 activeWindowAtom_;
  quint32 supportedAtom_;
  quint32 currentDesktopAtom_;
  quint32 windowDesktopAtom_;
  // The server's clock counter, looked up when first needed (inner none:
  // the server has none).
  mutable std::optional<std::optional<quint32>> serverTimeCounter_;
};

} // namespace kr
