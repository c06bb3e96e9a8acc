#pragma once

#include "states/InformalBreakRules.h"
#include "states/ModernUIState.h"

#include "engine/SecondTicker.h"
#include "kit/text/ObjectiveTextView.h"

#include <QPointer>

#include <optional>

class QCheckBox;
class QLabel;

namespace kr {

class TagTokenField;

// An informal break without a count-down. It ends when the user goes on, or
// by itself when a switched-on rule holds: an hour after it began, back from
// lunch, in the morning, or after five minutes without input. The rules are
// checked every 0.1 s while the state is active and a rule is switched on;
// with none switched on, nothing can end the break and the page is only
// refreshed once a second. Switching a rule on starts the quick checks at once.
class InformalBreakState : public ModernUIState {
public:
  static constexpr double kCheckInterval = 0.1;
  static constexpr double kIdleRefreshInterval = 1.0;

  InformalBreakState();
  ~InformalBreakState() override;

  const StateExits& exits() const override;
  void build() override;
  void activate() override;
  void deactivate() override;

  // Responder actions.
  void startTimeSlice();
  void backToWelcomePage();
  // Shows the tag editor if it was hidden and puts the caret in its field.
  void selectTagTokenField();

  // One run of the rule check; answers the rule that ended the break.
  InformalBreakRules::Rule checkRules();
  // The hour check box was switched on: the hour counts from now.
  void restartHour();

  std::optional<double> automaticTransitionInitiatedTime() const { return initiatedTime_; }
  QCheckBox* endAutomaticallyAfterAnHourCheckbox() const { return hourCheckbox_; }
  QLabel* inactiveTimeLeftLabel() const { return inactiveTimeLeftLabel_; }
  QLabel* timeRemainingLabel() const { return timeRemainingLabel_; }
  bool isRuleTimerRunning() const;
  // The interval of the running check timer; 0 when none runs.
  double ruleTimerInterval() const;

  StateBase* next = nullptr;
  StateBase* welcome = nullptr;

  ObjectiveTextView* objectiveTextView() const { return objectiveTextView_; }
  TagTokenField* tagTokenField() const { return tagTokenField_; }

private:
  QPointer<ObjectiveTextView> objectiveTextView_;
  TagTokenField* tagTokenField_ = nullptr;
  void updateLabels(double now, double idleSeconds);
  void stopTimer();
  // (Re)starts the check timer at the interval the switched-on rules need.
  void scheduleChecks();
  static bool anyRuleSwitchedOn();

  QMetaObject::Connection rulesChanged_;

  std::optional<double> initiatedTime_;
  std::shared_ptr<SmartTimerWrapper> automaticTransitionTimer_;
  SecondTicker::Subscription idleRefresh_;
  QCheckBox* hourCheckbox_ = nullptr;
  QCheckBox* inactivityCheckbox_ = nullptr;
  QCheckBox* breakfastCheckbox_ = nullptr;
  QCheckBox* lunchCheckbox_ = nullptr;
  QLabel* inactiveTimeLeftLabel_ = nullptr;
  QLabel* timeRemainingLabel_ = nullptr;
};

} // namespace kr
