#include "states/RateTimeSliceState.h"

#include "kit/walls/LabelFragment.h"
#include "kit/walls/TitleFragment.h"

#include "states/AppDelegateAPI.h"
#include "states/ButtonWallHelper.h"
#include "states/HelpButton.h"
#include "states/PageServices.h"
#include "states/SectionVisibility.h"
#include "states/StateHost.h"
#include "states/TagEditorSection.h"

#include "engine/BackingStoreManager.h"
#include "engine/DataModel.h"
#include "engine/Logger.h"
#include "engine/StateMachine.h"
#include "kit/bricks/TagTokenField.h"
#include "platform/FatalError.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/richtext/RichText.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/settings/UserDefaults.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <limits>

namespace kr {

namespace {

const QString kCompleted = QStringLiteral("completed");
const QString kExtensionMinutesKey = QStringLiteral("timeSliceExtensionDurationInMinutes");
const QString kWeeklySwitch =
    QStringLiteral("rateTimeSliceStateAutomaticallySwitchToWeeklyStatistic");
const QString kEditingLock = QStringLiteral("disableObjectiveEditingForTwoSecondsAfterActivation");
const QString kHideTagEditor = QStringLiteral("hideTagEditorInRateTimeSliceState");
const QString kBreadcrumbsOption = QStringLiteral("breadcrumbsOption");
const QString kPrimingOption = QStringLiteral("primingOption");
const QString kContinueOption = QStringLiteral("extendTimeSliceFragmentOptionInRateTimeSliceStep");
const QString kDoNotLogOption = QStringLiteral("doNotLogOption");

UserDefaults& defaults() { return UserDefaults::standard(); }

QHBoxLayout* rowLayout(QWidget* row) {
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  return layout;
}

} // namespace

const int RateTimeSliceState::kExtensionMinutes[4] = {1, 2, 5, 10};

const QStringList& RateTimeSliceState::focusLevels() {
  static const QStringList levels{
      QStringLiteral("I felt distracted"), QStringLiteral("My focus was good"),
      QStringLiteral("I felt highly focused"), QStringLiteral("I experienced \"flow\"")};
  return levels;
}

RateTimeSliceState::RateTimeSliceState() {
  addAction(QStringLiteral("selectTagTokenField"), [this] { selectTagTokenField(); });
  QWidget* wall = buttonWall();
  logButton_ =
      ButtonWallHelper::addButton(wall, QStringLiteral("Log"), true, [this] { logAndContinue(); });
  ButtonWallHelper::addButton(wall, QStringLiteral("Hide"), false,
                              [this] { StateHost::instance().hide(*this); });
}

RateTimeSliceState::~RateTimeSliceState() {
  if (activateObjectiveEditingAfterDelayTimer_)
    activateObjectiveEditingAfterDelayTimer_->stop();
}

const StateExits& RateTimeSliceState::exits() const {
  static const StateExits table{
      StateExits::exit(QStringLiteral("next"), &RateTimeSliceState::next),
      StateExits::exit(QStringLiteral("extend"), &RateTimeSliceState::extend),
      StateExits::exit(QStringLiteral("skipLogging"), &RateTimeSliceState::skipLogging)};
  return table;
}

void RateTimeSliceState::activate() {
  if (AppDelegateAPI* delegate = AppDelegateAPI::installed())
    delegate->makeFront();
  ModernUIState::activate();
  switchPadToWeeklyStatistics();
  lockObjectiveEditingBriefly();
}

void RateTimeSliceState::lockObjectiveEditingBriefly() {
  KR_ASSERT(objectiveTextView_ != nullptr,
            QStringLiteral("the rating page has no objective editor"));
  // A lock still pending from an earlier activation starts over.
  if (activateObjectiveEditingAfterDelayTimer_) {
    activateObjectiveEditingAfterDelayTimer_->stop();
    activateObjectiveEditingAfterDelayTimer_.reset();
  }
  if (!defaults().boolValue(kEditingLock)) {
    objectiveTextView_->setReadOnly(false);
    objectiveTextView_->selectAll();
    return;
  }
  objectiveTextView_->setReadOnly(true);
  // The timer belongs to this state and stops with it; should it fire after
  // the page was left, it only unlocks the hidden editor.
  activateObjectiveEditingAfterDelayTimer_ = SmartTimerWrapper::wrapTimer(
      kObjectiveEditingDelay, false, [view = objectiveTextView_](SmartTimerWrapper&) {
        if (!view)
          return;
        view->setReadOnly(false);
        view->selectAll();
      });
}

void RateTimeSliceState::switchPadToWeeklyStatistics() {
  const PageServices& services = PageServices::shared();
  if (!defaults().boolValue(kWeeklySwitch) || !services.callIsPadSectionVisible())
    return;
  // The statistics pad shows; every other pad that shows is hidden.
  for (const QString& key : services.callPadStorageKeyPaths()) {
    if (key == QStringLiteral("statsPadHidden"))
      defaults().setValue(key, false);
    else if (!defaults().boolValue(key))
      defaults().setValue(key, true);
  }
  // The overview of the last 7 days.
  defaults().setValue(QStringLiteral("currentlyDisplayedStatistic"), 0);
}

bool RateTimeSliceState::logTimeSlice() {
  Logger& logger = Logger::sharedLogger();
  const RichText entry =
      logger.prepareTimeSliceSystemLogEntryTextWithUUID(BackingStoreManager::createUUID());
  if (!logger.writeToSystemLog(entry))
    return false;
  PageServices::shared().callRefreshStatistics();
  logger.resetActualSecondsWorked();
  return true;
}

void RateTimeSliceState::logAndContinue() {
  if (writingEntry_)
    return;
  Logger& logger = Logger::sharedLogger();
  const RichText entry =
      logger.prepareTimeSliceSystemLogEntryTextWithUUID(BackingStoreManager::createUUID());
  writingEntry_ = true;
  const bool pending = logger.writeToSystemLogLater(
      entry, [this, page = QPointer<QPushButton>(logButton_)](bool written) {
        if (!page)
          return;
        showWritingEntry(false);
        if (!written)
          return; // told already; the page stays and the slice can be logged again
        PageServices::shared().callRefreshStatistics();
        Logger::sharedLogger().resetActualSecondsWorked();
        StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("next"));
      });
  if (pending)
    showWritingEntry(true);
}

void RateTimeSliceState::showWritingEntry(bool writing) {
  writingEntry_ = writing;
  // Nothing that would log the slice again, or leave it unlogged, acts
  // before the entry has landed.
  for (QPushButton* button : {logButton_.data(), continueButton_.data(), doNotLogButton_.data()}) {
    if (button)
      button->setEnabled(!writing);
  }
  if (logButton_)
    logButton_->setText(writing ? QStringLiteral("Writing the Entry…") : QStringLiteral("Log"));
}

void RateTimeSliceState::doNotLog() {
  if (writingEntry_)
    return;
  const int answer = AlertPresenterAPI::shared().runModal(
      {QStringLiteral("Are you sure you do not want the time spent to be logged in any way?"),
       QString(),
       {QStringLiteral("OK"), QStringLiteral("Cancel")}},
      StateMachine::currentActivation());
  if (answer != 0)
    return;
  Logger::sharedLogger().resetActualSecondsWorked();
  StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("skipLogging"));
}

void RateTimeSliceState::internalContinue() {
  if (writingEntry_)
    return;
  const qint64 worked = Logger::sharedLogger().actualSecondsWorked();
  const qint64 minutes = defaults().integer(kExtensionMinutesKey);
  qint64 total = 0;
  KR_ASSERT(!__builtin_mul_overflow(minutes, qint64{60}, &total) &&
                !__builtin_add_overflow(total, worked, &total),
            QStringLiteral("slice extension of %1 minutes overflows").arg(minutes));
  DataModel& model = DataModel::shared();
  // The running slice lasts "durationInSeconds" + extension − worked seconds:
  // exactly the chosen minutes from now. The extension may be negative.
  model.setCurrentTimeSliceExtensionDuration(total - model.durationInSeconds());
  StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("extend"));
}

void RateTimeSliceState::selectTagTokenField() {
  TagEditorSection::select(tagTokenField_, kHideTagEditor);
}

void RateTimeSliceState::build() {
  defaults().registerDefault(kHideTagEditor, false);
  createStackView();
  createAndInstallTitleFragment(QStringLiteral("Rate Time Slice"));
  createTitleMenu();
  const auto [objectiveLabel, indicators] = createAndInstallObjectiveLabelFragment();
  objectiveLabel->addVisibilityManagedOption(QStringLiteral("Tag Editor"), kHideTagEditor);
  objectiveTextView_ = createAndInstallObjectiveTextViewFragment(indicators).first;
  setFirstResponder(objectiveTextView_);

  TagTokenField* tagField = nullptr;
  QWidget* tagEditor = TagEditorSection::create(&tagField);
  tagTokenField_ = tagField;
  addSection(tagEditor);
  SectionVisibility::hideWhileSet(tagEditor, kHideTagEditor);
  // Registered here, after the timer settings: a slice is logged as
  // completed unless the user says otherwise.
  defaults().registerDefault(kCompleted, true);
  addSection(createFocusRow());
  breadcrumbsSection_ =
      createTemplateSection({QStringLiteral("Leave Breadcrumbs for Resuming the Task Later"),
                             QStringLiteral("Insert Breadcrumbs Template"), kBreadcrumbsOption,
                             QStringLiteral("createNewScratchPadPageForBreadcrumbs"), false});
  primingSection_ =
      createTemplateSection({QStringLiteral("Prime Your Mind for the Next Task"),
                             QStringLiteral("Insert Priming Template"), kPrimingOption,
                             QStringLiteral("createNewScratchPadPageForPriming"), true});
  createContinueSection();
  createDoNotLogSection();
}

void RateTimeSliceState::createTitleMenu() {
  TitleFragment* title = titleFragment();
  title->addCheckedOption(QStringLiteral("Automatically Switch Pad to Weekly Statistics"),
                          kWeeklySwitch, true);
  title->addCheckedOption(
      QStringLiteral("Disable Objective Editing for 2 Seconds after Activation"), kEditingLock,
      true);
  title->addSeparatorItem();
  // The sections these options show and hide are built below, each
  // registering its own key.
  title->addVisibilityManagedOption(QStringLiteral("Add Breadcrumbs Button"), kBreadcrumbsOption);
  title->addVisibilityManagedOption(QStringLiteral("Add Priming Button"), kPrimingOption);
  title->addVisibilityManagedOption(QStringLiteral("Extend Time Slice Option"), kContinueOption);
  title->addVisibilityManagedOption(QStringLiteral("Do Not Log Option"), kDoNotLogOption);
}

QWidget* RateTimeSliceState::createFocusRow() {
  auto* row = new QWidget;
  row->setObjectName(QStringLiteral("Focus Row"));
  auto* column = new QVBoxLayout(row);
  column->setContentsMargins(0, 0, 0, 0);
  auto* popUpRow = new QHBoxLayout;
  column->addLayout(popUpRow);

  focusPopUpButton_ = new QComboBox(row);
  focusPopUpButton_->addItems(focusLevels());
  focusPopUpButton_->setFixedWidth(200);
  popUpRow->addStretch();
  popUpRow->addWidget(focusPopUpButton_);
  popUpRow->addWidget(HelpButton::make(QStringLiteral("concentration_level.html")));
  popUpRow->addStretch();
  DataModel::shared().bindFocusRating(focusPopUpButton_);
  QObject::connect(
      focusPopUpButton_.data(), &QObject::destroyed, row,
      [popUp = focusPopUpButton_.data()] { DataModel::shared().unbindFocusRating(popUp); });

  completedCheckBox_ = new QCheckBox(QStringLiteral("Log as completed"), row);
  completedCheckBox_->setChecked(defaults().boolValue(kCompleted));
  column->addWidget(completedCheckBox_, 0, Qt::AlignHCenter);
  DataModel::shared().bindCompleted(completedCheckBox_);
  QObject::connect(completedCheckBox_.data(), &QObject::destroyed, row,
                   [box = completedCheckBox_.data()] { DataModel::shared().unbindCompleted(box); });
  return row;
}

QWidget* RateTimeSliceState::createTemplateSection(const TemplateSection& kind) {
  defaults().registerDefault(kind.optionKey, false);
  // The head's option asks for a fresh scratch pad page for the template.
  LabelFragment* head = LabelFragment::labelFragment(kind.title);
  head->addCheckedOption(QStringLiteral("Create a New Scratch Pad Page"), kind.scratchPadKey,
                         std::nullopt);
  addSection(head);

  auto* section = new QWidget;
  section->setObjectName(kind.title);
  QHBoxLayout* row = rowLayout(section);
  auto* button = new QPushButton(kind.buttonTitle, section);
  button->setAutoDefault(false);
  const bool priming = kind.showWhileCompleted;
  QObject::connect(button, &QPushButton::clicked, section, [priming] {
    if (priming)
      PageServices::shared().callAddPrimingTemplate();
    else
      PageServices::shared().callAddBreadcrumbsTemplate();
  });
  row->addStretch();
  row->addWidget(button);
  row->addWidget(HelpButton::make(QStringLiteral("productivity_techniques.html")));
  row->addStretch();
  addSection(section);
  // Breadcrumbs help to resume an unfinished task, priming to start the next;
  // the head and its content show and hide together.
  const QString optionKey = kind.optionKey;
  const auto hidden = [optionKey, priming] {
    return defaults().boolValue(optionKey) || defaults().boolValue(kCompleted) != priming;
  };
  SectionVisibility::hideWhile(head, {optionKey, kCompleted}, hidden);
  SectionVisibility::hideWhile(section, {optionKey, kCompleted}, hidden);
  return section;
}

QWidget* RateTimeSliceState::createContinueSection() {
  defaults().registerDefault(kContinueOption, false);
  auto* section = new QWidget;
  QHBoxLayout* row = rowLayout(section);
  continueButton_ = new QPushButton(QStringLiteral("Continue Working"), section);
  continueButton_->setAutoDefault(false);
  QObject::connect(continueButton_.data(), &QPushButton::clicked, section,
                   [this] { internalContinue(); });
  row->addWidget(continueButton_);

  defaults().registerDefault(kExtensionMinutesKey, 1);
  defaults().registerRange(kExtensionMinutesKey, 1, 60);
  extensionPopUp_ = new QComboBox(section);
  extensionPopUp_->setFrame(false);
  for (int minutes : kExtensionMinutes) {
    extensionPopUp_->addItem(minutes == 1 ? QStringLiteral("for 1 minute")
                                          : QStringLiteral("for %1 minutes").arg(minutes),
                             minutes);
  }
  // Any other stored value shows the first item until an item is chosen.
  const int stored = extensionPopUp_->findData(int(defaults().integer(kExtensionMinutesKey)));
  extensionPopUp_->setCurrentIndex(stored > 0 ? stored : 0);
  QObject::connect(extensionPopUp_.data(), &QComboBox::activated, section, [this](int index) {
    defaults().setValue(kExtensionMinutesKey, extensionPopUp_->itemData(index).toInt());
  });
  row->addWidget(extensionPopUp_);
  QWidget* option = createOptionFragment(kContinueOption, section);
  option->setObjectName(QStringLiteral("Continue Working Option"));
  return option;
}

QWidget* RateTimeSliceState::createDoNotLogSection() {
  defaults().registerDefault(kDoNotLogOption, false);
  doNotLogButton_ = new QPushButton(QStringLiteral("Do Not Log This Time Slice"));
  doNotLogButton_->setAutoDefault(false);
  QObject::connect(doNotLogButton_.data(), &QPushButton::clicked, doNotLogButton_.data(),
                   [this] { doNotLog(); });
  QWidget* option = createOptionFragment(kDoNotLogOption, doNotLogButton_);
  option->setObjectName(QStringLiteral("Do Not Log Option"));
  return option;
}

} // namespace kr
