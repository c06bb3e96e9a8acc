#include "effects/LiveEventOutputs.h"

#include "effects/QNVisualNotification.h"
#include "effects/ScreenFadingHelper.h"
#include "effects/ScriptLauncher.h"
#include "effects/SoundManager.h"
#include "effects/SpeechManager.h"
#include "effects/WhiteNoiseMachine.h"
#include "engine/DataModel.h"

namespace kr {

LiveEventOutputs::LiveEventOutputs(SoundManager& sounds, SpeechManager& speech,
                                   QNVisualNotification& visual, WhiteNoiseMachine& continuousSound,
                                   ScriptLauncher& scripts, ScreenFadingHelper& fading,
                                   ObjectiveProvider objective)
    : sounds_(sounds), speech_(speech), visual_(visual), continuousSound_(continuousSound),
      scripts_(scripts), fading_(fading), objective_(std::move(objective)) {}

QString LiveEventOutputs::objectiveOf(DataModel& model) {
  // Paragraphs become blanks, so the objective reads as one sentence.
  return model.objectiveData().plainText().simplified();
}

void LiveEventOutputs::playSound(const QString& privateName, float volume) {
  sounds_.playSoundWithPrivateName(privateName, volume);
}
void LiveEventOutputs::speak(const QString& text) { speech_.speakString(text); }
void LiveEventOutputs::showNotification(const QString& title, const QString& description,
                                        double delay, bool sticky) {
  visual_.displayNotification(title, description, delay, sticky);
}
void LiveEventOutputs::playContinuousSound() { continuousSound_.playSubjectToSettings(); }
void LiveEventOutputs::stopContinuousSound() { continuousSound_.stopPlaying(); }
void LiveEventOutputs::runScriptHandler(const QString& handler, const QString& text) {
  scripts_.executeEventHandlerWithoutResult(handler, text);
}
void LiveEventOutputs::runScriptHandler(const QString& handler, const QString& text,
                                        qint64 number) {
  scripts_.executeEventHandlerWithoutResult(handler, text, number);
}
void LiveEventOutputs::quickFadeAllScreens(const QColor& color, float blendFraction,
                                           double duration) {
  fading_.quickFadeAllScreens(color, blendFraction, duration);
}
QString LiveEventOutputs::currentObjective() { return objective_ ? objective_() : QString(); }

} // namespace kr
