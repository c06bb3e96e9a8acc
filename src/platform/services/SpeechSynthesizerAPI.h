#pragma once

#include <QString>

namespace kr {

// The system's speech synthesizer.
class SpeechSynthesizerAPI {
public:
  virtual ~SpeechSynthesizerAPI() = default;

  virtual bool isAvailable() const = 0;
  virtual QString unavailableReason() const = 0;

  // The language of the default voice as a locale name ("en_US", "de_DE").
  virtual QString defaultVoiceLocale() const = 0;
  // Speaks asynchronously with the default voice, or with an English voice when
  // `englishVoice` is set and one exists. Replaces whatever was being said.
  virtual void speak(const QString& text, float volume, bool englishVoice) = 0;
  virtual bool isSpeaking() const = 0;
  virtual void stop() = 0;
};

} // namespace kr
