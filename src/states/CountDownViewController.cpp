#include "states/CountDownViewController.h"

#include "states/LockButtonWall.h"
#include "states/TimedBreakRunningState.h"

#include "engine/Clock.h"
#include "engine/StateMachine.h"
#include "engine/TimedStateMachineModule.h"
#include "engine/TimedStateMachineViewModel.h"
#include "kit/CountDownView.h"
#include "kit/skins/KorvaneControlSkin.h"
#include "kit/walls/SmallDurationView.h"
#include "kit/walls/TabWall.h"
#include "kit/walls/Wall.h"
#include "platform/SmartTimerWrapper.h"

#include <QEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace kr {

namespace {

constexpr int kRootWidth = 600;
constexpr int kRootHeight = 800;
constexpr int kDialSize = 600;

} // namespace

CountDownViewController::CountDownViewController(TimedBreakRunningState& state) : state_(state) {}

CountDownViewController::~CountDownViewController() {
  takeDown();
  // A view that a window took is the window's; one never shown is ours.
  if (root_ && !root_->parentWidget())
    delete root_.data();
}

Wall* CountDownViewController::view() const { return root_.data(); }

void CountDownViewController::build() {
  auto* root = new Wall();
  root_ = root;
  root->setObjectName(QStringLiteral("RestScreenView"));
  root->setBackgroundColor(QColor(Qt::black));
  // The rest screen's windows are not the main window: its controls take the
  // pages' colours here.
  KorvaneControlSkin::applyPagePalette(root);
  root->setFixedSize(kRootWidth, kRootHeight);
  rootObject_ = root;
  root->installEventFilter(this);
  // It takes the keyboard once fully shown (Tab reaches the End Break button
  // while it shows).
  root->setFocusPolicy(Qt::StrongFocus);

  const int dialTop = (kRootHeight - kDialSize) / 2;
  countDownView_ = new CountDownView(root);
  countDownView_->setGeometry(0, dialTop, kDialSize, kDialSize);
  countDownView_->setProportionValueProvider(&state_);

  auto* caption = new QLabel(QStringLiteral("Time for Your Break"), root);
  caption->setObjectName(QStringLiteral("restScreenCaption"));
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setPixelSize(24);
  font.setWeight(QFont::Light);
  caption->setFont(font);
  caption->setStyleSheet(QStringLiteral("color: #c0c0c0; background: transparent;"));
  caption->adjustSize();
  caption->move((kRootWidth - caption->width()) / 2, dialTop - 24 - caption->height());

  auto* buttonRow = new Wall(root);
  buttonRow->setGeometry((kRootWidth - 145) / 2, dialTop + kDialSize + 20, 145, 40);
  lockButton_ = new LockButtonWall(buttonRow);
  lockButton_->move(0, 40 - 39);
  // The rest screen's black: the lock's frames, several a second, paint the
  // icon alone (and new digits the read-out alone).
  lockButton_->setBackdrop(QColor(Qt::black));
  tab_ = new TabWall(buttonRow);
  tab_->setGeometry(45, 0, 100, 40);
  remainingWall_ = tab_->createNewWall();
  remainingTimeView_ = new SmallDurationView(remainingWall_);
  remainingTimeView_->disabled = true;
  remainingTimeView_->seconds = 100;
  remainingTimeView_->setGeometry(0, 0, 100, 40);
  remainingTimeView_->setBackdrop(QColor(Qt::black));
  buttonWall_ = tab_->createNewWall();
  buttonWall_->setObjectName(QStringLiteral("buttonTabContentView"));
  endBreakButton_ = new QPushButton(QStringLiteral("End Break"), buttonWall_);
  endBreakButton_->adjustSize();
  endBreakButton_->move((100 - endBreakButton_->width()) / 2, (40 - endBreakButton_->height()) / 2);
  tab_->switchToWall(remainingWall_);

  QObject::connect(endBreakButton_, &QPushButton::clicked, this, [] {
    StateMachine::sharedStateMachine().triggerTransition(QStringLiteral("aborted"));
  });
  lockButton_->buttonClickFunc = [this] { endBreakButton_->click(); };

  lockCycleStart_ = Clock::now();
  startTimer();
}

double CountDownViewController::delayToNextTick(double clockTime) {
  // A millisecond past the twentieth, so that a whole second has begun when
  // its tick runs.
  constexpr double kPast = 0.001;
  const double next = (std::floor((clockTime - kPast) / kUpdateInterval) + 1.0) * kUpdateInterval;
  return std::clamp(next + kPast - clockTime, 0.0, kUpdateInterval);
}

void CountDownViewController::startTimer() {
  if (takenDown_ || isTimerRunning())
    return;
  // First a wait for the next twentieth of a clock second; from there each
  // tick sets the next one, on the twentieths, and so on the whole seconds.
  scheduleTick(delayToNextTick(Clock::now()));
  heartbeat_ = SecondTicker::shared().driveByHeartbeat();
}

void CountDownViewController::scheduleTick(double delay) {
  uiUpdateTimer_ =
      SmartTimerWrapper::wrapTimer(delay, false, [this](SmartTimerWrapper&) { tick(); });
}

namespace {

// The clock time of the first tick at or after `due`, for a tick at `now`:
// a twentieth of a second, never the tick of `now` itself (a tick a hair
// early does nothing and sets the next one).
double tickFor(double due, double now) {
  return now + std::max(CountDownViewController::delayToNextTick(now),
                        CountDownViewController::delayToNextTick(due - 1e-6) + (due - 1e-6 - now));
}

} // namespace

double CountDownViewController::nextTickAfter(double now) const {
  // The next whole second: its work, and a read-out counting whole seconds.
  double due = std::floor(now) + 1.0;
  if (lockButton_)
    due = std::min(due, lockButton_->nextRepaintAfter(now, lockCycleStart_));
  const TimedStateMachineModule* module = state_.timedStateMachineModule();
  if (module && module->viewModel()) {
    const double remaining = module->viewModel()->remainingSeconds();
    const double fraction = remaining - std::floor(remaining);
    if (remaining > 0.0 && fraction > 0.0)
      due = std::min(due, now + fraction);
  }
  // The dial: its next frame, or at once while one is due but nothing moved;
  // a tick that comes anyway up to the slack after it takes the frame along.
  if (countDownView_ && countDownView_->isAnimating()) {
    const double frame = now < lastDialFrame_ ? now : std::max(dialDue_, now);
    if (tickFor(due, now) > tickFor(frame, now) + kDialFrameSlack + 1e-6)
      due = frame;
  }
  return tickFor(due, now);
}

void CountDownViewController::tick() {
  // The second's work may end the break and take this screen down.
  QPointer<CountDownViewController> alive(this);
  heartbeat_.beat();
  if (!alive || takenDown_)
    return;
  update();
  const double now = Clock::now();
  scheduleTick(nextTickAfter(now) - now);
}

void CountDownViewController::takeDown() {
  takenDown_ = true;
  viewDidDisappear();
}

void CountDownViewController::startAnimation() {
  const TimedStateMachineModule* module = state_.timedStateMachineModule();
  countDownView_->animate(module ? module->viewModel()->totalSeconds() : 0.0);
}

void CountDownViewController::viewDidDisappear() {
  if (uiUpdateTimer_) {
    uiUpdateTimer_->stop();
    uiUpdateTimer_.reset();
  }
  heartbeat_.reset();
}

bool CountDownViewController::isShowingEndBreak() const {
  return tab_ && tab_->isCurrentWall(buttonWall_);
}

bool CountDownViewController::isTimerRunning() const {
  return uiUpdateTimer_ && uiUpdateTimer_->isValid();
}

void CountDownViewController::update() {
  const TimedStateMachineModule* module = state_.timedStateMachineModule();
  if (!module || !module->viewModel() || !root_)
    return;
  TimedStateMachineViewModel& model = *module->viewModel();
  model.freezeTime();
  const double now = Clock::now();
  // The lock cycle first: when the tab turns back to the read-out, the
  // read-out is set before it is drawn, never showing the value it had when
  // the tab turned away.
  const double angle = LockButtonWall::cycleAngle(now - lockCycleStart_);
  Wall* const shown = LockButtonWall::isOpenAt(angle) ? buttonWall_ : remainingWall_;
  bool readOutChanged = false;
  if (shown == remainingWall_) {
    const auto seconds = static_cast<qint64>(model.remainingSeconds());
    if (remainingTimeView_->seconds != seconds) {
      remainingTimeView_->seconds = seconds;
      remainingTimeView_->update();
      readOutChanged = true;
    }
  }
  // With new digits the lock's ring takes its step now, however small: its
  // steps, five a second, then fall on the read-out's seconds, and each
  // second paints once for both, not twice.
  lockButton_->applyCycleAngle(angle, readOutChanged ? 0.0 : LockButtonWall::kVisibleAngle);
  if (!tab_->isCurrentWall(shown))
    tab_->switchToWall(shown);
  // The dial asks for no tick before its frame's time: a tick within the
  // slack before it came for something else and takes the frame along.
  const bool clockWentBack = now < lastDialFrame_;
  const bool dialDue = now >= dialDue_ - kDialFrameSlack - 1e-6 || clockWentBack;
  if (dialDue && countDownView_->refresh()) {
    lastDialFrame_ = now;
    // The frames keep their pace whether a frame came early or late; after
    // a long wait (a sleeping machine) the pace starts again from now.
    dialDue_ = clockWentBack ? now + kDialFrameInterval
                             : std::max(dialDue_ + kDialFrameInterval,
                                        now + kDialFrameInterval - kDialFrameSlack);
  }
}

bool CountDownViewController::eventFilter(QObject* watched, QEvent* event) {
  if (watched == rootObject_ && event->type() == QEvent::KeyPress) {
    // Return, Enter and Space do what a click on the lock does: end the
    // break while the lock is open, nothing while it is closed.
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
      if (lockButton_ && lockButton_->enabled && lockButton_->buttonClickFunc)
        lockButton_->buttonClickFunc();
      return true;
    }
  }
  if (watched == rootObject_ && event->type() == QEvent::Hide)
    viewDidDisappear();
  else if (watched == rootObject_ && event->type() == QEvent::Show)
    startTimer();
  return QObject::eventFilter(watched, event);
}

} // namespace kr
