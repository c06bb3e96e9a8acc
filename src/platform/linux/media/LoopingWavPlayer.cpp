#include "platform/linux/media/LoopingWavPlayer.h"

#include "platform/QnLog.h"
#include "platform/files/WavFile.h"
#include "platform/linux/media/LoopingPcmSource.h"
#include "platform/linux/media/QtAudioOutput.h"

#include <QAudioFormat>
#include <QAudioSink>

namespace kr {

LoopingWavPlayer::LoopingWavPlayer(QObject* parent) : QObject(parent) {}

LoopingWavPlayer::~LoopingWavPlayer() { stop(); }

void LoopingWavPlayer::report(const QString& message) {
  // The same trouble is reported once, not at every retry.
  if (message == lastReport_)
    return;
  lastReport_ = message;
  platformLog(message);
}

bool LoopingWavPlayer::play(const QString& filePath, const QString& deviceId) {
  stop();
  filePath_ = filePath;
  deviceId_ = deviceId;
  QString error;
  const std::optional<WavFile> wav = WavFile::read(filePath, &error);
  if (!wav) {
    report(QStringLiteral("Continuous sound cannot be played: %1").arg(error));
    return false;
  }
  const QAudioDevice device = QtAudioOutput::deviceWithId(deviceId);
  if (device.isNull()) {
    report(QStringLiteral("Continuous sound cannot be played: no audio output device"));
    return false;
  }
  QAudioFormat format;
  format.setSampleRate(wav->sampleRate);
  format.setChannelCount(wav->channels);
  format.setSampleFormat(QAudioFormat::Int16);
  sink_ = std::make_unique<QAudioSink>(device, format);
  sink_->setVolume(volume_);
  source_ = std::make_unique<LoopingPcmSource>(wav->pcm, wav->bytesPerFrame());
  // own-file: the sound's samples in memory, no file
  source_->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  sink_->start(source_.get());
  if (sink_->error() != QAudio::NoError) {
    report(QStringLiteral("Continuous sound cannot be played on %1 (audio error %2)")
               .arg(device.description())
               .arg(int(sink_->error())));
    stop();
    return false;
  }
  lastReport_.clear();
  return true;
}

void LoopingWavPlayer::stop() {
  if (sink_)
    sink_->stop();
  sink_.reset();
  source_.reset();
}

bool LoopingWavPlayer::isPlaying() const { return sink_ && sink_->state() != QAudio::StoppedState; }

void LoopingWavPlayer::setVolume(float volume) {
  volume_ = volume;
  if (sink_)
    sink_->setVolume(volume_);
}

void LoopingWavPlayer::setDevice(const QString& deviceId) {
  if (deviceId == deviceId_)
    return;
  if (isPlaying())
    play(filePath_, deviceId);
  else
    deviceId_ = deviceId;
}

} // namespace kr
