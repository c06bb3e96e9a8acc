#pragma once

#include "platform/services/SpeechSynthesizerAPI.h"

#include <QLocale>
#include <QObject>

#include <memory>

class QTextToSpeech;

namespace kr {

// Speech through Qt's text-to-speech (speech-dispatcher with espeak-ng on
// these systems). The engine is started when something is first said (or
// asked about it): starting it connects to the speech server, which may be
// launched for it.
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

  // Whether a speech engine is installed; starts none.
  static bool isEngineInstalled();
  // Whether the engine has been started.
  bool isStarted() const { return tts_ != nullptr; }

private:
  QTextToSpeech* engine() const;

  mutable std::unique_ptr<QTextToSpeech> tts_;
  mutable QLocale defaultLocale_;
};

} // namespace kr
