#pragma once

#include "platform/services/AudioOutputAPI.h"
#include "platform/services/DesktopNotifierAPI.h"
#include "platform/services/SpeechSynthesizerAPI.h"

namespace kr {

// Back ends for a desktop that lacks the service: they say why and do nothing.

class UnavailableAudioOutput final : public AudioOutputAPI {
public:
  explicit UnavailableAudioOutput(QString reason) : reason_(std::move(reason)) {}
  bool isAvailable() const override { return false; }
  QString unavailableReason() const override { return reason_; }
  QList<AudioOutputDevice> outputDevices() const override { return {}; }
  bool playOneShot(const QString&, float, const QString&, bool) override { return false; }
  void stopOneShots() override {}
  std::unique_ptr<LoopPlayerAPI> createLoopPlayer() override { return nullptr; }

private:
  QString reason_;
};

class UnavailableSpeechSynthesizer final : public SpeechSynthesizerAPI {
public:
  explicit UnavailableSpeechSynthesizer(QString reason) : reason_(std::move(reason)) {}
  bool isAvailable() const override { return false; }
  QString unavailableReason() const override { return reason_; }
  QString defaultVoiceLocale() const override { return QString(); }
  void speak(const QString&, float, bool) override {}
  bool isSpeaking() const override { return false; }
  void stop() override {}

private:
  QString reason_;
};

class UnavailableDesktopNotifier final : public DesktopNotifierAPI {
public:
  explicit UnavailableDesktopNotifier(QString reason) : reason_(std::move(reason)) {}
  void notify(const DesktopNotification&, Reply reply) override { reply(0, reason_); }
  void close(quint32) override {}
  bool isAvailable() const override { return false; }
  QString unavailableReason() const override { return reason_; }

private:
  QString reason_;
};

} // namespace kr
