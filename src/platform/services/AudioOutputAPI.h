#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace kr {

// One audio output of the system, as the sound settings store it.
struct AudioOutputDevice {
  QString id;   // stable identifier stored under "soundOutputDevice"
  QString name; // what the user sees
  bool operator==(const AudioOutputDevice&) const = default;
};

// A player that repeats one sound file without a gap until it is stopped.
class LoopPlayerAPI {
public:
  virtual ~LoopPlayerAPI() = default;
  // Starts the file from its beginning on the device (an empty id means the
  // system default). Returns false, and plays nothing, when it cannot.
  virtual bool play(const QString& filePath, const QString& deviceId) = 0;
  virtual void stop() = 0;
  virtual bool isPlaying() const = 0;
  // 0.0 silent to 1.0 full; applied in place while playing.
  virtual void setVolume(float volume) = 0;
  virtual void setDevice(const QString& deviceId) = 0;
};

// The system's audio outputs: the device list, one-shot sounds and loop players.
class AudioOutputAPI {
public:
  virtual ~AudioOutputAPI() = default;

  // False where no audio output can be reached; `unavailableReason()` says why.
  virtual bool isAvailable() const = 0;
  virtual QString unavailableReason() const = 0;

  // The devices that can play sound, in the system's order.
  virtual QList<AudioOutputDevice> outputDevices() const = 0;

  // Plays a sound file once at a volume on a device (empty id: the system
  // default). With `lastSecondOnly` a sound longer than a second starts one
  // second before its end. Returns false when nothing could be started.
  virtual bool playOneShot(const QString& filePath, float volume, const QString& deviceId,
                           bool lastSecondOnly) = 0;
  // Stops every one-shot sound still playing.
  virtual void stopOneShots() = 0;
  // Forgets the one-shot sounds that have finished; an output that keeps
  // none has nothing to do.
  virtual void dropFinishedOneShots() {}

  virtual std::unique_ptr<LoopPlayerAPI> createLoopPlayer() = 0;

  // Runs the function whenever devices are plugged in or out (the latest one set wins).
  virtual void setDevicesChangedHandler(std::function<void()> handler) { (void)handler; }
};

} // namespace kr
