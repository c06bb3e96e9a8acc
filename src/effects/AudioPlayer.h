#pragma once

#include <QString>

#include <memory>

namespace kr {

class AudioOutputAPI;
class LoopPlayerAPI;

// The looping player of the continuous sound: one file, a volume and a device.
class AudioPlayer {
public:
  explicit AudioPlayer(AudioOutputAPI& audio);
  ~AudioPlayer();

  // Plays the file in a loop without end ("useSystemDefault": the system's device).
  void play(const QString& filePath, const QString& deviceUID);
  void stop();
  bool isPlaying() const;
  void setVolume(float volume);
  float volume() const { return volume_; }
  void setDevice(const QString& deviceUID);

private:
  AudioOutputAPI& audio_;
  std::unique_ptr<LoopPlayerAPI> player_;
  float volume_ = 1.0f;
};

} // namespace kr
