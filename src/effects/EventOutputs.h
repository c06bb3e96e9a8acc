#pragma once

#include <QColor>
#include <QString>

namespace kr {

// The outputs that state events drive: one seam between the notification
// handlers and the services that make sound, speech, notifications, screen
// fades and script calls, so the handlers can be checked with a recorder.
class EventOutputs {
public:
  virtual ~EventOutputs() = default;

  // SoundManager::playSoundWithPrivateName
  virtual void playSound(const QString& privateName, float volume) = 0;
  // SpeechManager::speakString
  virtual void speak(const QString& text) = 0;
  // QNVisualNotification::displayNotification
  virtual void showNotification(const QString& title, const QString& description, double delay,
                                bool sticky) = 0;
  // WhiteNoiseMachine::continuousSoundMachine(): playSubjectToSettings / stopPlaying
  virtual void playContinuousSound() = 0;
  virtual void stopContinuousSound() = 0;
  // ScriptLauncher::executeEventHandlerWithoutResult
  virtual void runScriptHandler(const QString& handler, const QString& text) = 0;
  virtual void runScriptHandler(const QString& handler, const QString& text, qint64 number) = 0;
  // ScreenFadingHelper::quickFadeAllScreens
  virtual void quickFadeAllScreens(const QColor& color, float blendFraction, double duration) = 0;
  // The plain text of the current objective ("" when there is none).
  virtual QString currentObjective() = 0;
};

// Outputs that do nothing: what the notification centre drives until the
// application connects the real services.
class SilentEventOutputs final : public EventOutputs {
public:
  void playSound(const QString&, float) override {}
  void speak(const QString&) override {}
  void showNotification(const QString&, const QString&, double, bool) override {}
  void playContinuousSound() override {}
  void stopContinuousSound() override {}
  void runScriptHandler(const QString&, const QString&) override {}
  void runScriptHandler(const QString&, const QString&, qint64) override {}
  void quickFadeAllScreens(const QColor&, float, double) override {}
  QString currentObjective() override { return QString(); }
};

} // namespace kr
