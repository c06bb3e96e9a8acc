#pragma once

#include "states/ModernUIState.h"

class QComboBox;

namespace kr {

// The profile page shown on the first launch and whenever the user goes back to
// the profile settings; each of its copies returns to the state it was reached
// from. The page writes settings only: "Let's Get Started" turns the three
// chosen profiles into an initial configuration. Every activation shows the
// profile that is stored, whichever copy changed it last.
class WelcomeState : public ModernUIState {
public:
  WelcomeState();

  const StateExits& exits() const override;
  void build() override;
  void activate() override;

  // Responder action: goes on without writing a configuration.
  void startTimeSlice();
  void letsGetStarted();
  void skip();
  void testSoundSettings();
  void testContinuousSoundSettings();

  QComboBox* techniquePopUp() const { return technique_; }
  QComboBox* notificationPopUp() const { return notification_; }
  QComboBox* continuousSoundPopUp() const { return continuousSound_; }
  // Sets the three pop-ups from the stored choices.
  void showStoredProfile();

  StateBase* next = nullptr;

private:
  QComboBox* addChoiceBar(const QString& key, const QStringList& titles, const QStringList& values,
                          void (WelcomeState::*test)());
  void addExplanation(const QString& key, const QString& value, const QStringList& texts,
                      int minimumHeight);
  void fireNext();

  QComboBox* technique_ = nullptr;
  QComboBox* notification_ = nullptr;
  QComboBox* continuousSound_ = nullptr;
};

} // namespace kr
