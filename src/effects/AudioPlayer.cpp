#include "effects/AudioPlayer.h"

#include "effects/SoundManager.h"
#include "platform/services/AudioOutputAPI.h"

namespace kr {

namespace {
QString backendDevice(const QString& uid) {
  return uid == SoundManager::defaultOutputDeviceUID() ? QString() : uid;
}
} // namespace

AudioPlayer::AudioPlayer(AudioOutputAPI& audio) : audio_(audio) {}

AudioPlayer::~AudioPlayer() = default;

void AudioPlayer::play(const QString& filePath, const QString& deviceUID) {
  stop();
  if (!player_)
    player_ = audio_.createLoopPlayer();
  if (!player_)
    return;
  player_->setVolume(volume_);
  player_->play(filePath, backendDevice(deviceUID));
}

void AudioPlayer::stop() {
  if (player_)
    player_->stop();
}

bool AudioPlayer::isPlaying() const { return player_ && player_->isPlaying(); }

void AudioPlayer::setVolume(float volume) {
  volume_ = qBound(0.0f, volume, 1.0f);
  if (player_)
    player_->setVolume(volume_);
}

void AudioPlayer::setDevice(const QString& deviceUID) {
  if (player_)
    player_->setDevice(backendDevice(deviceUID));
}

} // namespace kr
