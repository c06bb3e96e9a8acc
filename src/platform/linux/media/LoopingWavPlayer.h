#pragma once

#include "platform/services/AudioOutputAPI.h"

#include <QObject>

#include <memory>

class QAudioSink;

namespace kr {

class LoopingPcmSource;

// Plays a WAV file in a gap-free loop: its samples are fed to an audio sink
// endlessly, so there is no restart between two rounds.
class LoopingWavPlayer final : public QObject, public LoopPlayerAPI {
  Q_OBJECT

public:
  explicit LoopingWavPlayer(QObject* parent = nullptr);
  ~LoopingWavPlayer() override;

  bool play(const QString& filePath, const QString& deviceId) override;
  void stop() override;
  bool isPlaying() const override;
  void setVolume(float volume) override;
  void setDevice(const QString& deviceId) override;

private:
  void report(const QString& message);

  std::unique_ptr<QAudioSink> sink_;
  std::unique_ptr<LoopingPcmSource> source_;
  QString filePath_;
  QString deviceId_;
  float volume_ = 1.0f;
  QString lastReport_;
};

} // namespace kr
