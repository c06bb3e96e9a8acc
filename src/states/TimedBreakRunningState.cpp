#include "states/TimedBreakRunningState.h"
#include "states/ButtonWallHelper.h"
#include "states/CountDownViewController.h"

#include "states/RestBreakHelper.h"
#include "states/SectionVisibility.h"
#include "states/StateHost.h"
#include "states/TimeViewFactory.h"

#include "engine/DataModel.h"
#include "engine/StateMachine.h"
#include "engine/TimedStateMachineModule.h"
#include "engine/TimedStateMachineViewModel.h"
#include "kit/walls/LabelFragment.h"
#include "kit/walls/Wall.h"
#include "platform/FatalError.h"
#include "platform/LogCategories.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <cmath>

namespace kr {

const QString TimedBreakRunningState::kElapsedEventName =
    QStringLiteral("TimedBreakRunningState.elapsed");

class TimedBreakRunningState::PageRefresher final : public UpdatedViewType {
public:
  explicit PageRefresher(TimedBreakRunningState& state) : state_(state) {}
  void updateState() override {
    if (!state_.isPageCovered())
      state_.refreshPage();
  }

private:
  TimedBreakRunningState& state_;
};

namespace {

std::int64_t checkedSeconds(double value) {
  KR_ASSERT(std::isfinite(value) && std::abs(value) < 9.0e15,
            QStringLiteral("break length %1 out of range").arg(value));
  return static_cast<std::int64_t>(std::trunc(value));
}

} // namespace

TimedBreakRunningState::TimedBreakRunningState()
    : pageRefresher_(std::make_unique<PageRefresher>(*this)) {
  addAction(QStringLiteral("changeDuration"), [this] { changeDuration(); });
  addAction(QStringLiteral("addOneMinute"), [this] { addOneMinute(); });
  addAction(QStringLiteral("subtractOneMinute"), [this] { subtractOneMinute(); });
  // The start-slice command ends the break early, as "Finish" does.
  addAction(QStringLiteral("startTimeSlice"), [this] { startTimeSlice(); });
}

TimedBreakRunningState::~TimedBreakRunningState() {
  // The rest screen refers to this state: it goes first, up or not.
  RestBreakHelper::shared().forgetState(*this);
}

std::int64_t TimedBreakRunningState::duration() {
  return DataModel::shared().nextTimedBreakDurationInSeconds();
}

bool TimedBreakRunningState::shouldHideOnActivate() const {
  if (DataModel::shared().lockScreenDuringBreak())
    return false;
  return DataModel::shared().shouldHideOnTimedBreakActivation();
}

void TimedBreakRunningState::activate() {
  // The length is taken here (the module reads duration()), before the
  // counter moves on.
  TimedState::activate();
  updateMenuItem();
  KR_ASSERT(durationSlider_ != nullptr, QStringLiteral("the timed break's page was not built"));
  DataModel::shared().pomodoroCounter += 1;
  if (DataModel::shared().lockScreenDuringBreak())
    restScreenUp_ = RestBreakHelper::shared().bringUpRestScreen(*this);
  StateHost& host = StateHost::instance();
  host.removeAllStatusMenuItems();
  for (const auto& [title, minutes] :
       {std::pair{QStringLiteral("Add 1 Minute"), 1}, std::pair{QStringLiteral("Add 3 Minutes"), 3},
        std::pair{QStringLiteral("Add 5 Minutes"), 5},
        std::pair{QStringLiteral("Add 10 Minutes"), 10}}) {
    host.addStatusMenuItem(title, [this, minutes = minutes] { extendBreakBy(minutes); });
  }
}

void TimedBreakRunningState::deactivate() {
  TimedState::deactivate();
  // Decided by what activation did, not by the setting now: a setting
  // changed during the break must never leave the screens black.
  if (restScreenUp_) {
    qCDebug(lcStates).noquote() << "removeRestScreen";
    restScreenUp_ = false;
    RestBreakHelper::shared().takeDownRestScreen();
  }
  DataModel::shared().useOneTimeOnlyBreakDurationThisTimeOnly = false;
}

QString TimedBreakRunningState::menuItemText() const {
  TimedStateMachineModule* module = timedStateMachineModule();
  if (!module)
    return {};
  module->viewModel()->freezeTime();
  return remainingTimeText();
}

void TimedBreakRunningState::handleTimerElapsed() {
  postEvent(kElapsedEventName, totalElapsedSeconds(), totalTime());
  StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("elapsed"));
}

bool TimedBreakRunningState::isPageCovered() const {
  if (!restScreenUp_)
    return false;
  const CountDownViewController* screen = RestBreakHelper::shared().countDownViewController();
  return screen && screen->view() && screen->view()->isVisible();
}

double TimedBreakRunningState::currentProportion() const {
  TimedStateMachineModule* module = timedStateMachineModule();
  if (!module)
    return 0.0;
  const TimedStateMachineViewModel& model = *module->viewModel();
  const double total = model.totalSeconds();
  return total > 0.0 ? model.elapsedSeconds() / total : 0.0;
}

void TimedBreakRunningState::changeWorkingDuration(std::int64_t seconds) {
  TimedStateMachineModule* module = timedStateMachineModule();
  KR_ASSERT(module != nullptr, QStringLiteral("the timed break has no timed machine"));
  module->change(seconds);
  updateUpdatableViews();
}

void TimedBreakRunningState::extendBreakBy(int minutes) {
  TimedStateMachineModule* module = timedStateMachineModule();
  KR_ASSERT(module != nullptr, QStringLiteral("the timed break has no timed machine"));
  TimedStateMachineViewModel& model = *module->viewModel();
  model.freezeTime();
  const double r = model.remainingSeconds();
  if (r > 3600.0)
    return;
  changeWorkingDuration(checkedSeconds(r + 60.0 * minutes + model.elapsedSeconds()));
}

void TimedBreakRunningState::addOneMinute() { extendBreakBy(1); }

void TimedBreakRunningState::subtractOneMinute() {
  TimedStateMachineModule* module = timedStateMachineModule();
  KR_ASSERT(module != nullptr, QStringLiteral("the timed break has no timed machine"));
  TimedStateMachineViewModel& model = *module->viewModel();
  model.freezeTime();
  const double r = model.remainingSeconds();
  if (r <= 120.0)
    return;
  changeWorkingDuration(checkedSeconds(r - 60.0 + model.elapsedSeconds()));
}

void TimedBreakRunningState::sliderMoved(int minutes) {
  if (!timedStateMachineModule())
    return;
  const std::int64_t elapsed = totalElapsedSeconds();
  changeWorkingDuration((elapsed + std::int64_t{minutes} * 60) / 60 * 60);
}

void TimedBreakRunningState::setRemaining(double minutes) {
  changeWorkingDuration(checkedSeconds(totalElapsedSeconds() + minutes * 60.0));
  prepareForUITimerUpdate();
}

void TimedBreakRunningState::changeDuration() {
  TimedStateMachineModule* module = timedStateMachineModule();
  KR_ASSERT(module != nullptr, QStringLiteral("the timed break has no timed machine"));
  module->viewModel()->freezeTime();
  const int minutes = static_cast<int>(module->viewModel()->remainingSeconds() / 60.0);
  TimeViewFactory::shared().openQuickDurationDialog(durationSlider_, minutes,
                                                    [this](int typed) { setRemaining(typed); });
  updateUpdatableViews();
}

void TimedBreakRunningState::startTimeSlice() { timerAborted(); }

void TimedBreakRunningState::refreshPage() {
  TimedStateMachineModule* module = timedStateMachineModule();
  if (!module || !durationSlider_)
    return;
  module->viewModel()->freezeTime();
  const double r = module->viewModel()->remainingSeconds();
  const QSignalBlocker blocker(durationSlider_);
  durationSlider_->setValue(static_cast<int>(std::ceil(r / 60.0)));
}

void TimedBreakRunningState::createDurationSliderFragment() {
  auto* fragment = new QWidget();
  fragment->setObjectName(QStringLiteral("Duration Slider Fragment"));
  auto* layout = new QHBoxLayout(fragment);
  layout->setContentsMargins(kSectionInset, 0, kSectionInset, 0);
  durationSlider_ = new QSlider(Qt::Horizontal, fragment);
  durationSlider_->setRange(2, 60);
  durationSlider_->setTickPosition(QSlider::TicksBelow);
  durationSlider_->setTickInterval(1);
  durationSlider_->setSingleStep(1);
  durationSlider_->setPageStep(1);
  layout->addWidget(durationSlider_);
  QObject::connect(durationSlider_, &QSlider::valueChanged, durationSlider_,
                   [this](int minutes) { sliderMoved(minutes); });
  addSection(fragment);
  setFirstResponder(durationSlider_);
}

void TimedBreakRunningState::addTimeViews() {
  TimeViewFactory& factory = TimeViewFactory::shared();
  auto model = [this]() -> TimedStateMachineViewModel* {
    return timedStateMachineModule() ? timedStateMachineModule()->viewModel() : nullptr;
  };
  PageSection bubbles = TimeViewFactory::make(factory.makeTimedStateBubbleView, model,
                                              [this](std::int64_t workingDuration) {
                                                if (timedStateMachineModule())
                                                  changeWorkingDuration(workingDuration);
                                              });
  PageSection elapsedRow = TimeViewFactory::make(factory.makeBreakElapsedAndEndTimeWall, model);
  PageSection remainingRow =
      TimeViewFactory::make(factory.makeBreakRemainingAndTotalTimeWall, model);
  const std::tuple<PageSection*, GenericUpdateViewTypeImplementation*, QString> rows[] = {
      {&bubbles, &bubbleUpdate_, QStringLiteral("hideBubblesInTBRunningState")},
      {&elapsedRow, &elapsedRowUpdate_, QStringLiteral("hideDurationAndEndDateInTimedBreak")},
      {&remainingRow, &remainingRowUpdate_, QStringLiteral("hideRemainingAndTotalInTimedBreak")}};
  for (const auto& [section, update, hiddenFlag] : rows) {
    addSection(section->widget);
    SectionVisibility::hideWhileSet(section->widget, hiddenFlag);
    // Nothing to show while the rest screen hides the page: its labels would
    // lay the window out again every second for no one.
    update->closure = [this, refresh = section->update] {
      if (!isPageCovered() && refresh)
        refresh();
    };
    addUpdatableView(*update);
  }
}

void TimedBreakRunningState::build() {
  createStackView();
  createAndInstallTitleFragment(QStringLiteral("On a Timed Break..."));
  LabelFragment* label = LabelFragment::labelFragment(QStringLiteral("Duration:"));
  label->isFirstLabel = true;
  label->addVisibilityManagedOption(QStringLiteral("quarter hour indicators"),
                                    QStringLiteral("hideBubblesInTBRunningState"));
  label->addVisibilityManagedOption(QStringLiteral("duration and end date"),
                                    QStringLiteral("hideDurationAndEndDateInTimedBreak"));
  label->addVisibilityManagedOption(QStringLiteral("remaining and total time"),
                                    QStringLiteral("hideRemainingAndTotalInTimedBreak"));
  addSection(label);
  createDurationSliderFragment();
  addTimeViews();
  addUpdatableView(*pageRefresher_);

  ButtonWallHelper::addButton(buttonWall(), QStringLiteral("Finish"), true,
                              [this] { timerAborted(); });
  ButtonWallHelper::addButton(buttonWall(), QStringLiteral("Hide"), false,
                              [this] { StateHost::instance().hide(*this); });
}

} // namespace kr
