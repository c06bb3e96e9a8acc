#pragma once

#include "platform/services/SpeechSynthesizerAPI.h"

#include <QLocale>
#include <QObject>

#include <memory>

class QTextToSpeech;

namespace kr {

// Speech through Qt's text-to-speech (speech-dispatcher with espeak-ng on
// these systems). The engine is started at the first use.
class QtSpeechSynthesizer final : public QObject, public SpeechSynthesizerAPI {
  Q_OBJECT

public:
  explicit QtSpeechSynthesizer(QObject* parent = nullptr);
  ~QtSpeechSynthesizer() override;

  bool isAvailable() const override;
  QString unavailableReason() const override;
  QString defaultVoiceLocale() const override;
  void speak(const QString& text, float volume, bool englishVoice) override;
  bool isSpeaking() const override;
  void stop() override;

private:
  QTextToSpeech* engine() const;

  mutable std::unique_ptr<QTextToSpeech> tts_;
  mutable QLocale defaultLocale_;
};

} // namespace kr
