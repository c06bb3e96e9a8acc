#include "shell/StandardHooks.h"

#include "shell/ShellHooks.h"

#include "engine/LogFileManager.h"
#include "engine/UpgradeManager.h"
#include "platform/FolderContentMonitor.h"

namespace kr {

void StandardHooks::installLogFileHooks(ShellHooks& hooks) {
  // update() arms the one-second reload unless one is pending already.
  hooks.scheduleLogFileReload = [] { LogFileManager::sharedInstance().update(); };
  hooks.startLogFolderMonitor = [] {
    LogFileManager& manager = LogFileManager::sharedInstance();
    manager.followLogFolder();
    if (!manager.monitor().isStarted())
      manager.monitor().start();
  };
  hooks.upgradeEverything = [] { UpgradeManager::sharedInstance().upgradeEverything(); };
}

} // namespace kr
