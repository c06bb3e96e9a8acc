#pragma once

#include "platform/services/AudioOutputAPI.h"

#include <QAudioDevice>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>

class QMediaDevices;
class QMediaPlayer;

namespace kr {

// The system's audio outputs through Qt Multimedia: one-shot sounds with a
// media player (WAV and the sound theme's Ogg files), loops with an audio sink.
// Nothing of the sound system is set up until sound is first asked for (the
// device list, a sound played): a program that plays no sound keeps no
// connection to the sound server, nor its memory.
class QtAudioOutput final : public QObject, public AudioOutputAPI {
  Q_OBJECT

public:
  explicit QtAudioOutput(QObject* parent = nullptr);
  ~QtAudioOutput() override;

  bool isAvailable() const override;
  QString unavailableReason() const override;
  QList<AudioOutputDevice> outputDevices() const override;
  bool playOneShot(const QString& filePath, float volume, const QString& deviceId,
                   bool lastSecondOnly) override;
  void stopOneShots() override;
  void dropFinishedOneShots() override;
  std::unique_ptr<LoopPlayerAPI> createLoopPlayer() override;
  void setDevicesChangedHandler(std::function<void()> handler) override;

  // The device with that id; the system default for an empty or unknown id.
  static QAudioDevice deviceWithId(const QString& id);

  // Whether the sound system has been set up (sound was asked for).
  bool isSetUp() const { return devices_ != nullptr; }

private:
  // Connects to the sound system on first use, follows its devices from then
  // on, and says once whether sound can be played.
  void setUp() const;

  mutable QMediaDevices* devices_ = nullptr;
  QList<QPointer<QMediaPlayer>> players_;
  QSet<QString> reported_;
  std::function<void()> devicesChanged_;
};

} // namespace kr
