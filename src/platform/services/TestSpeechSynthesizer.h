#pragma once

#include "platform/services/SpeechSynthesizerAPI.h"

#include <vector>

namespace kr {

// Speech for tests: records what would be said.
class TestSpeechSynthesizer final : public SpeechSynthesizerAPI {
public:
  struct Utterance {
    QString text;
    float volume;
    bool englishVoice;
  };

  bool isAvailable() const override { return available; }
  QString unavailableReason() const override { return QStringLiteral("no speech engine"); }
  QString defaultVoiceLocale() const override { return voiceLocale; }
  void speak(const QString& text, float volume, bool englishVoice) override {
    utterances.push_back({text, volume, englishVoice});
    speaking = true;
  }
  bool isSpeaking() const override { return speaking; }
  void stop() override {
    speaking = false;
    ++stopCount;
  }

  bool available = true;
  QString voiceLocale = QStringLiteral("en_GB");
  std::vector<Utterance> utterances;
  bool speaking = false;
  int stopCount = 0;
};

} // namespace kr
