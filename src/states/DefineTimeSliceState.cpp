#include "states/DefineTimeSliceState.h"

#include "states/AppDelegateAPI.h"
#include "states/ButtonWallHelper.h"
#include "states/SectionVisibility.h"
#include "states/StateHost.h"
#include "states/TagEditorSection.h"
#include "states/TimeViewFactory.h"

#include "engine/Clock.h"
#include "engine/DataModel.h"
#include "engine/StateMachine.h"
#include "kit/Label.h"
#include "kit/skins/KorvaneControlSkin.h"
#include "kit/text/ObjectiveTextView.h"
#include "kit/walls/LabelFragment.h"
#include "kit/walls/TitleFragment.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/settings/UserDefaults.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

namespace kr {

namespace {

const QString kStartWithBreakDurationInMinutes = QStringLiteral("startWithBreakDurationInMinutes");
const QString kAfterInactivity =
    QStringLiteral("automaticallyBringDefineTimeSliceToFrontAfterInactivity");
const QString kAfterOneHour =
    QStringLiteral("automaticallyBringDefineTimeSliceToFrontAfterOneHour");
const QString kAfterBreakfast =
    QStringLiteral("automaticallyBringDefineTimeSliceToFrontAfterBreakfast");
const QString kAfterLunch = QStringLiteral("automaticallyBringDefineTimeSliceToFrontAfterLunch");

constexpr qint64 kMaximumSeconds = 3600;
constexpr qint64 kMinimumSecondsToSubtract = 180;

int localHour(double referenceSeconds) {
  return Clock::dateFromReferenceSeconds(referenceSeconds).time().hour();
}

bool option(const QString& key) { return UserDefaults::standard().boolValue(key); }

} // namespace

const int DefineTimeSliceState::kStartWithBreakMinutes[5] = {2, 5, 10, 15, 20};

DefineTimeSliceState::DefineTimeSliceState() {
  DataModel::shared().addDurationListener(*this);
  addAction(QStringLiteral("startTimeSlice"), [this] { startTimeSlice(); });
  addAction(QStringLiteral("startTimedBreak"), [this] { startTimedBreak(); });
  addAction(QStringLiteral("backToWelcomePage"), [this] { backToWelcomePage(); });
  addAction(QStringLiteral("selectTagTokenField"), [this] { selectTagTokenField(); });
  addAction(QStringLiteral("changeDuration"), [this] { changeDuration(); });
  addAction(QStringLiteral("addOneMinute"), [this] { addOneMinute(); });
  addAction(QStringLiteral("subtractOneMinute"), [this] { subtractOneMinute(); });
}

DefineTimeSliceState::~DefineTimeSliceState() {
  alive_.reset();
  stopBringToFrontTimer();
}

const StateExits& DefineTimeSliceState::exits() const {
  static const StateExits table{
      StateExits::exit(QStringLiteral("next"), &DefineTimeSliceState::next),
      StateExits::exit(QStringLiteral("timedBreak"), &DefineTimeSliceState::timedBreak),
      StateExits::exit(QStringLiteral("welcome"), &DefineTimeSliceState::welcome)};
  return table;
}

void DefineTimeSliceState::activate() {
  ModernUIState::activate();
  updateMenuItem();
  selectObjective();
  lunchBreakTransitionAlreadyTriggeredOnce_ = false;
  breakfastTransitionAlreadyTriggeredOnce_ = false;
  internalBringToFront();
}

void DefineTimeSliceState::deactivate() {
  stopBringToFrontTimer();
  ModernUIState::deactivate();
}

void DefineTimeSliceState::selectObjective() {
  // Typing then replaces the last objective.
  if (objectiveTextView_)
    objectiveTextView_->selectAll();
}

void DefineTimeSliceState::internalBringToFront() {
  if (AppDelegateAPI* delegate = AppDelegateAPI::installed())
    delegate->makeFront();
  selectObjective();
  automaticTransitionToFrontInitiatedTime_ = Clock::now();
  stopBringToFrontTimer();
}

void DefineTimeSliceState::automaticallyBringToTheFrontWhenAppropriate() {
  automaticTransitionToFrontInitiatedTime_ = Clock::now();
  stopBringToFrontTimer();
  bringToFrontChecks_ = SecondTicker::shared().subscribe(SecondTicker::Rank::checks,
                                                         [this] { checkBringToFrontRules(); });
}

bool DefineTimeSliceState::bringToFrontTimerRuns() const { return bringToFrontChecks_.isActive(); }

void DefineTimeSliceState::stopBringToFrontTimer() { bringToFrontChecks_.reset(); }

void DefineTimeSliceState::checkBringToFrontRules() {
  if (StateMachine::sharedStateMachine().currentState() != this ||
      !automaticTransitionToFrontInitiatedTime_)
    return;
  const double t0 = *automaticTransitionToFrontInitiatedTime_;
  const double now = Clock::now();
  const bool afterLunch = option(kAfterLunch);
  const bool afterBreakfast = option(kAfterBreakfast);
  const bool afterInactivity = option(kAfterInactivity);
  const bool afterOneHour = option(kAfterOneHour);
  if (!afterLunch && !afterBreakfast && !afterInactivity && !afterOneHour)
    return; // no rule would read the idle time or the hours
  const AppDelegateAPI* delegate = AppDelegateAPI::installed();
  const auto idle = static_cast<qint64>(delegate ? delegate->idleTimeInSeconds() : 0.0);
  const int h0 = localHour(t0);
  const int h1 = localHour(now);

  if (h0 <= 12 && h1 >= 13 && idle >= 61 && afterLunch &&
      !lunchBreakTransitionAlreadyTriggeredOnce_) {
    lunchBreakTransitionAlreadyTriggeredOnce_ = true;
    internalBringToFront();
  }
  if (h0 <= 4 && h1 >= 5 && idle >= 61 && afterBreakfast &&
      !breakfastTransitionAlreadyTriggeredOnce_) {
    breakfastTransitionAlreadyTriggeredOnce_ = true;
    internalBringToFront();
  }
  // Going to the background is often a short look elsewhere: give it 10 s.
  const double elapsed = now - t0;
  if (elapsed < 10.0)
    return;
  if (idle >= 301 && afterInactivity)
    internalBringToFront();
  if (elapsed > 3600.0 && idle >= 11 && afterOneHour)
    internalBringToFront();
}

void DefineTimeSliceState::startTimeSlice() {
  StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("next"));
}

void DefineTimeSliceState::startTimedBreak() { internalStartTimedBreak(); }

void DefineTimeSliceState::internalStartTimedBreak() {
  const qint64 minutes = UserDefaults::standard().integer(kStartWithBreakDurationInMinutes);
  DataModel& model = DataModel::shared();
  // A break always lasts at least a second, whatever was stored.
  model.oneTimeOnlyBreakDuration = std::max<qint64>(minutes * 60, 1);
  model.useOneTimeOnlyBreakDurationThisTimeOnly = true;
  StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("timedBreak"));
}

void DefineTimeSliceState::backToWelcomePage() {
  StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("welcome"));
}

void DefineTimeSliceState::selectTagTokenField() {
  TagEditorSection::select(tagTokenField_, QStringLiteral("hideTagEditor"));
}

void DefineTimeSliceState::changeDuration() {
  TimeViewFactory::shared().openQuickDurationDialog(
      slider_, static_cast<int>(DataModel::shared().durationInSeconds() / 60),
      [](int minutes) { DataModel::shared().setDurationInSeconds(qint64{minutes} * 60); });
}

void DefineTimeSliceState::addOneMinute() {
  DataModel& model = DataModel::shared();
  const qint64 seconds = model.durationInSeconds();
  if (seconds <= kMaximumSeconds - 1)
    model.setDurationInSeconds(seconds / 60 * 60 + 60);
}

void DefineTimeSliceState::subtractOneMinute() {
  DataModel& model = DataModel::shared();
  const qint64 seconds = model.durationInSeconds();
  if (seconds >= kMinimumSecondsToSubtract)
    model.setDurationInSeconds(seconds / 60 * 60 - 60);
}

void DefineTimeSliceState::valueHasChanged() { updateUpdatableViews(); }

void DefineTimeSliceState::registerApplicationCallbacks() {
  AppDelegateAPI* delegate = AppDelegateAPI::installed();
  if (!delegate)
    return;
  std::weak_ptr<char> alive = alive_;
  delegate->addWillBecomeActiveCallback([this, alive] {
    if (!alive.expired())
      stopBringToFrontTimer();
  });
  delegate->addDidResignActiveCallback([this, alive] {
    if (!alive.expired())
      automaticallyBringToTheFrontWhenAppropriate();
  });
}

void DefineTimeSliceState::build() {
  registerApplicationCallbacks();
  UserDefaults::standard().registerDefault(kStartWithBreakDurationInMinutes, 2);
  UserDefaults::standard().registerRange(kStartWithBreakDurationInMinutes, 2, 60);
  createStackView();
  addSection(createTitle());
  const auto [objectiveLabel, indicators] = createAndInstallObjectiveLabelFragment();
  objectiveLabel->addVisibilityManagedOption(QStringLiteral("Tag Editor"),
                                             QStringLiteral("hideTagEditor"));
  objectiveTextView_ = createAndInstallObjectiveTextViewFragment(indicators).first;
  setFirstResponder(objectiveTextView_);
  QWidget* tagEditor = TagEditorSection::create(&tagTokenField_);
  addSection(tagEditor);
  SectionVisibility::hideWhileSet(tagEditor, QStringLiteral("hideTagEditor"));
  auto* durationLabel = LabelFragment::labelFragment(QStringLiteral("Duration:"));
  durationLabel->addVisibilityManagedOption(QStringLiteral("calendar events"),
                                            QStringLiteral("hideCalendarEvents"));
  durationLabel->addVisibilityManagedOption(QStringLiteral("quarter hour indicators"),
                                            QStringLiteral("hideBubbles"));
  durationLabel->addVisibilityManagedOption(QStringLiteral("duration and end date"),
                                            QStringLiteral("hideDurationAndEndDate"));
  addSection(durationLabel);
  TimeViewFactory& factory = TimeViewFactory::shared();
  PageSection calendar = TimeViewFactory::make(factory.makeCalendarView);
  QWidget* calendarSection = embedWithSectionInset(calendar.widget);
  addSection(calendarSection);
  SectionVisibility::hideWhileSet(calendarSection, QStringLiteral("hideCalendarEvents"));
  calendarUpdate_.closure = calendar.update;
  addUpdatableView(calendarUpdate_);
  addSection(createDurationSliderFragment());

  PageSection bubbles = TimeViewFactory::make(factory.makeTimeBubbleView, [](int minutes) {
    DataModel::shared().setDurationInSeconds(qint64{minutes} * 60);
  });
  addSection(bubbles.widget);
  SectionVisibility::hideWhileSet(bubbles.widget, QStringLiteral("hideBubbles"));
  bubbleUpdate_.closure = bubbles.update;
  addUpdatableView(bubbleUpdate_);
  PageSection durationWall = TimeViewFactory::make(
      factory.makeDurationDefinitionWall, [] { return DataModel::shared().durationInSeconds(); });
  addSection(durationWall.widget);
  SectionVisibility::hideWhileSet(durationWall.widget, QStringLiteral("hideDurationAndEndDate"));
  durationWallUpdate_.closure = durationWall.update;
  addUpdatableView(durationWallUpdate_);
  QWidget* startWithBreak =
      createOptionFragment(QStringLiteral("startWithBreakOption"), createStartWithBreakSection());
  startWithBreak->setObjectName(QStringLiteral("Start With a Timed Break Option"));

  QWidget* wall = buttonWall();
  continueButton_ = ButtonWallHelper::addButton(wall, QStringLiteral("Start Time Slice"), true,
                                                [this] { startTimeSlice(); });
  ButtonWallHelper::addButton(wall, QStringLiteral("Hide"), false,
                              [this] { StateHost::instance().hide(*this); });
}

QWidget* DefineTimeSliceState::createTitle() {
  auto* title = new TitleFragment;
  title->setObjectName(QStringLiteral("Define Time Slice Title Fragment"));
  title->label()->setText(QStringLiteral("Define Time Slice"));
  title->addCheckedOption(QStringLiteral("Bring to Front After 5 Minutes of Inactivity"),
                          kAfterInactivity, std::nullopt);
  title->addCheckedOption(QStringLiteral("Bring to Front After 1 Hour"), kAfterOneHour, false);
  title->addCheckedOption(QStringLiteral("Bring to Front After Breakfast"), kAfterBreakfast, false);
  title->addCheckedOption(QStringLiteral("Bring to Front After Lunch"), kAfterLunch, false);
  title->addSeparatorItem();
  title->addCheckedOption(QStringLiteral("Hide Korvane-R During Time Slice"),
                          QStringLiteral("shouldHideOnTimeSliceRunningActivation"), std::nullopt);
  title->addSeparatorItem();
  title->addVisibilityManagedOption(QStringLiteral("Start With a Timed Break Option"),
                                    QStringLiteral("startWithBreakOption"));
  return title;
}

QWidget* DefineTimeSliceState::createDurationSliderFragment() {
  auto* fragment = new QWidget;
  fragment->setObjectName(QStringLiteral("Duration Slider Fragment"));
  auto* layout = new QHBoxLayout(fragment);
  layout->setContentsMargins(kSectionInset, 0, kSectionInset, 0);
  slider_ = new QSlider(Qt::Horizontal, fragment);
  slider_->setRange(2, 60);
  slider_->setSingleStep(1);
  slider_->setPageStep(1);
  slider_->setTickInterval(1);
  slider_->setTickPosition(QSlider::TicksBelow);
  slider_->setTracking(true);
  layout->addWidget(slider_);
  DataModel::shared().bindDurationInMinutes(slider_);
  QObject::connect(slider_.data(), &QObject::destroyed, slider_.data(), [slider = slider_.data()] {
    DataModel::shared().unbindDurationInMinutes(slider);
  });
  return fragment;
}

QWidget* DefineTimeSliceState::createStartWithBreakSection() {
  auto* section = new QWidget;
  section->setObjectName(QStringLiteral("Start With a Timed Break Controls"));
  auto* layout = new QHBoxLayout(section);
  layout->setContentsMargins(0, 0, 0, 0);

  startWithBreakButton_ = new QPushButton(QStringLiteral("Start with a Timed Break"), section);
  startWithBreakButton_->setAutoDefault(false);
  QObject::connect(startWithBreakButton_.data(), &QPushButton::clicked, section,
                   [this] { internalStartTimedBreak(); });
  layout->addWidget(startWithBreakButton_);

  breakPopUp_ = new QComboBox(section);
  breakPopUp_->setFrame(false);
  for (const int minutes : kStartWithBreakMinutes)
    breakPopUp_->addItem(QStringLiteral("of %1 minutes").arg(minutes), minutes);
  // Selected once, from the stored length; a length not offered shows the first.
  const int index = breakPopUp_->findData(
      int(UserDefaults::standard().integer(kStartWithBreakDurationInMinutes)));
  breakPopUp_->setCurrentIndex(index > 0 ? index : 0);
  QObject::connect(breakPopUp_.data(), &QComboBox::activated, section, [this](int chosen) {
    UserDefaults::standard().setValue(kStartWithBreakDurationInMinutes,
                                      breakPopUp_->itemData(chosen).toInt());
  });
  layout->addWidget(breakPopUp_);

  // A borderless pull-down with no title: its face is its arrow alone.
  auto* pullDown = new QToolButton(section);
  pullDown->setObjectName(QStringLiteral("Lock Screen Pull-Down"));
  pullDown->setArrowType(Qt::DownArrow);
  pullDown->setAutoRaise(true);
  pullDown->setToolTip(QStringLiteral("Lock Screen"));
  pullDown->setPopupMode(QToolButton::InstantPopup);
  pullDown->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
  // A widget with a style sheet takes no colours from its parent: give it the
  // pages' own, or its arrow would take the desktop's.
  pullDown->setPalette(KorvaneControlSkin::shared()->pagePalette);
  auto* menu = new QMenu(pullDown);
  lockScreenItem_ = menu->addAction(QStringLiteral("Lock Screen"));
  lockScreenItem_->setCheckable(true);
  QObject::connect(menu, &QMenu::aboutToShow, menu, [this] {
    lockScreenItem_->setChecked(DataModel::shared().lockScreenDuringBreak());
  });
  QObject::connect(lockScreenItem_.data(), &QAction::triggered, menu, [] {
    UserDefaults::standard().setValue(QStringLiteral("lockScreenDuringBreak"),
                                      !DataModel::shared().lockScreenDuringBreak());
  });
  pullDown->setMenu(menu);
  layout->addWidget(pullDown);
  return section;
}

} // namespace kr
