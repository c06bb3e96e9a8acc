#pragma once

#include <QString>

#include <functional>

namespace kr {

class BaseState;

// What the states need of the application around them: the main window that
// shows their pages, the application's hidden state and the status item. The
// shell installs the one implementation at start-up; a state activated before
// that is a programming error.
class StateHost {
public:
  virtual ~StateHost() = default;

  // Shows the state's page in the main window and focuses its first responder.
  virtual void activateView(BaseState& state) = 0;
  // Hides the application (a timed state that runs in the background).
  virtual void hide(BaseState& state) = 0;
  // Gives the status item its title and check state. Without a status item
  // (no tray) nothing is set.
  virtual void setStatusItem(const QString& title, int state) = 0;
  // Removes the state-dependent items of the status menu.
  virtual void removeAllStatusMenuItems() = 0;
  // Adds a state-dependent item to the status menu; the next
  // removeAllStatusMenuItems() takes it away. A host without a status menu
  // ignores it.
  virtual void addStatusMenuItem(const QString& title, std::function<void()> action) {
    (void)title;
    (void)action;
  }

  // The installed host; stops the program when none is installed.
  static StateHost& instance();
  static bool isInstalled();
  // Not owned; nullptr uninstalls.
  static void install(StateHost* host);
};

} // namespace kr
