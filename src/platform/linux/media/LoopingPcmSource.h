#pragma once

#include <QByteArray>
#include <QIODevice>

namespace kr {

// An endless stream of one block of PCM frames, repeated without a gap: what
// the audio sink pulls while a continuous sound plays.
class LoopingPcmSource final : public QIODevice {
  Q_OBJECT

public:
  LoopingPcmSource(QByteArray pcm, int bytesPerFrame, QObject* parent = nullptr);

  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override;

protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char*, qint64) override { return -1; }

private:
  QByteArray pcm_;
  int bytesPerFrame_;
  qint64 position_ = 0;
};

} // namespace kr
