#include "effects/SpeechManager.h"

#include "effects/SoundManager.h"
#include "effects/TextLanguage.h"
#include "platform/QnLog.h"
#include "platform/services/SpeechSynthesizerAPI.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

namespace {
const QString kMute = QStringLiteral("mute");
} // namespace

SpeechManager::SpeechManager(UserDefaults& defaults, SpeechSynthesizerAPI& synth,
                             SoundManager* sounds, QObject* parent)
    : QObject(parent), defaults_(defaults), sounds_(sounds), synth_(synth) {
  if (sounds_) {
    connect(sounds_, &SoundManager::allSoundsAreMutedChanged, this, [this] {
      if (muted())
        cutOffInMidSentence();
    });
    return;
  }
  connect(&defaults_, &UserDefaults::changed, this, [this](const QString& key) {
    if (key == kMute && muted())
      cutOffInMidSentence();
  });
}

bool SpeechManager::muted() const {
  return sounds_ ? sounds_->allSoundsAreMuted() : defaults_.boolValue(kMute);
}

void SpeechManager::speakString(const QString& text) {
  if (muted())
    return;
  if (!synth_.isAvailable()) {
    if (!reportedUnavailable_) {
      reportedUnavailable_ = true;
      platformLog(QStringLiteral("No speech: %1").arg(synth_.unavailableReason()));
    }
    return;
  }
  const float volume =
      qBound(0.0f, defaults_.floatValue(QStringLiteral("speechReminderVolume")), 1.0f);
  const bool englishVoice = TextLanguage::guess(text) == QLatin1String("en") &&
                            !synth_.defaultVoiceLocale().startsWith(QLatin1String("en"));
  synth_.speak(text, volume, englishVoice);
  qn_logf("Speaking: '%s' at volume: %f", qPrintable(text), double(volume));
}

void SpeechManager::cutOffInMidSentence() {
  // Asked in this order, a synthesizer that never spoke is not started here.
  if (synth_.isSpeaking() && synth_.isAvailable())
    synth_.stop();
}

} // namespace kr
