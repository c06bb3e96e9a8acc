#include "effects/OutputDeviceManager.h"

#include "effects/SoundManager.h"
#include "platform/MenuTitle.h"
#include "platform/UserDefaults.h"

#include <QAction>
#include <QMenu>

namespace kr {

OutputDeviceManager::OutputDeviceManager(UserDefaults& defaults, SoundManager& sounds,
                                         QMenu* outputDeviceMenu,
                                         Preview playStartSoundWithNewSettings, QObject* parent)
    : QObject(parent), defaults_(defaults), sounds_(sounds), outputDeviceMenu_(outputDeviceMenu),
      preview_(std::move(playStartSoundWithNewSettings)) {}

QString OutputDeviceManager::uidForMenuItemTitle(const QString& title) const {
  return sounds_.audioDeviceUIDWithIndex(sounds_.indexOfDeviceWithName(title));
}

QString OutputDeviceManager::menuItemTitleForUID(const QString& uid) const {
  return sounds_.audioDeviceNameWithIndex(sounds_.indexOfDeviceWithUID(uid));
}

void OutputDeviceManager::awakeFromNib() {
  if (!outputDeviceMenu_)
    return;
  const QString current = menuItemTitleForUID(sounds_.getCurrentSoundOutputDeviceIdentifier());
  outputDeviceMenu_->clear();
  for (const QString& name : sounds_.audioDevices()) {
    QAction* action = outputDeviceMenu_->addAction(menuTitle(name));
    action->setCheckable(true);
    action->setChecked(name == current);
    connect(action, &QAction::triggered, this, [this, name] { changeDevice(name); });
  }
}

void OutputDeviceManager::changeDevice(const QString& title) {
  const QString uid = uidForMenuItemTitle(title);
  if (uid.isEmpty())
    return;
  if (outputDeviceMenu_) {
    for (QAction* action : outputDeviceMenu_->actions())
      action->setChecked(action->text() == menuTitle(title));
  }
  defaults_.setValue(QStringLiteral("soundOutputDevice"), uid);
  if (preview_)
    preview_();
}

} // namespace kr
