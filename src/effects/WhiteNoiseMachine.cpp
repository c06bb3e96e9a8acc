#include "effects/WhiteNoiseMachine.h"

#include "effects/EffectsServices.h"
#include "effects/SoundManager.h"
#include "platform/QnLog.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

WhiteNoiseMachine::WhiteNoiseMachine(UserDefaults& defaults, SoundManager& sounds,
                                     AudioOutputAPI& audio, QObject* parent)
    : QObject(parent), defaults_(defaults), sounds_(sounds), audioPlayer_(audio) {}

WhiteNoiseMachine::~WhiteNoiseMachine() {
  if (sampleTimer_)
    sampleTimer_->stop();
  audioPlayer_.stop();
}

WhiteNoiseMachine& WhiteNoiseMachine::continuousSoundMachine() {
  return EffectsServices::shared().continuousSoundMachine();
}

void WhiteNoiseMachine::awakeFromNib() {
  connect(&defaults_, &UserDefaults::changed, this, [this](const QString& key) {
    if (key == soundOnKey() || key == soundKey() || key == volumeKey() ||
        key == QLatin1String("soundOutputDevice"))
      adjustToNewSettings();
  });
  connect(&sounds_, &SoundManager::allSoundsAreMutedChanged, this,
          &WhiteNoiseMachine::adjustToNewSettings);
  // The chosen device unplugged or back: the sound follows it.
  connect(&sounds_, &SoundManager::outputDevicesChanged, this,
          &WhiteNoiseMachine::adjustToNewSettings);
}

bool WhiteNoiseMachine::isSwitchedOn() const { return defaults_.boolValue(soundOnKey()); }
float WhiteNoiseMachine::volume() const { return defaults_.floatValue(volumeKey()); }
bool WhiteNoiseMachine::allSoundsAreMuted() const { return sounds_.allSoundsAreMuted(); }

void WhiteNoiseMachine::playSubjectToSettings() {
  isPlayingSubjectToSettings_ = true;
  adjustToNewSettings();
}

void WhiteNoiseMachine::stopPlaying() {
  isPlayingSubjectToSettings_ = false;
  adjustToNewSettings();
}

void WhiteNoiseMachine::block() {
  isTemporarilyBlockedByDialog_ = true;
  adjustToNewSettings();
}

void WhiteNoiseMachine::unblock() {
  isTemporarilyBlockedByDialog_ = false;
  adjustToNewSettings();
}

void WhiteNoiseMachine::playSample() {
  if (sampleTimer_)
    sampleTimer_->stop();
  sampleTimer_.reset();
  samplePlayTimeLeft_ = 6;
  decrementSampleTimeAndAdjust();
}

void WhiteNoiseMachine::decrementSampleTimeAndAdjust() {
  qn_logf("decrementSampleTimeAndAdjust: %lld", static_cast<long long>(samplePlayTimeLeft_));
  if (samplePlayTimeLeft_ > 0) {
    --samplePlayTimeLeft_;
    if (samplePlayTimeLeft_ > 0) {
      sampleTimer_ = SmartTimerWrapper::wrapTimer(
          1.0, false, [this](SmartTimerWrapper&) { decrementSampleTimeAndAdjust(); });
      sampleTimer_->setTolerance(0.5);
    } else {
      sampleTimer_.reset();
    }
  }
  adjustToNewSettings();
}

void WhiteNoiseMachine::startPlayer(const QString& name, const QString& device) {
  privateName_ = name;
  currentSoundOutputDeviceUID_ = device;
  audioPlayer_.play(sounds_.getFilePathFromPrivateName(name), device);
}

void WhiteNoiseMachine::adjustToNewSettings() {
  qn_log(QStringLiteral("adjust to new settings"));
  audioPlayer_.setVolume(volume());
  const bool wanted = isPlayingSubjectToSettings_ && isSwitchedOn() && !allSoundsAreMuted() &&
                      !isTemporarilyBlockedByDialog_;
  QString name = defaults_.string(soundKey());
  if (!sounds_.hasSound(name)) {
    // A stored sound that left the library is replaced by the default one.
    name = defaultSoundPrivateName();
    defaults_.setValue(soundKey(), name);
  }
  if (!wanted && samplePlayTimeLeft_ <= 0) {
    if (audioPlayer_.isPlaying())
      audioPlayer_.stop();
    return;
  }
  const QString device = sounds_.getCurrentSoundOutputDeviceIdentifier();
  if (audioPlayer_.isPlaying()) {
    if (name == privateName_ && device == currentSoundOutputDeviceUID_)
      return;
    startPlayer(name, device);
  }
  if (!audioPlayer_.isPlaying() && !sounds_.getFilePathFromPrivateName(name).isEmpty())
    startPlayer(name, device);
}

} // namespace kr
