#include "platform/linux/media/QtAudioOutput.h"

#include "platform/QnLog.h"
#include "platform/files/FileOperations.h"
#include "platform/linux/media/LoopingWavPlayer.h"

#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

namespace kr {

namespace {
const char* const kNoDevice = "no audio output device (is a sound server running?)";
} // namespace

QtAudioOutput::QtAudioOutput(QObject* parent) : QObject(parent) {}

QtAudioOutput::~QtAudioOutput() { stopOneShots(); }

void QtAudioOutput::setUp() const {
  if (devices_)
    return;
  auto* self = const_cast<QtAudioOutput*>(this);
  devices_ = new QMediaDevices(self);
  connect(devices_, &QMediaDevices::audioOutputsChanged, self, [self] {
    if (self->devicesChanged_)
      self->devicesChanged_();
  });
  const bool available = !QMediaDevices::audioOutputs().isEmpty();
  describeService(QStringLiteral("sound"), available,
                  available ? QString() : QString::fromLatin1(kNoDevice));
}

bool QtAudioOutput::isAvailable() const {
  setUp();
  return !QMediaDevices::audioOutputs().isEmpty();
}

QString QtAudioOutput::unavailableReason() const {
  return isAvailable() ? QString() : QString::fromLatin1(kNoDevice);
}

QList<AudioOutputDevice> QtAudioOutput::outputDevices() const {
  setUp();
  QList<AudioOutputDevice> list;
  for (const QAudioDevice& device : QMediaDevices::audioOutputs())
    list.append({QString::fromUtf8(device.id()), device.description()});
  return list;
}

QAudioDevice QtAudioOutput::deviceWithId(const QString& id) {
  if (!id.isEmpty()) {
    for (const QAudioDevice& device : QMediaDevices::audioOutputs()) {
      if (QString::fromUtf8(device.id()) == id)
        return device;
    }
  }
  return QMediaDevices::defaultAudioOutput();
}

bool QtAudioOutput::playOneShot(const QString& filePath, float volume, const QString& deviceId,
                                bool lastSecondOnly) {
  // The media framework opens the file itself, waiting on a pipe: only a
  // regular file is handed to it.
  if (!FileOperations::isRegularFile(filePath)) {
    if (!reported_.contains(filePath)) {
      reported_.insert(filePath);
      platformLog(
          QStringLiteral("Sound %1 cannot be played: it is not a regular file").arg(filePath));
    }
    return false;
  }
  setUp();
  const QAudioDevice device = deviceWithId(deviceId);
  if (device.isNull())
    return false;
  auto* player = new QMediaPlayer(this);
  auto* output = new QAudioOutput(device, player);
  output->setVolume(volume);
  player->setAudioOutput(output);
  if (lastSecondOnly) {
    connect(player, &QMediaPlayer::durationChanged, player, [player](qint64 duration) {
      if (duration > 1000)
        player->setPosition(duration - 1000);
    });
  }
  connect(player, &QMediaPlayer::mediaStatusChanged, player, [player](QMediaPlayer::MediaStatus s) {
    if (s == QMediaPlayer::EndOfMedia || s == QMediaPlayer::InvalidMedia)
      player->deleteLater();
  });
  connect(player, &QMediaPlayer::errorOccurred, this,
          [this, filePath](QMediaPlayer::Error, const QString& message) {
            if (!reported_.contains(filePath)) {
              reported_.insert(filePath);
              platformLog(QStringLiteral("Sound %1 cannot be played: %2").arg(filePath, message));
            }
          });
  player->setSource(QUrl::fromLocalFile(filePath));
  player->play();
  players_.removeAll(nullptr);
  players_.append(player);
  return true;
}

void QtAudioOutput::stopOneShots() {
  for (const QPointer<QMediaPlayer>& player : players_) {
    if (player) {
      player->stop();
      player->deleteLater();
    }
  }
  players_.clear();
}

void QtAudioOutput::dropFinishedOneShots() {
  // A player that reached its end has gone already; one that stopped
  // without reaching it (an error) goes now.
  players_.removeIf([](const QPointer<QMediaPlayer>& player) {
    if (!player)
      return true;
    if (player->playbackState() != QMediaPlayer::StoppedState)
      return false;
    player->deleteLater();
    return true;
  });
}

void QtAudioOutput::setDevicesChangedHandler(std::function<void()> handler) {
  devicesChanged_ = std::move(handler);
}

std::unique_ptr<LoopPlayerAPI> QtAudioOutput::createLoopPlayer() {
  setUp();
  return std::make_unique<LoopingWavPlayer>();
}

} // namespace kr
