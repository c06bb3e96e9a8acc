#include "shell/SmartAppDelegate.h"

#include "window/MenuItemManager.h"

namespace kr {

SmartAppDelegate::SmartAppDelegate() = default;

SmartAppDelegate::~SmartAppDelegate() = default;

void SmartAppDelegate::applicationWillFinishLaunching(QMenu* mainMenu) {
  menuItemManager_ = std::make_unique<MenuItemManager>(mainMenu);
  run(willFinishLaunchingCallbackList);
}

void SmartAppDelegate::run(const CallbackList& list) {
  // A callback may append to the list; those run too.
  for (std::size_t i = 0; i < list.size(); ++i)
    list[i](*this);
}

} // namespace kr
