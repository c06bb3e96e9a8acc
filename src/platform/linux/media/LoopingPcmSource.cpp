#include "platform/linux/media/LoopingPcmSource.h"

#include <algorithm>
#include <cstring>

namespace kr {

LoopingPcmSource::LoopingPcmSource(QByteArray pcm, int bytesPerFrame, QObject* parent)
    : QIODevice(parent), pcm_(std::move(pcm)), bytesPerFrame_(std::max(1, bytesPerFrame)) {
  // Only whole frames loop; a partial frame at the end would shift every channel.
  pcm_.truncate(pcm_.size() - pcm_.size() % bytesPerFrame_);
}

qint64 LoopingPcmSource::bytesAvailable() const {
  return (pcm_.isEmpty() ? 0 : pcm_.size()) + QIODevice::bytesAvailable();
}

qint64 LoopingPcmSource::readData(char* data, qint64 maxSize) {
  if (pcm_.isEmpty())
    return 0;
  // Hand out whole frames only.
  const qint64 wanted = maxSize - maxSize % bytesPerFrame_;
  qint64 written = 0;
  while (written < wanted) {
    const qint64 chunk = std::min<qint64>(wanted - written, pcm_.size() - position_);
    std::memcpy(data + written, pcm_.constData() + position_, size_t(chunk));
    written += chunk;
    position_ = (position_ + chunk) % pcm_.size();
  }
  return written;
}

} // namespace kr
