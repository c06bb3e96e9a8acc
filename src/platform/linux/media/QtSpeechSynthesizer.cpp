#include "platform/linux/media/QtSpeechSynthesizer.h"

#include <QTextToSpeech>

namespace kr {

QtSpeechSynthesizer::QtSpeechSynthesizer(QObject* parent) : QObject(parent) {}

QtSpeechSynthesizer::~QtSpeechSynthesizer() = default;

bool QtSpeechSynthesizer::isEngineInstalled() {
  return !QTextToSpeech::availableEngines().isEmpty();
}

QTextToSpeech* QtSpeechSynthesizer::engine() const {
  if (!tts_ && isEngineInstalled()) {
    tts_ = std::make_unique<QTextToSpeech>();
    defaultLocale_ = tts_->locale();
  }
  return tts_.get();
}

bool QtSpeechSynthesizer::isAvailable() const {
  const QTextToSpeech* tts = engine();
  return tts && tts->state() != QTextToSpeech::Error;
}

QString QtSpeechSynthesizer::unavailableReason() const {
  const QTextToSpeech* tts = engine();
  if (!tts)
    return QStringLiteral("no text-to-speech engine is installed");
  if (tts->state() == QTextToSpeech::Error)
    return QStringLiteral("the speech engine failed: %1").arg(tts->errorString());
  return QString();
}

QString QtSpeechSynthesizer::defaultVoiceLocale() const {
  return engine() ? defaultLocale_.name() : QString();
}

void QtSpeechSynthesizer::speak(const QString& text, float volume, bool englishVoice) {
  QTextToSpeech* tts = engine();
  if (!tts)
    return;
  tts->stop();
  tts->setLocale(englishVoice ? QLocale(QLocale::English, QLocale::UnitedStates) : defaultLocale_);
  tts->setVolume(volume);
  tts->say(text);
}

bool QtSpeechSynthesizer::isSpeaking() const {
  return tts_ && tts_->state() == QTextToSpeech::Speaking;
}

void QtSpeechSynthesizer::stop() {
  if (tts_)
    tts_->stop();
}

} // namespace kr
