#include "effects/SoundManager.h"

#include "platform/QnLog.h"
#include "platform/services/AudioOutputAPI.h"
#include "platform/settings/DynamicConfiguration.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

namespace {
const QString kMute = QStringLiteral("mute");
const QString kOutputDevice = QStringLiteral("soundOutputDevice");
} // namespace

namespace {

template <typename Loader> std::unique_ptr<Loader> configuredLoader(const QString& key) {
  registerSoundLoaderClasses();
  return DynamicConfiguration::newObjectForKey<Loader>(key, QStringLiteral("SoundManager"));
}

} // namespace

SoundManager::SoundManager(UserDefaults& defaults, AudioOutputAPI& audio, QObject* parent)
    : SoundManager(
          defaults, audio,
          configuredLoader<SoundLibraryLoader>(QStringLiteral("SoundLibraryLoader")),
          configuredLoader<SoundCollectionLoader>(QStringLiteral("ContinuousSoundsLoader")),
          parent) {}

SoundManager::SoundManager(UserDefaults& defaults, AudioOutputAPI& audio,
                           std::unique_ptr<SoundLibraryLoader> libraryLoader,
                           std::unique_ptr<SoundCollectionLoader> continuousLoader, QObject* parent)
    : QObject(parent), defaults_(defaults), audio_(audio),
      soundLibraryLoader_(std::move(libraryLoader)),
      continuousSoundsLoader_(std::move(continuousLoader)) {
  loadLibrary();
  audio_.setDevicesChangedHandler([this] {
    refreshOutputDevices();
    // Sounds that play on move to the system default while the chosen device
    // is gone, and back to it when it returns.
    Q_EMIT outputDevicesChanged();
  });
  connect(&defaults_, &UserDefaults::changed, this, [this](const QString& key) {
    if (key == kMute && !muteOverride_)
      muteChanged();
  });
}

SoundManager::~SoundManager() { audio_.setDevicesChangedHandler({}); }

void SoundManager::loadLibrary() {
  soundLibrary_ = soundLibraryLoader_->loadSoundLibraryArray();
  for (const SoundEntry& entry : soundLibrary_) {
    privateNames_.append(entry.privateName);
    labels_.insert(entry.privateName, entry.label);
  }
  reminderNames_ = readNameList(QStringLiteral(":/sounds/ReminderSoundPrivateNames.json"));
  reminderLabels_ = labelsFor(reminderNames_, "reminder");
  endNames_ = readNameList(QStringLiteral(":/sounds/EndSoundPrivateNames.json"));
  endLabels_ = labelsFor(endNames_, "end");
  continuousNames_ = continuousSoundsLoader_->loadPrivateNamesArray();
  continuousLabels_ = labelsFor(continuousNames_, "continuous");
}

QStringList SoundManager::labelsFor(QStringList& names, const char* listName) const {
  // A listed sound that is not in the library (a system sound that is not
  // installed) is not offered.
  QStringList labels;
  for (auto it = names.begin(); it != names.end();) {
    if (labels_.contains(*it)) {
      labels << labels_.value(*it);
      ++it;
    } else {
      qn_log(QStringLiteral("%1 sound %2 is not in the library").arg(QLatin1String(listName), *it));
      it = names.erase(it);
    }
  }
  return labels;
}

QString SoundManager::privateNameOfLabel(const QString& label) const {
  for (const SoundEntry& entry : soundLibrary_) {
    if (entry.label == label)
      return entry.privateName;
  }
  return QString();
}

QString SoundManager::getFilePathFromPrivateName(const QString& privateName) const {
  qn_log(QStringLiteral("Get file path for sound with private name: %1").arg(privateName));
  const qsizetype index = privateNames_.indexOf(privateName);
  if (index < 0) {
    if (!reportedMissing_.contains(privateName)) {
      reportedMissing_.insert(privateName);
      platformLog(QStringLiteral("sound with private name: %1 cannot be found!").arg(privateName));
    }
    return QString();
  }
  return soundLibrary_.at(index).filePath;
}

bool SoundManager::allSoundsAreMuted() const {
  return muteOverride_ ? *muteOverride_ : defaults_.boolValue(kMute);
}

void SoundManager::setAllSoundsAreMuted(bool muted) {
  defaults_.setValue(kMute, muted);
  defaults_.synchronize();
}

void SoundManager::setMuteOverride(std::optional<bool> muted) {
  const bool before = allSoundsAreMuted();
  muteOverride_ = muted;
  if (allSoundsAreMuted() != before)
    muteChanged();
}

void SoundManager::muteChanged() {
  if (allSoundsAreMuted())
    stopAllCurrentSounds();
  Q_EMIT allSoundsAreMutedChanged();
}

void SoundManager::stopAllCurrentSounds() { audio_.stopOneShots(); }

void SoundManager::checkSounds() { audio_.dropFinishedOneShots(); }

void SoundManager::playSoundWithPrivateName(const QString& privateName, float volume) {
  if (allSoundsAreMuted())
    return;
  qn_logf("Play Sound with private name: %s at volume %.2f", qPrintable(privateName),
          double(volume));
  play(privateName, volume, false);
}

void SoundManager::playSampleWithPrivateName(const QString& privateName, float volume) {
  qn_logf("Play Sample sound with private name: %s at volume %.2f", qPrintable(privateName),
          double(volume));
  play(privateName, volume, true);
}

bool SoundManager::play(const QString& privateName, float volume, bool sample) {
  const QString path = getFilePathFromPrivateName(privateName);
  if (path.isEmpty())
    return false;
  if (!audio_.isAvailable()) {
    if (!reportedNoAudio_) {
      reportedNoAudio_ = true;
      platformLog(QStringLiteral("No sound: %1").arg(audio_.unavailableReason()));
    }
    return false;
  }
  // A new sound cuts off the one before.
  audio_.stopOneShots();
  const QString device = getCurrentSoundOutputDeviceIdentifier();
  return audio_.playOneShot(path, qBound(0.0f, volume, 1.0f),
                            device == defaultOutputDeviceUID() ? QString() : device, sample);
}

void SoundManager::ensureOutputDevices() const {
  if (!outputDevicesRead_)
    readOutputDevices();
}

void SoundManager::refreshOutputDevices() { readOutputDevices(); }

void SoundManager::readOutputDevices() const {
  outputDevicesRead_ = true;
  audioDeviceNameList_ = {QString::fromLatin1(kUseSystemDefaultName)};
  audioDeviceUIDList_ = {defaultOutputDeviceUID()};
  for (const AudioOutputDevice& device : audio_.outputDevices()) {
    qn_log(device.name);
    audioDeviceNameList_ << device.name;
    audioDeviceUIDList_ << device.id;
  }
}

QString SoundManager::getCurrentSoundOutputDeviceIdentifier() const {
  const QString stored = defaults_.string(kOutputDevice);
  // The choice is kept while its device is unplugged: a brief unplug must not
  // lose it.
  return audioDeviceUIDs().contains(stored) ? stored : defaultOutputDeviceUID();
}

} // namespace kr
