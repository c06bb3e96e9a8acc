#pragma once

#include "platform/services/AudioOutputAPI.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace kr {

// Audio output for tests: records what would be played and plays nothing.
class TestAudioOutput final : public AudioOutputAPI {
public:
  struct OneShot {
    QString filePath;
    float volume;
    QString deviceId;
    bool lastSecondOnly;
  };
  // What the loop players were asked, shared with the players this object made.
  struct LoopLog {
    QStringList calls;
  };

  bool isAvailable() const override { return available; }
  QString unavailableReason() const override { return available ? QString() : reason; }
  QList<AudioOutputDevice> outputDevices() const override { return devices; }
  bool playOneShot(const QString& filePath, float volume, const QString& deviceId,
                   bool lastSecondOnly) override;
  void stopOneShots() override;
  std::unique_ptr<LoopPlayerAPI> createLoopPlayer() override;
  void setDevicesChangedHandler(std::function<void()> handler) override {
    devicesChanged = std::move(handler);
  }

  bool available = true;
  QString reason = QStringLiteral("no sound server");
  QList<AudioOutputDevice> devices;
  std::vector<OneShot> oneShots;
  int stopOneShotsCount = 0;
  // Files the loop players refuse to open.
  QStringList unplayableFiles;
  std::function<void()> devicesChanged;
  std::shared_ptr<LoopLog> loopLog = std::make_shared<LoopLog>();
};

} // namespace kr
