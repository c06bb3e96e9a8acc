#include "shell/ShellStateHost.h"

#include "shell/AppDelegate.h"
#include "shell/MainController.h"
#include "shell/ShellHooks.h"

#include "effects/QNNotificationCenter.h"
#include "window/StatusItemMenuManager.h"

#include <QAction>

namespace kr {

ShellStateHost::ShellStateHost(MainController& mainController, AppDelegate& appDelegate,
                               const ShellHooks& hooks)
    : mainController_(mainController), appDelegate_(appDelegate), hooks_(hooks) {
  StateHost::install(this);
  StateEventPoster::install(this);
}

ShellStateHost::~ShellStateHost() {
  StateHost::install(nullptr);
  StateEventPoster::install(nullptr);
}

void ShellStateHost::activateView(BaseState& state) { mainController_.activateView(state); }

// Through the main controller, so a state hides the application only while it
// is active, like the menus do.
void ShellStateHost::hide(BaseState&) { mainController_.hideApplication(); }

void ShellStateHost::setStatusItem(const QString& title, int state) {
  // Without a status item (no tray) nothing is set.
  if (hooks_.setStatusItem)
    hooks_.setStatusItem(title, state);
}

void ShellStateHost::removeAllStatusMenuItems() {
  ShellHooks::call(hooks_.removeAllStatusMenuItems);
}

void ShellStateHost::addStatusMenuItem(const QString& title, std::function<void()> action) {
  auto item = std::make_unique<QAction>(title);
  QObject::connect(item.get(), &QAction::triggered, item.get(), std::move(action));
  StatusItemMenuManager::instance().addItem(std::move(item));
}

void ShellStateHost::triggerNotificationForEvent(const QString& event, int value, int maxValue) {
  QNNotificationCenter::sharedNotificationCenter().triggerNotificationForEvent(event, value,
                                                                               maxValue);
}

} // namespace kr
