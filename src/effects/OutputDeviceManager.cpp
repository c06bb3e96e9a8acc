#include "effects/OutputDeviceManager.h"

#include "effects/SoundManager.h"
#include "platform/settings/UserDefaults.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace kr {

namespace {
const QString kDeviceKey = QStringLiteral("soundOutputDevice");
}

OutputDeviceManager::OutputDeviceManager(UserDefaults& defaults, SoundManager& sounds,
                                         QComboBox* outputDevicePopUp,
                                         Preview playStartSoundWithNewSettings, QObject* parent)
    : QObject(parent), defaults_(defaults), sounds_(sounds), outputDevicePopUp_(outputDevicePopUp),
      preview_(std::move(playStartSoundWithNewSettings)) {
  if (outputDevicePopUp_)
    connect(outputDevicePopUp_, &QComboBox::activated, this, &OutputDeviceManager::changeDevice);
  connect(&sounds_, &SoundManager::outputDevicesChanged, this, &OutputDeviceManager::awakeFromNib);
}

void OutputDeviceManager::awakeFromNib() {
  if (!outputDevicePopUp_)
    return;
  const QSignalBlocker quiet(outputDevicePopUp_);
  outputDevicePopUp_->clear();
  outputDevicePopUp_->addItems(sounds_.audioDevices());
  showStoredDevice();
}

void OutputDeviceManager::showStoredDevice() {
  if (!outputDevicePopUp_)
    return;
  const int index = sounds_.indexOfDeviceWithUID(defaults_.string(kDeviceKey));
  const QSignalBlocker quiet(outputDevicePopUp_);
  outputDevicePopUp_->setCurrentIndex(index < 0 ? 0 : index);
}

void OutputDeviceManager::changeDevice(int index) {
  const QString uid = sounds_.audioDeviceUIDWithIndex(index);
  if (uid.isEmpty())
    return;
  if (outputDevicePopUp_) {
    const QSignalBlocker quiet(outputDevicePopUp_);
    outputDevicePopUp_->setCurrentIndex(index);
  }
  defaults_.setValue(kDeviceKey, uid);
  defaults_.synchronize();
  if (preview_)
    preview_();
}

} // namespace kr
