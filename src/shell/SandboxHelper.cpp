#include "shell/SandboxHelper.h"

#include "engine/BackingStoreManager.h"
#include "platform/QnLog.h"
#include "platform/files/LoginItems.h"

#include <QCoreApplication>

#include <memory>

namespace kr {

namespace {
LoginItems* installedItems = nullptr;
} // namespace

void SandboxHelper::installLoginItems(LoginItems* items) { installedItems = items; }

LoginItems& SandboxHelper::loginItems() {
  if (installedItems)
    return *installedItems;
  // Made on first use: the running program's path is known by then.
  static XdgAutostartLoginItems autostart;
  return autostart;
}

QString SandboxHelper::getApplicationSupportFolderPath() {
  return BackingStoreManager::sharedManager().applicationSupportDirectory();
}

bool SandboxHelper::isLaunchAtStartup() { return loginItems().containsThisProgram(); }

std::optional<QString> SandboxHelper::itemRefInLoginItems() {
  return loginItems().itemForThisProgram();
}

bool SandboxHelper::toggleLaunchAtStartup(QString* error) {
  QString why;
  const bool on = isLaunchAtStartup();
  const bool done = on ? loginItems().removeThisProgram(&why) : loginItems().addThisProgram(&why);
  if (!done) {
    platformLog(QStringLiteral("the login item could not be turned %1: %2")
                    .arg(on ? QStringLiteral("off") : QStringLiteral("on"), why));
    if (error)
      *error = why;
  }
  return done;
}

void SandboxHelper::dealWithLaunchFromDiskImage() {
  platformLog(QStringLiteral("launch path: %1").arg(QCoreApplication::applicationFilePath()));
}

} // namespace kr
