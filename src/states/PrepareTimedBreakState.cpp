#include "states/PrepareTimedBreakState.h"
#include "states/ButtonWallHelper.h"
#include "states/HelpButton.h"

#include "states/AppDelegateAPI.h"
#include "states/PomodoroBreakViewController.h"
#include "states/SectionVisibility.h"
#include "states/StateHost.h"
#include "states/TimeViewFactory.h"

#include "engine/DataModel.h"
#include "engine/StateMachine.h"
#include "kit/bricks/PushButtonBrick.h"
#include "kit/walls/LabelFragment.h"
#include "kit/walls/TitleFragment.h"
#include "platform/settings/UserDefaults.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kr {

namespace {

const QString kBreakSeconds = QStringLiteral("breakDurationInSeconds");
const QString kDefault = QStringLiteral("default");
const QString kPomodoroStyle = QStringLiteral("pomodoroStyle");

UserDefaults& defaults() { return UserDefaults::standard(); }

// Hidden while "breakDurationControlAlternative" is not `alternative`, or
// while the optional hidden-flag is true.
void followBreakControl(QWidget* section, const QString& alternative,
                        const QString& hiddenFlag = {}) {
  const QString kAlternative = QStringLiteral("breakDurationControlAlternative");
  QStringList keys{kAlternative};
  if (!hiddenFlag.isEmpty())
    keys.append(hiddenFlag);
  SectionVisibility::hideWhile(section, keys, [kAlternative, alternative, hiddenFlag] {
    if (defaults().string(kAlternative) != alternative)
      return true;
    return !hiddenFlag.isEmpty() && defaults().boolValue(hiddenFlag);
  });
}

QString alternative() {
  return defaults().string(QStringLiteral("breakDurationControlAlternative"));
}

// The first head of either break control; its alternative-interface button
// switches to the other control.
LabelFragment* breakControlHead(const QString& title) {
  LabelFragment* head = LabelFragment::labelFragment(title);
  head->isFirstLabel = true;
  head->alternativeUIButton()->buttonPressFunction = [] {
    DataModel::shared().nextBreakDurationControlAlternative();
  };
  head->alternativeUIButton()->show();
  return head;
}

} // namespace

PrepareTimedBreakState::PrepareTimedBreakState() {
  DataModel::shared().addBreakDurationListener(*this);
  addAction(QStringLiteral("backToWelcomePage"), [this] { backToWelcomePage(); });
  addAction(QStringLiteral("changeDuration"), [this] { changeDuration(); });
  addAction(QStringLiteral("addOneMinute"), [this] { addOneMinute(); });
  addAction(QStringLiteral("subtractOneMinute"), [this] { subtractOneMinute(); });
  addAction(QStringLiteral("startTimedBreak"), [this] { startTimedBreak(); });
  addAction(QStringLiteral("startTimeSlice"), [this] { startTimeSlice(); });
}

PrepareTimedBreakState::~PrepareTimedBreakState() = default;

const StateExits& PrepareTimedBreakState::exits() const {
  static const StateExits table{
      StateExits::exit(QStringLiteral("next"), &PrepareTimedBreakState::next),
      StateExits::exit(QStringLiteral("informalBreak"), &PrepareTimedBreakState::informalBreak),
      StateExits::exit(QStringLiteral("nextTimeSlice"), &PrepareTimedBreakState::nextTimeSlice),
      StateExits::exit(QStringLiteral("welcome"), &PrepareTimedBreakState::welcome)};
  return table;
}

QString PrepareTimedBreakState::currentSlotMinutesKey() {
  switch (DataModel::shared().computedPomodoroCounter()) {
  case 0:
    return QStringLiteral("firstPomodoroBreakDurationInMinutes");
  case 1:
    return QStringLiteral("secondPomodoroBreakDurationInMinutes");
  case 2:
    return QStringLiteral("thirdPomodoroBreakDurationInMinutes");
  default:
    return QStringLiteral("fourthPomodoroBreakDurationInMinutes");
  }
}

void PrepareTimedBreakState::activate() {
  ModernUIState::activate();
  updateMenuItem();
  if (AppDelegateAPI* delegate = AppDelegateAPI::installed())
    delegate->makeFront();
  pomodoro_->update();
}

void PrepareTimedBreakState::valueHasChanged() { updateUpdatableViews(); }

void PrepareTimedBreakState::fire(const QString& transition) {
  StateMachine::sharedStateMachine().triggerTransition(transition);
}

void PrepareTimedBreakState::backToWelcomePage() { fire(QStringLiteral("welcome")); }
void PrepareTimedBreakState::startTimedBreak() { fire(QStringLiteral("next")); }
void PrepareTimedBreakState::startTimeSlice() { fire(QStringLiteral("nextTimeSlice")); }
void PrepareTimedBreakState::startInformalBreak() { fire(QStringLiteral("informalBreak")); }

void PrepareTimedBreakState::addOneMinute() {
  const QString control = alternative();
  if (control == kDefault) {
    const qint64 seconds = defaults().integer(kBreakSeconds);
    if (seconds < 3600)
      defaults().setValue(kBreakSeconds, seconds / 60 * 60 + 60);
  } else if (control == kPomodoroStyle) {
    const QString key = currentSlotMinutesKey();
    const qint64 minutes = defaults().integer(key);
    if (minutes < DataModel::kMaximumPomodoroBreakMinutes)
      defaults().setValue(key, minutes + 1);
  }
}

void PrepareTimedBreakState::subtractOneMinute() {
  const QString control = alternative();
  if (control == kDefault) {
    const qint64 seconds = defaults().integer(kBreakSeconds);
    if (seconds >= 180)
      defaults().setValue(kBreakSeconds, seconds / 60 * 60 - 60);
  } else if (control == kPomodoroStyle) {
    const QString key = currentSlotMinutesKey();
    const qint64 minutes = defaults().integer(key);
    if (minutes > DataModel::kMinimumPomodoroBreakMinutes)
      defaults().setValue(key, minutes - 1);
  }
}

void PrepareTimedBreakState::changeDuration() {
  const QString control = alternative();
  if (control == kDefault) {
    TimeViewFactory::shared().openQuickDurationDialog(
        slider_, static_cast<int>(defaults().integer(kBreakSeconds) / 60),
        [](int minutes) { defaults().setValue(kBreakSeconds, qint64{minutes} * 60); });
  } else if (control == kPomodoroStyle) {
    if (QSpinBox* field =
            pomodoro_->inputField(static_cast<int>(DataModel::shared().computedPomodoroCounter())))
      field->setFocus(Qt::OtherFocusReason);
  }
}

void PrepareTimedBreakState::build() {
  createStackView();
  createAndInstallTitleFragment(QStringLiteral("Prepare Timed Break"));

  // The fixed length: a minutes slider.
  LabelFragment* durationLabel = breakControlHead(QStringLiteral("Duration:"));
  durationLabel->addVisibilityManagedOption(
      QStringLiteral("calendar events"), QStringLiteral("hideCalendarEventsInPrepareTimedBreak"));
  durationLabel->addVisibilityManagedOption(QStringLiteral("quarter hour indicators"),
                                            QStringLiteral("hideBubblesInPrepareTimedBreakState"));
  addSection(durationLabel);
  followBreakControl(durationLabel, kDefault);

  TimeViewFactory& factory = TimeViewFactory::shared();
  const QString calendarFlag = QStringLiteral("hideCalendarEventsInPrepareTimedBreak");
  defaults().registerDefault(calendarFlag, false);
  PageSection calendar = TimeViewFactory::make(factory.makeCalendarView);
  QWidget* calendarSection = embedWithSectionInset(calendar.widget);
  addSection(calendarSection);
  followBreakControl(calendarSection, kDefault, calendarFlag);
  calendarUpdate_.closure = calendar.update;
  addUpdatableView(calendarUpdate_);

  auto* sliderSection = new QWidget();
  sliderSection->setObjectName(QStringLiteral("Duration Slider Fragment"));
  auto* sliderLayout = new QHBoxLayout(sliderSection);
  sliderLayout->setContentsMargins(kSectionInset, 0, kSectionInset, 0);
  slider_ = new QSlider(Qt::Horizontal, sliderSection);
  slider_->setRange(2, 60);
  slider_->setTickPosition(QSlider::TicksBelow);
  slider_->setTickInterval(1);
  slider_->setPageStep(1);
  sliderLayout->addWidget(slider_);
  DataModel::shared().bindBreakDurationInMinutes(slider_);
  addSection(sliderSection);
  followBreakControl(sliderSection, kDefault);
  setFirstResponder(slider_);

  PageSection bubbles = TimeViewFactory::make(factory.makeTimeBubbleView, [](int minutes) {
    defaults().setValue(kBreakSeconds, qint64{minutes} * 60);
  });
  PageSection durationLine =
      TimeViewFactory::make(factory.makeDurationDefinitionWall, []() -> std::int64_t {
        return DataModel::shared().breakDurationInSeconds();
      });
  for (const auto& [section, update, hiddenFlag] :
       {std::tuple{&bubbles, &bubbleUpdate_, QStringLiteral("hideBubblesInPrepareTimedBreakState")},
        std::tuple{&durationLine, &durationLineUpdate_,
                   QStringLiteral("hideDurationAndEndDateForTimedBreak")}}) {
    defaults().registerDefault(hiddenFlag, false);
    addSection(section->widget);
    followBreakControl(section->widget, kDefault, hiddenFlag);
    update->closure = section->update;
    addUpdatableView(*update);
  }

  // The pomodoro rotation.
  LabelFragment* pomodoroLabel = breakControlHead(QStringLiteral("Pomodoro Style Break Durations"));
  addSection(pomodoroLabel);
  followBreakControl(pomodoroLabel, kPomodoroStyle);
  pomodoro_ = std::make_unique<PomodoroBreakViewController>();
  QWidget* pomodoroView = pomodoro_->view();
  pomodoroView->setFixedWidth(440);
  addSection(pomodoroView);
  followBreakControl(pomodoroView, kPomodoroStyle);

  // The lock-screen option.
  defaults().registerDefault(QStringLiteral("lockScreenOption"), false);
  auto* lockLabel = LabelFragment::labelFragment(QStringLiteral("Lock Screen"));
  addSection(lockLabel);
  SectionVisibility::hideWhileSet(lockLabel, QStringLiteral("lockScreenOption"));
  auto* lockSection = new QWidget();
  auto* lockLayout = new QHBoxLayout(lockSection);
  lockLayout->setContentsMargins(0, 0, 0, 0);
  lockLayout->addStretch();
  auto* lockBox = new QCheckBox(QStringLiteral("Lock Screen During Break"), lockSection);
  DataModel::shared().bindLockScreenDuringBreak(lockBox);
  lockLayout->addWidget(lockBox);
  lockLayout->addWidget(HelpButton::make(QStringLiteral("lock_screen.html")));
  lockLayout->addStretch();
  addSection(lockSection);
  SectionVisibility::hideWhileSet(lockSection, QStringLiteral("lockScreenOption"));

  auto* straight = new QPushButton(QStringLiteral("Go Straight to the Next Time Slice"));
  QObject::connect(straight, &QPushButton::clicked, straight, [this] { startTimeSlice(); });
  createOptionFragment(QStringLiteral("straightToNextTimeSliceOption"), straight);

  auto* informal = new QWidget();
  auto* informalLayout = new QHBoxLayout(informal);
  informalLayout->setContentsMargins(0, 0, 0, 0);
  auto* informalButton = new QPushButton(QStringLiteral("Have an Informal Break"), informal);
  QObject::connect(informalButton, &QPushButton::clicked, informalButton,
                   [this] { startInformalBreak(); });
  informalLayout->addWidget(informalButton);
  informalLayout->addWidget(HelpButton::make(QStringLiteral("informal_breaks.html")));
  createOptionFragment(QStringLiteral("informalBreakOption"), informal);

  addTitleMenu();
  addButtonWall();
}

void PrepareTimedBreakState::addTitleMenu() {
  // The options' sections are built and their keys registered by now.
  TitleFragment* title = titleFragment();
  title->addCheckedOption(QStringLiteral("Hide Korvane-R During Timed Break"),
                          QStringLiteral("shouldHideOnTimedBreakActivation"), std::nullopt);
  title->addSeparatorItem();
  title->addVisibilityManagedOption(QStringLiteral("Lock Screen Option"),
                                    QStringLiteral("lockScreenOption"));
  title->addVisibilityManagedOption(QStringLiteral("Straight to Next Time Slice Option"),
                                    QStringLiteral("straightToNextTimeSliceOption"));
  title->addVisibilityManagedOption(QStringLiteral("Informal Break Option"),
                                    QStringLiteral("informalBreakOption"));
}

void PrepareTimedBreakState::addButtonWall() {
  ButtonWallHelper::addButton(buttonWall(), QStringLiteral("Start Timed Break"), true,
                              [this] { startTimedBreak(); });
  ButtonWallHelper::addButton(buttonWall(), QStringLiteral("Hide"), false,
                              [this] { StateHost::instance().hide(*this); });
}

} // namespace kr
