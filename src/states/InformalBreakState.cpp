#include "states/InformalBreakState.h"

#include "kit/Label.h"
#include "kit/bricks/PushButtonBrick.h"
#include "kit/skins/KorvaneControlSkin.h"
#include "kit/walls/BricksFactory.h"
#include "kit/walls/LabelFragment.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "kit/walls/TitleFragment.h"
#include "states/ButtonWallHelper.h"
#include "states/HelpButton.h"

#include "states/AppDelegateAPI.h"
#include "states/SectionVisibility.h"
#include "states/StateHost.h"
#include "states/TagEditorSection.h"

#include "engine/Clock.h"
#include "engine/DataModel.h"
#include "engine/DateHelper.h"
#include "engine/SecondTicker.h"
#include "engine/StateMachine.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/settings/UserDefaults.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace kr {

namespace {
constexpr char kHideTagEditorKey[] = "hideTagEditorInInformalBreakState";
const QString kHideTagEditor = QString::fromLatin1(kHideTagEditorKey);
const QString kHideAutomaticEnd = QStringLiteral("automaticEndToInformalBreak");
const QStringList kRuleKeys{QStringLiteral("endInformalBreakAutomatically"),
                            QStringLiteral("endInformalBreakForLunch"),
                            QStringLiteral("endInformalBreakForBreakfast"),
                            QStringLiteral("endInformalBreakAutomaticallyAfterInactivity")};
} // namespace

InformalBreakState::InformalBreakState() {
  addAction(QStringLiteral("startTimeSlice"), [this] { startTimeSlice(); });
  addAction(QStringLiteral("backToWelcomePage"), [this] { backToWelcomePage(); });
  addAction(QStringLiteral("selectTagTokenField"), [this] { selectTagTokenField(); });
}

InformalBreakState::~InformalBreakState() {
  QObject::disconnect(rulesChanged_);
  stopTimer();
}

const StateExits& InformalBreakState::exits() const {
  static const StateExits table{
      StateExits::exit(QStringLiteral("next"), &InformalBreakState::next),
      StateExits::exit(QStringLiteral("welcome"), &InformalBreakState::welcome)};
  return table;
}

void InformalBreakState::activate() {
  ModernUIState::activate();
  initiatedTime_ = Clock::now();
  stopTimer();
  scheduleChecks();
  QObject::disconnect(rulesChanged_);
  rulesChanged_ = QObject::connect(&UserDefaults::standard(), &UserDefaults::changed,
                                   &UserDefaults::standard(), [this](const QString& key) {
                                     if (kRuleKeys.contains(key) && isRuleTimerRunning())
                                       scheduleChecks();
                                   });
  if (objectiveTextView_)
    objectiveTextView_->selectAll();
}

void InformalBreakState::deactivate() {
  ModernUIState::deactivate();
  QObject::disconnect(rulesChanged_);
  stopTimer();
}

bool InformalBreakState::anyRuleSwitchedOn() {
  const DataModel& model = DataModel::shared();
  return model.endInformalBreakAutomatically() || model.endInformalBreakForLunch() ||
         model.endInformalBreakForBreakfast() ||
         model.endInformalBreakAutomaticallyAfterInactivity();
}

void InformalBreakState::scheduleChecks() {
  const double interval = anyRuleSwitchedOn() ? kCheckInterval : kIdleRefreshInterval;
  if (ruleTimerInterval() == interval)
    return;
  stopTimer();
  if (interval == kIdleRefreshInterval) {
    // Nothing can end the break: the page's read-outs ride on the program's
    // own second, so the break wakes the program no more than any page.
    idleRefresh_ =
        SecondTicker::shared().subscribe(SecondTicker::Rank::checks, [this] { checkRules(); });
    return;
  }
  automaticTransitionTimer_ =
      SmartTimerWrapper::wrapTimer(interval, true, [this](SmartTimerWrapper&) { checkRules(); });
}

double InformalBreakState::ruleTimerInterval() const {
  if (idleRefresh_.isActive())
    return kIdleRefreshInterval;
  return automaticTransitionTimer_ && automaticTransitionTimer_->isValid()
             ? automaticTransitionTimer_->interval()
             : 0.0;
}

void InformalBreakState::stopTimer() {
  idleRefresh_.reset();
  if (automaticTransitionTimer_) {
    automaticTransitionTimer_->stop();
    automaticTransitionTimer_.reset();
  }
}

bool InformalBreakState::isRuleTimerRunning() const { return ruleTimerInterval() > 0.0; }

void InformalBreakState::startTimeSlice() {
  StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("next"));
}

void InformalBreakState::backToWelcomePage() {
  StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("welcome"));
}

void InformalBreakState::selectTagTokenField() {
  TagEditorSection::select(tagTokenField_, kHideTagEditorKey);
}

void InformalBreakState::restartHour() { initiatedTime_ = Clock::now(); }

InformalBreakRules::Rule InformalBreakState::checkRules() {
  using Rules = InformalBreakRules;
  if (!initiatedTime_)
    return Rules::Rule::none;
  const double s = *initiatedTime_;
  const double t = Clock::now();
  if (t - s < Rules::kGuardSeconds)
    return Rules::Rule::none;
  const DataModel& model = DataModel::shared();
  const Rules::Switches switches{
      model.endInformalBreakAutomatically(), model.endInformalBreakForLunch(),
      model.endInformalBreakForBreakfast(), model.endInformalBreakAutomaticallyAfterInactivity()};
  // The idle time and the local hours are asked for only when a rule reads them.
  const AppDelegateAPI* delegate = AppDelegateAPI::installed();
  const double idle = switches.inactivity && delegate ? delegate->idleTimeInSeconds() : 0.0;
  const bool hoursNeeded = switches.lunch || switches.breakfast;
  const int startHour = hoursNeeded ? Rules::localHour(s) : 0;
  const int nowHour = hoursNeeded ? Rules::localHour(t) : 0;
  const Rules::Rule rule = Rules::check(s, startHour, t, nowHour, idle, switches);
  if (rule != Rules::Rule::none) {
    // The timer stops first: one check fires at most one transition.
    stopTimer();
    StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("next"));
    return rule;
  }
  updateLabels(t, idle);
  return rule;
}

void InformalBreakState::updateLabels(double now, double idleSeconds) {
  if (!inactiveTimeLeftLabel_)
    return;
  const DataModel& model = DataModel::shared();
  const auto wholeIdle = static_cast<qint64>(std::trunc(idleSeconds));
  QString inactive;
  if (wholeIdle != 0 && model.endInformalBreakAutomaticallyAfterInactivity()) {
    inactive = QStringLiteral("(No activity for %1)")
                   .arg(DateHelper::formatNumberOfSecondsAsHoursAndMinutesAndSeconds(wholeIdle));
  }
  const auto left =
      static_cast<qint64>(std::trunc(*initiatedTime_ - now + InformalBreakRules::kHourSeconds));
  QString remaining;
  if (model.endInformalBreakAutomatically() && left != 0) {
    remaining = QStringLiteral("(%1 left)")
                    .arg(DateHelper::formatNumberOfSecondsAsHoursAndMinutesAndSeconds(left));
  }
  // Ten checks a second, but a label repaints only when its text changes.
  if (inactiveTimeLeftLabel_->text() != inactive)
    inactiveTimeLeftLabel_->setText(inactive);
  if (timeRemainingLabel_->text() != remaining)
    timeRemainingLabel_->setText(remaining);
}

void InformalBreakState::build() {
  createStackView();
  createAndInstallTitleFragment(QStringLiteral("On Informal Break..."));
  titleFragment()->addVisibilityManagedOption(
      QStringLiteral("Automatically End Informal Break Feature"), kHideAutomaticEnd);
  const auto [objectiveLabel, indicators] = createAndInstallObjectiveLabelFragment();
  objectiveLabel->label()->setText(QStringLiteral("Prepare Objective for Next Time Slice"));
  objectiveLabel->addVisibilityManagedOption(QStringLiteral("Tag Editor"), kHideTagEditor);
  objectiveTextView_ = createAndInstallObjectiveTextViewFragment(indicators).first;
  setFirstResponder(objectiveTextView_);
  QWidget* tagEditor = TagEditorSection::create(&tagTokenField_);
  addSection(tagEditor);
  SectionVisibility::hideWhileSet(tagEditor, kHideTagEditor);

  const QString automaticEnd = QStringLiteral("Automatically End Informal Break Feature");
  LabelFragment* label = LabelFragment::labelFragment(automaticEnd);
  // The help button stands just after the title the bar draws.
  const double titleEnd = LabelFragment::textRect(QRectF()).x() +
                          QFontMetricsF(KorvaneControlSkin::shared()->secondaryTitleFont)
                              .horizontalAdvance(automaticEnd);
  PushButtonBrick* help = HelpButton::add(
      *label->factory(), QStringLiteral("automatically_bring_to_front.html"),
      [titleEnd](LayoutConstraintMaker& make) {
        make.container()
            .pin(LayoutAttribute::Left, LayoutAttribute::Left, std::ceil(titleEnd) + 6)
            .pin(LayoutAttribute::CenterY, LayoutAttribute::CenterY, 0);
      });
  help->small();
  addSection(label);
  SectionVisibility::hideWhileSet(label, kHideAutomaticEnd);

  auto* rules = new QWidget();
  rules->setMinimumWidth(400);
  auto* grid = new QGridLayout(rules);
  hourCheckbox_ = new QCheckBox(QStringLiteral("after one hour"), rules);
  inactivityCheckbox_ = new QCheckBox(QStringLiteral("after 5 minutes of inactivity"), rules);
  breakfastCheckbox_ = new QCheckBox(QStringLiteral("to be ready for tomorrow morning"), rules);
  lunchCheckbox_ = new QCheckBox(QStringLiteral("when I get back from lunch"), rules);
  timeRemainingLabel_ = new QLabel(rules);
  inactiveTimeLeftLabel_ = new QLabel(rules);
  grid->addWidget(hourCheckbox_, 0, 0);
  grid->addWidget(timeRemainingLabel_, 0, 1);
  grid->addWidget(inactivityCheckbox_, 1, 0);
  grid->addWidget(inactiveTimeLeftLabel_, 1, 1);
  grid->addWidget(breakfastCheckbox_, 2, 0);
  grid->addWidget(lunchCheckbox_, 3, 0);
  DataModel& model = DataModel::shared();
  model.bindEndInformalBreakAutomatically(hourCheckbox_);
  model.bindEndInformalBreakAutomaticallyAfterInactivity(inactivityCheckbox_);
  model.bindEndInformalBreakForBreakfast(breakfastCheckbox_);
  model.bindEndInformalBreakForLunch(lunchCheckbox_);
  // Only a click by the user restarts the hour, not the binding's updates.
  QObject::connect(hourCheckbox_, &QCheckBox::clicked, hourCheckbox_, [this](bool checked) {
    if (checked)
      restartHour();
  });
  addSection(rules);
  SectionVisibility::hideWhileSet(rules, kHideAutomaticEnd);

  ButtonWallHelper::addButton(buttonWall(), QStringLiteral("Go to Next Time Slice"), true,
                              [this] { startTimeSlice(); });
  ButtonWallHelper::addButton(buttonWall(), QStringLiteral("Hide"), false,
                              [this] { StateHost::instance().hide(*this); });
}

} // namespace kr
