#pragma once

#include "effects/EventOutputs.h"

#include <functional>

namespace kr {

class DataModel;
class QNVisualNotification;
class ScreenFadingHelper;
class ScriptLauncher;
class SoundManager;
class SpeechManager;
class WhiteNoiseMachine;

// The event outputs on the real services.
class LiveEventOutputs final : public EventOutputs {
public:
  // The plain text of the current objective.
  using ObjectiveProvider = std::function<QString()>;

  LiveEventOutputs(SoundManager& sounds, SpeechManager& speech, QNVisualNotification& visual,
                   WhiteNoiseMachine& continuousSound, ScriptLauncher& scripts,
                   ScreenFadingHelper& fading, ObjectiveProvider objective);

  // The objective of the data model as one line of plain text.
  static QString objectiveOf(DataModel& model);

  void playSound(const QString& privateName, float volume) override;
  void speak(const QString& text) override;
  void showNotification(const QString& title, const QString& description, double delay,
                        bool sticky) override;
  void playContinuousSound() override;
  void stopContinuousSound() override;
  void runScriptHandler(const QString& handler, const QString& text) override;
  void runScriptHandler(const QString& handler, const QString& text, qint64 number) override;
  void quickFadeAllScreens(const QColor& color, float blendFraction, double duration) override;
  QString currentObjective() override;

private:
  SoundManager& sounds_;
  SpeechManager& speech_;
  QNVisualNotification& visual_;
  WhiteNoiseMachine& continuousSound_;
  ScriptLauncher& scripts_;
  ScreenFadingHelper& fading_;
  ObjectiveProvider objective_;
};

} // namespace kr
