#include "platform/services/TestAudioOutput.h"

namespace kr {

namespace {
class TestLoopPlayer final : public LoopPlayerAPI {
public:
  TestLoopPlayer(std::shared_ptr<TestAudioOutput::LoopLog> log, QStringList unplayable)
      : log_(std::move(log)), unplayable_(std::move(unplayable)) {}

  bool play(const QString& filePath, const QString& deviceId) override {
    playing_ = !unplayable_.contains(filePath);
    log_->calls.append(QStringLiteral("play %1 on %2%3")
                           .arg(filePath, deviceId.isEmpty() ? QStringLiteral("default") : deviceId,
                                playing_ ? QString() : QStringLiteral(" (failed)")));
    return playing_;
  }
  void stop() override {
    if (playing_)
      log_->calls.append(QStringLiteral("stop"));
    playing_ = false;
  }
  bool isPlaying() const override { return playing_; }
  void setVolume(float volume) override {
    log_->calls.append(QStringLiteral("volume %1").arg(double(volume), 0, 'f', 2));
  }
  void setDevice(const QString& deviceId) override {
    log_->calls.append(QStringLiteral("device %1").arg(deviceId));
  }

private:
  std::shared_ptr<TestAudioOutput::LoopLog> log_;
  QStringList unplayable_;
  bool playing_ = false;
};
} // namespace

bool TestAudioOutput::playOneShot(const QString& filePath, float volume, const QString& deviceId,
                                  bool lastSecondOnly) {
  if (!available)
    return false;
  oneShots.push_back({filePath, volume, deviceId, lastSecondOnly});
  return true;
}

void TestAudioOutput::stopOneShots() { ++stopOneShotsCount; }

std::unique_ptr<LoopPlayerAPI> TestAudioOutput::createLoopPlayer() {
  return std::make_unique<TestLoopPlayer>(loopLog, unplayableFiles);
}

} // namespace kr
