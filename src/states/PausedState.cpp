#include "states/PausedState.h"

#include "kit/walls/LabelFragment.h"

#include "states/ButtonWallHelper.h"
#include "states/SectionVisibility.h"
#include "states/StateHost.h"
#include "states/TagEditorSection.h"

#include "engine/Logger.h"
#include "engine/StateMachine.h"
#include "platform/services/AlertPresenterAPI.h"

namespace kr {

namespace {

void fire(const QString& transition) {
  StateMachine::sharedStateMachine().triggerTransition(transition);
}

} // namespace

PausedState::PausedState() {
  QWidget* wall = buttonWall();
  ButtonWallHelper::addButton(wall, QStringLiteral("Resume"), true,
                              [] { fire(QStringLiteral("continueTimeSlice")); });
  ButtonWallHelper::addButton(wall, QStringLiteral("Finish"), false,
                              [] { fire(QStringLiteral("finish")); });
  ButtonWallHelper::addButton(wall, QStringLiteral("Abort"), false, [this] { abortTimeSlice(); });
  ButtonWallHelper::addButton(wall, QStringLiteral("Hide"), false,
                              [this] { StateHost::instance().hide(*this); });
  addAction(QStringLiteral("pauseOrResumeTimeSlice"), [this] { pauseOrResumeTimeSlice(); });
  addAction(QStringLiteral("stopTimeSlice"), [this] { stopTimeSlice(); });
  addAction(QStringLiteral("selectTagTokenField"), [this] { selectTagTokenField(); });
}

const StateExits& PausedState::exits() const {
  static const StateExits table{
      StateExits::exit(QStringLiteral("continueTimeSlice"), &PausedState::continueTimeSlice),
      StateExits::exit(QStringLiteral("abort"), &PausedState::abort),
      StateExits::exit(QStringLiteral("finish"), &PausedState::finish)};
  return table;
}

void PausedState::activate() {
  ModernUIState::activate();
  if (objectiveTextView_)
    objectiveTextView_->selectAll();
}

void PausedState::build() {
  createStackView();
  createAndInstallTitleFragment(QStringLiteral("Time Slice Paused."));
  const auto [objectiveLabel, indicators] = createAndInstallObjectiveLabelFragment();
  objectiveLabel->addVisibilityManagedOption(QStringLiteral("Tag Editor"),
                                             QStringLiteral("hideTagEditorInPausedState"));
  objectiveTextView_ = createAndInstallObjectiveTextViewFragment(indicators).first;
  setFirstResponder(objectiveTextView_);
  QWidget* tagEditor = TagEditorSection::create(&tagTokenField_);
  addSection(tagEditor);
  SectionVisibility::hideWhileSet(tagEditor, QStringLiteral("hideTagEditorInPausedState"));
}

void PausedState::abortTimeSlice() {
  const Alert alert{
      QStringLiteral(
          "Are you sure you want to reset the clock and return to defining a time slice?"),
      QStringLiteral("The time you have already spent on this time slice will not be logged."),
      {QStringLiteral("OK"), QStringLiteral("Cancel")}};
  // The slice may end or resume behind the question (a hot key, a later
  // launch's action): OK then aborts nothing.
  if (AlertPresenterAPI::shared().runModal(alert, StateMachine::currentActivation()) != 0)
    return;
  Logger::sharedLogger().resetActualSecondsWorked();
  fire(QStringLiteral("abort"));
}

void PausedState::pauseOrResumeTimeSlice() { fire(QStringLiteral("continueTimeSlice")); }

void PausedState::stopTimeSlice() { fire(QStringLiteral("finish")); }

void PausedState::selectTagTokenField() {
  TagEditorSection::select(tagTokenField_, QStringLiteral("hideTagEditorInPausedState"));
}

} // namespace kr
