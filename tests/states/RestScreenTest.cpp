#include "states/CountDownViewController.h"
#include "states/LockButtonWall.h"
#include "states/RestBreakHelper.h"
#include "states/TimedBreakRunningState.h"

#include "SliceTestFixture.h"
#include "art/BreakTimeStyleKit.h"
#include "effects/OverlayScreenFadingHelper.h"
#include "engine/SecondTicker.h"
#include "engine/TimedStateMachineModule.h"
#include "engine/TimedStateMachineViewModel.h"
#include "kit/CountDownView.h"
#include "kit/walls/SmallDurationView.h"
#include "platform/ScreenOverlayWindows.h"
#include "platform/drawing/GraphicsContext.h"
#include "platform/services/QMessageBoxAlertPresenter.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLineF>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cmath>

#include <gtest/gtest.h>

using namespace kr;

namespace {

// Every overlay window still known to the application, shown or not yet deleted.
int overlayWindowCount() {
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QStringLiteral("ScreenOverlayWindow"))
      ++count;
  }
  return count;
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

struct RestScreenFixture : test::SliceFixture {
  RestScreenFixture() {
    RestBreakHelper::shared().installScreenFading(&fading);
    UserDefaults::standard().setValue(QStringLiteral("lockScreenDuringBreak"), true);
    UserDefaults::standard().setValue(QStringLiteral("breakDurationInSeconds"), 300);
    UserDefaults::standard().setValue(QStringLiteral("breakDurationControlAlternative"),
                                      QStringLiteral("default"));
    DataModel::shared().useOneTimeOnlyBreakDurationThisTimeOnly = false;
    start();
  }
  ~RestScreenFixture() { RestBreakHelper::shared().installScreenFading(nullptr); }
  TimedBreakRunningState& timedBreak() { return helper.timedBreakRunningState(); }
  CountDownViewController& screen() { return *RestBreakHelper::shared().countDownViewController(); }
  void startBreak() {
    machine.triggerTransition(QStringLiteral("timedBreak"));
    ASSERT_EQ(machine.currentState(), &timedBreak());
  }
  // A break started off a whole second, its fades over.
  void startBreakPastTheFades() {
    clock.advance(0.37);
    startBreak();
    clock.advance(6.0);
  }
  // After the fade back, no overlay is left, shown or hidden.
  void expectAllOverlaysGone() {
    clock.advance(OverlayScreenFadingHelper::kFadeBackSeconds + 0.1);
    flushDeletes();
    EXPECT_EQ(overlayWindowCount(), 0);
    EXPECT_FALSE(fading.overlays().isCovering());
  }

  OverlayScreenFadingHelper fading;
};

// The paintings of the rest screen's parts, each as the rectangle it covered
// in the rest screen's own coordinates.
class PaintRecorder final : public QObject {
public:
  explicit PaintRecorder(QWidget* root) : root_(root) { qApp->installEventFilter(this); }
  ~PaintRecorder() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::Paint && widget &&
        (widget == root_ || root_->isAncestorOf(widget))) {
      const QRect r = static_cast<QPaintEvent*>(event)->rect();
      painted.push_back({widget, QRect(widget->mapTo(root_, r.topLeft()), r.size())});
    }
    return false;
  }
  int countOf(const QWidget* widget) const {
    return int(std::count_if(painted.begin(), painted.end(),
                             [&](const auto& p) { return p.first == widget; }));
  }
  std::vector<std::pair<QWidget*, QRect>> painted;

private:
  QWidget* root_;
};

} // namespace

TEST(RestScreen, OneWindowPerScreenWithTheDialOnThePrimaryOneAndTheAppNotHidden) {
  RestScreenFixture f;
  const int hiddenBefore = int(f.host.hiddenBy.size());
  f.startBreak();
  EXPECT_TRUE(f.timedBreak().isRestScreenUp());
  EXPECT_EQ(overlayWindowCount(), int(QGuiApplication::screens().size()));
  QWidget* primary = f.fading.overlays().windowOn(QGuiApplication::primaryScreen());
  ASSERT_NE(primary, nullptr);
  EXPECT_EQ(f.screen().view()->parentWidget(), primary);
  EXPECT_EQ(int(f.host.hiddenBy.size()), hiddenBefore)
      << "the break with a rest screen never hides";
  f.machine.triggerTransition(QStringLiteral("elapsed"));
  f.expectAllOverlaysGone();
  EXPECT_FALSE(f.screen().isTimerRunning());
}

TEST(RestScreen, TakenDownWhenTheBreakElapsesByItself) {
  RestScreenFixture f;
  f.startBreak();
  f.clock.advance(301);
  EXPECT_EQ(f.machine.currentState(), &f.define());
  f.expectAllOverlaysGone();
  EXPECT_FALSE(f.screen().isTimerRunning()) << "the 0.05 s timer stops with the screen";
}

TEST(RestScreen, IgnoresClicksUntilShownAndTheLockOpensOnlyAtTheEndOfEachCycle) {
  RestScreenFixture f;
  f.startBreak();
  CountDownViewController& screen = f.screen();
  EXPECT_FALSE(screen.lockButton()->enabled) << "closed from the start";
  EXPECT_FALSE(f.fading.overlays().isContentFullyShown());
  EXPECT_TRUE(screen.view()->testAttribute(Qt::WA_TransparentForMouseEvents));

  f.clock.advance(13.5);
  EXPECT_TRUE(f.fading.overlays().isContentFullyShown());
  EXPECT_FALSE(screen.view()->testAttribute(Qt::WA_TransparentForMouseEvents));
  // The ring as its last tick set it: behind the cycle by less than a
  // visible step and a tick.
  const double step =
      LockButtonWall::kVisibleAngle + 26.4 * CountDownViewController::kUpdateInterval;
  EXPECT_LE(screen.lockButton()->endAngle(), 356.4 + 0.1);
  EXPECT_GE(screen.lockButton()->endAngle(), 356.4 - step);
  EXPECT_FALSE(screen.isShowingEndBreak());
  QTest::mouseClick(screen.lockButton(), Qt::LeftButton);
  EXPECT_EQ(f.machine.currentState(), &f.timedBreak()) << "a closed lock ignores the click";
  EXPECT_EQ(screen.remainingTimeView()->seconds, 300 - 14);

  f.clock.advance(0.5);
  EXPECT_TRUE(screen.lockButton()->enabled);
  EXPECT_TRUE(screen.isShowingEndBreak());
  f.clock.advance(1.2);
  EXPECT_FALSE(screen.isShowingEndBreak()) << "a new cycle at 15 s";
  EXPECT_LE(screen.lockButton()->endAngle(), 5.28 + 0.1);
  EXPECT_LT(screen.lockButton()->endAngle(), 10.0) << "emptied";

  f.clock.advance(13.8); // 29.0 s: open again
  ASSERT_TRUE(screen.lockButton()->enabled);
  QTest::mouseClick(screen.lockButton(), Qt::LeftButton);
  EXPECT_EQ(f.machine.currentState(), &f.define()) << "the open lock ends the break";
  EXPECT_EQ(f.countEvents(QStringLiteral("Korvane_R_3.TimedBreakRunningState.end")), 1);
  f.expectAllOverlaysGone();
}

// Keys typed on the rest screen never reach the window hidden beneath it; the
// keys that end the break are a click's: ignored while the lock is closed.
TEST(RestScreen, TakesTheKeyboardWhileShownAndReturnEndsTheBreakOnlyThroughTheOpenLock) {
  RestScreenFixture f;
  QLineEdit page;
  page.show();
  page.activateWindow();
  QCoreApplication::processEvents();
  ASSERT_EQ(QApplication::activeWindow(), &page);
  f.startBreak();
  CountDownViewController& screen = f.screen();
  // From the start, while the screen still fades in, and until the lock opens.
  for (double at : {0.0, 13.5}) {
    f.clock.advance(at);
    QCoreApplication::processEvents();
    QWidget* cover = f.fading.overlays().windowOn(QGuiApplication::primaryScreen());
    EXPECT_EQ(QApplication::activeWindow(), cover) << at;
    ASSERT_EQ(QApplication::focusWidget(), screen.view()) << at;
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
      QTest::keyClick(QApplication::focusWidget(), key);
    // A window manager may leave the focus on the window beneath.
    QTest::keyClicks(&page, QStringLiteral("ab "));
    QTest::keyClick(&page, Qt::Key_Return);
    EXPECT_EQ(f.machine.currentState(), &f.timedBreak()) << "the lock is closed at " << at;
    EXPECT_EQ(page.text(), QString()) << at;
  }
  // The window's shortcuts are held back, but for quitting.
  const auto heldBack = [&page](QKeyCombination keys) {
    QKeyEvent override(QEvent::ShortcutOverride, keys.key(), keys.keyboardModifiers());
    override.ignore();
    QCoreApplication::sendEvent(&page, &override);
    return override.isAccepted();
  };
  EXPECT_TRUE(heldBack(Qt::CTRL | Qt::Key_H));
  EXPECT_FALSE(heldBack(Qt::CTRL | Qt::Key_Q));

  f.clock.advance(0.5);
  ASSERT_TRUE(screen.lockButton()->enabled);
  QTest::keyClick(&page, Qt::Key_Return);
  EXPECT_EQ(f.machine.currentState(), &f.define()) << "the open lock ends the break";
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::activeWindow(), &page) << "the keyboard goes back";
  f.expectAllOverlaysGone();
}

// A question open on the page when the rest screen comes up blocks only its
// own window: the rest screen ends the break in its open phase by a click or a
// key as the window system delivers them, Ctrl+Q quits from it, and the
// question, answered once the rest screen is gone, acts on nothing.
TEST(RestScreen, AQuestionOpenBeneathBlocksOnlyItsOwnWindow) {
  using Way = std::function<void(CountDownViewController&, QWindow*)>;
  const auto click = [](QWidget* target, QWindow* cover) {
    QTest::mouseClick(cover, Qt::LeftButton, Qt::NoModifier,
                      cover->mapFromGlobal(target->mapToGlobal(target->rect().center())));
  };
  const auto key = [](Qt::Key pressed) {
    return [pressed](CountDownViewController&, QWindow* cover) { QTest::keyClick(cover, pressed); };
  };
  const std::pair<const char*, Way> ways[] = {
      {"End Break", [&](auto& screen, QWindow* cover) { click(screen.endBreakButton(), cover); }},
      {"the lock", [&](auto& screen, QWindow* cover) { click(screen.lockButton(), cover); }},
      {"Return", key(Qt::Key_Return)},
      {"Enter", key(Qt::Key_Enter)},
      {"Space", key(Qt::Key_Space)},
  };
  for (const auto& [name, way] : ways) {
    RestScreenFixture f;
    int quits = 0;
    f.fading.overlays().setQuitKeyAction([&quits] { ++quits; });
    QLineEdit page;
    page.show();
    page.activateWindow();
    QCoreApplication::processEvents();
    // Within the question's own loop, as the break comes while it waits.
    QTimer::singleShot(0, [&, name = name, way = way] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr) << name;
      EXPECT_EQ(box->parentWidget(), &page) << "modal to the window that asks";
      f.startBreak();
      f.clock.advance(14.0);
      QCoreApplication::processEvents();
      CountDownViewController& screen = f.screen();
      ASSERT_TRUE(screen.isShowingEndBreak()) << name;
      QWindow* cover = screen.view()->window()->windowHandle();
      QTest::keyClick(cover, Qt::Key_Q, Qt::ControlModifier);
      QCoreApplication::processEvents();
      EXPECT_EQ(quits, 1) << name << ": Ctrl+Q on the rest screen";
      way(screen, cover);
      EXPECT_EQ(f.machine.currentState(), &f.define()) << name << " ends the break";
      f.expectAllOverlaysGone();
      box->buttons().constFirst()->click();
    });
    // A question the define page asks, as its states ask theirs.
    const AskedAbout about = StateMachine::currentActivation();
    const Alert question{QStringLiteral("Delete?"), {}, {QStringLiteral("OK")}};
    EXPECT_EQ(QMessageBoxAlertPresenter().runModal(question, about), -1)
        << name << ": answered after the page changed";
  }
}

// A busy machine runs the 0.05 s timer late: the first tick after the lock
// closes again comes a second and a half on. The read-out shows the time left
// then, not the value it had before the lock opened.
TEST(RestScreen, TheReadOutIsCurrentWhenTheTabTurnsBackToIt) {
  RestScreenFixture f;
  f.startBreak();
  CountDownViewController& screen = f.screen();
  f.clock.advance(14.0);
  ASSERT_TRUE(screen.isShowingEndBreak());
  const qint64 before = screen.remainingTimeView()->seconds;
  f.clock.sleep(1.5);
  ASSERT_FALSE(screen.isShowingEndBreak());
  EXPECT_EQ(screen.remainingTimeView()->seconds, 300 - 16) << "was " << before;
  EXPECT_LT(screen.remainingTimeView()->seconds, before);
}

TEST(RestScreen, EndBreakAbortsAndALengthChangeShowsAtOnce) {
  RestScreenFixture f;
  f.startBreak();
  f.clock.advance(10.0);
  f.timedBreak().extendBreakBy(3);
  f.clock.advance(0.05);
  EXPECT_EQ(f.screen().remainingTimeView()->seconds, 300 + 180 - 10 - 1);
  EXPECT_NEAR(f.timedBreak().currentProportion(), 10.05 / 480.0, 0.01);
  f.clock.advance(4.0);
  ASSERT_TRUE(f.screen().isShowingEndBreak());
  f.screen().endBreakButton()->click();
  EXPECT_EQ(f.machine.currentState(), &f.define());
  f.expectAllOverlaysGone();
}

TEST(RestScreen, ASettingChangedDuringTheBreakNeverLeavesBlackWindows) {
  RestScreenFixture f;
  f.startBreak();
  UserDefaults::standard().setValue(QStringLiteral("lockScreenDuringBreak"), false);
  f.machine.triggerTransition(QStringLiteral("aborted"));
  f.expectAllOverlaysGone();

  // And the other way round: switched on during a break without a rest screen.
  f.startBreak();
  EXPECT_FALSE(f.timedBreak().isRestScreenUp());
  EXPECT_EQ(overlayWindowCount(), 0);
  UserDefaults::standard().setValue(QStringLiteral("lockScreenDuringBreak"), true);
  f.machine.triggerTransition(QStringLiteral("aborted"));
  f.expectAllOverlaysGone();
}

TEST(RestScreen, QuittingTakesEveryOverlayDown) {
  RestScreenFixture f;
  f.startBreak();
  ASSERT_GT(overlayWindowCount(), 0);
  // A real quit: the loop ends and announces it.
  QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
  QCoreApplication::exec();
  flushDeletes();
  EXPECT_EQ(overlayWindowCount(), 0);
  EXPECT_FALSE(f.screen().isTimerRunning());
  f.machine.triggerTransition(QStringLiteral("aborted"));
  flushDeletes();
  EXPECT_EQ(overlayWindowCount(), 0);
}

TEST(RestScreen, WithoutScreenEffectsTheBreakRunsOnThePageOnly) {
  RestScreenFixture f;
  RestBreakHelper::shared().installScreenFading(nullptr);
  f.startBreak();
  EXPECT_FALSE(f.timedBreak().isRestScreenUp());
  EXPECT_EQ(overlayWindowCount(), 0);
  f.machine.triggerTransition(QStringLiteral("aborted"));
}

TEST(RestScreen, RepaintsOnlyWhatMovedByAPixelAndNewDigitsOnlyInTheirRectangle) {
  RestScreenFixture f;
  // A long break: its slice moves by a pixel only every few seconds.
  UserDefaults::standard().setValue(QStringLiteral("breakDurationInSeconds"), 1800);
  f.startBreak();
  CountDownViewController& screen = f.screen();
  f.clock.advance(6.0); // the fades are over
  PaintRecorder paints(screen.view());
  screen.update(); // what is due by now, its tick a moment away
  QCoreApplication::processEvents();
  paints.painted.clear();

  // Ticks while nothing moves (the clock stands) request no painting.
  for (int i = 0; i < 40; ++i) {
    screen.update();
    QCoreApplication::processEvents();
  }
  EXPECT_TRUE(paints.painted.empty()) << paints.painted.size() << " paintings";

  // Longer by a minute: the read-out changes, the slice by far less than a
  // pixel. Only the read-out's rectangle is painted, and the lock's: its
  // ring takes the part of a step it grew since its last one along.
  f.timedBreak().extendBreakBy(1);
  screen.update();
  QCoreApplication::processEvents();
  const QWidget* digits = screen.remainingTimeView();
  const QRect digitsRect(digits->mapTo(screen.view(), QPoint(0, 0)), digits->size());
  const QWidget* lock = screen.lockButton();
  const QRect lockRect(lock->mapTo(screen.view(), QPoint(0, 0)), lock->size());
  ASSERT_FALSE(paints.painted.empty());
  QRect covered;
  for (const auto& [widget, rect] : paints.painted) {
    EXPECT_TRUE(digitsRect.contains(rect) || (widget == lock && rect == lockRect))
        << qPrintable(widget->objectName());
    if (widget != lock)
      covered |= rect;
  }
  EXPECT_EQ(covered, digitsRect);
  EXPECT_EQ(paints.countOf(screen.countDownView()), 0);
  EXPECT_LE(paints.countOf(lock), 1);

  // Three seconds of running ticks (60): the read-out paints once a second,
  // the lock's ring every 4 degrees (26.4 a second), the dial as its ring and
  // slice move, at most twice a second; none of them at every tick.
  paints.painted.clear();
  for (int i = 0; i < 60; ++i) {
    f.clock.advance(CountDownViewController::kUpdateInterval);
    QCoreApplication::processEvents();
  }
  EXPECT_LE(paints.countOf(digits), 4);
  EXPECT_GE(paints.countOf(digits), 3);
  EXPECT_LE(paints.countOf(screen.lockButton()), 21);
  EXPECT_GE(paints.countOf(screen.lockButton()), 15);
  EXPECT_LE(paints.countOf(screen.countDownView()), 7);
  EXPECT_GE(paints.countOf(screen.countDownView()), 3);

  // Two more pulses (12 s): the dial still paints at most twice a second,
  // and its ring is stroked only for radii not yet kept: the second pulse
  // strokes nothing.
  auto run = [&](double seconds) {
    for (int i = 0; i < static_cast<int>(std::lround(seconds / 0.05)); ++i) {
      f.clock.advance(CountDownViewController::kUpdateInterval);
      QCoreApplication::processEvents();
    }
  };
  const CountDownView& dial = *screen.countDownView();
  paints.painted.clear();
  run(6.0);
  const int strokes = dial.ringStrokeCount();
  run(6.0);
  EXPECT_EQ(dial.ringStrokeCount(), strokes) << "every radius of the pulse kept";
  EXPECT_LE(paints.countOf(&dial), 2 * 12 + 1);
  EXPECT_GE(paints.countOf(&dial), 12) << "the pulse shows";
}

// The rest screen's timer fires on the clock's twentieths of a second and
// carries the once-a-second work, so the program wakes once per tick.
TEST(RestScreen, TheTimerKeepsToTheTwentiethsAndCarriesTheSecondsWork) {
  EXPECT_NEAR(CountDownViewController::delayToNextTick(100.0), 0.001, 1e-9);
  EXPECT_NEAR(CountDownViewController::delayToNextTick(100.0012), 0.0498, 1e-9);
  EXPECT_NEAR(CountDownViewController::delayToNextTick(100.9995), 0.0015, 1e-9);

  RestScreenFixture f;
  f.startBreakPastTheFades();
  const std::size_t from = f.clock.wakeUps().size();
  const qint64 shown = f.screen().remainingTimeView()->seconds;
  f.clock.advance(2.0);
  const std::vector<double> wakes(f.clock.wakeUps().begin() + std::ptrdiff_t(from),
                                  f.clock.wakeUps().end());
  EXPECT_LE(wakes.size(), 40u) << "one wake-up per tick, the seconds' work included";
  EXPECT_GE(wakes.size(), 10u) << "the lock's ring steps five times a second";
  for (double t : wakes)
    EXPECT_NEAR(std::fmod(t, 0.05), 0.001, 1e-4) << std::fixed << t;
  EXPECT_EQ(f.screen().remainingTimeView()->seconds, shown - 2)
      << "the scheduler ticked through the beats";
  // Once the rest screen goes, the ticker runs on its own timer again.
  f.machine.triggerTransition(QStringLiteral("aborted"));
  EXPECT_FALSE(f.screen().isTimerRunning());
  f.expectAllOverlaysGone();
  EXPECT_EQ(SecondTicker::shared().isRunning(), SecondTicker::shared().subscriberCount() > 0);
  if (SecondTicker::shared().subscriberCount() > 0) {
    const std::size_t after = f.clock.wakeUps().size();
    f.clock.advance(2.0);
    EXPECT_EQ(f.clock.wakeUps().size() - after, 2u) << "once a second";
  }
}

// The timer ticks only where something may change: each tick that it skips
// would have changed nothing, and what is painted matches ticking every
// twentieth.
TEST(RestScreen, TheTimerSkipsTheTwentiethsWhereNothingChanges) {
  LockButtonWall lock;
  EXPECT_DOUBLE_EQ(lock.nextRepaintAfter(100.0, 100.0), 100.0) << "never painted: at once";
  lock.applyCycleAngle(LockButtonWall::cycleAngle(1.0)); // 26.4 degrees
  const double perDegree = LockButtonWall::kCycleSeconds / (LockButtonWall::kOvershoot * 360.0);
  EXPECT_NEAR(lock.nextRepaintAfter(101.0, 100.0), 100.0 + 30.4 * perDegree, 1e-9);
  lock.applyCycleAngle(358.0);
  EXPECT_NEAR(lock.nextRepaintAfter(100.0 + 358.0 * perDegree, 100.0), 100.0 + 360.0 * perDegree,
              1e-9)
      << "the lock opens before the ring grows visibly";
  lock.applyCycleAngle(361.0);
  EXPECT_NEAR(lock.nextRepaintAfter(114.0, 100.0), 115.0, 1e-9) << "open until the cycle ends";
  EXPECT_NEAR(lock.nextRepaintAfter(131.0, 100.0), 131.0, 1e-9) << "a later cycle: at once";

  RestScreenFixture f;
  f.startBreakPastTheFades();
  CountDownViewController& screen = f.screen();
  PaintRecorder paints(screen.view());
  QCoreApplication::processEvents();
  paints.painted.clear();
  const std::size_t from = f.clock.wakeUps().size();
  const qint64 shown = screen.remainingTimeView()->seconds;
  for (int i = 0; i < 60; ++i) {
    f.clock.advance(CountDownViewController::kUpdateInterval);
    QCoreApplication::processEvents();
  }
  const std::vector<double> wakes(f.clock.wakeUps().begin() + std::ptrdiff_t(from),
                                  f.clock.wakeUps().end());
  // The lock's ring five times a second, the read-out and the second's work
  // once each; the dial's frames ride on those ticks.
  EXPECT_LE(wakes.size(), 24u) << "three seconds: about seven ticks a second";
  EXPECT_GE(wakes.size(), 15u);
  for (double t : wakes)
    EXPECT_NEAR(std::fmod(t, 0.05), 0.001, 1e-4) << std::fixed << t;
  EXPECT_EQ(screen.remainingTimeView()->seconds, shown - 3);
  EXPECT_GE(paints.countOf(screen.lockButton()), 15);
  EXPECT_LE(paints.countOf(screen.lockButton()), 21);
  EXPECT_GE(paints.countOf(screen.countDownView()), 3);
  EXPECT_LE(paints.countOf(screen.countDownView()), 7);
}

TEST(RestScreen, ThePageBeneathWaitsWhileCoveredAndIsCurrentWithoutIt) {
  RestScreenFixture f;
  f.startBreak();
  ASSERT_TRUE(f.timedBreak().isPageCovered());
  QSlider* slider = f.timedBreak().durationSlider();
  EXPECT_EQ(slider->value(), 5);
  f.clock.advance(61.0);
  EXPECT_EQ(slider->value(), 5) << "no refresh of the page beneath the rest screen";
  EXPECT_EQ(f.screen().remainingTimeView()->seconds, 300 - 61) << "the rest screen is current";
  f.machine.triggerTransition(QStringLiteral("aborted"));
  f.expectAllOverlaysGone();

  // Without a rest screen the page counts down on its own.
  UserDefaults::standard().setValue(QStringLiteral("lockScreenDuringBreak"), false);
  f.startBreak();
  EXPECT_FALSE(f.timedBreak().isPageCovered());
  EXPECT_EQ(slider->value(), 5) << "refreshed at activation";
  f.clock.advance(61.0);
  EXPECT_EQ(slider->value(), 4);
  f.machine.triggerTransition(QStringLiteral("aborted"));
}

TEST(RestScreen, TheLockDrawnFromItsKeptLayersLooksAsDrawnAtOnce) {
  LockButtonWall lock;
  auto largestDifference = [&lock](double angle, QColor under = Qt::black) {
    lock.applyCycleAngle(angle);
    QImage kept(lock.size(), QImage::Format_ARGB32_Premultiplied);
    kept.fill(under);
    lock.render(&kept, QPoint(), QRegion(), QWidget::DrawChildren);
    QImage atOnce(lock.size(), QImage::Format_ARGB32_Premultiplied);
    atOnce.fill(Qt::black);
    {
      QPainter painter(&atOnce);
      GraphicsContext context(&painter, lock.height());
      GraphicsContext::Scope scope(context);
      BreakTimeStyleKit::drawLockIcon(QRectF(QPointF(0, 0), QSizeF(lock.size())),
                                      ResizingBehavior::fit, lock.endAngle());
    }
    int worst = 0;
    for (int y = 0; y < kept.height(); ++y) {
      for (int x = 0; x < kept.width(); ++x) {
        const QRgb a = kept.pixel(x, y);
        const QRgb b = atOnce.pixel(x, y);
        worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                          std::abs(qBlue(a) - qBlue(b))});
      }
    }
    return worst;
  };
  EXPECT_LE(largestDifference(100.0), 2);
  const qint64 small = lock.layerImageKey();
  EXPECT_NE(small, 0);
  EXPECT_LE(largestDifference(200.0), 2);
  EXPECT_EQ(lock.layerImageKey(), small) << "kept between paintings";
  EXPECT_LE(largestDifference(400.0), 2) << "open";
  lock.setFixedSize(78, 78);
  EXPECT_LE(largestDifference(100.0), 2) << "made again at the new size";
  EXPECT_NE(lock.layerImageKey(), small);
  // With a black backdrop the icon paints it itself, under everything: what
  // lay beneath never shows.
  EXPECT_GT(largestDifference(100.0, Qt::red), 200);
  lock.setBackdrop(Qt::black);
  EXPECT_TRUE(lock.testAttribute(Qt::WA_OpaquePaintEvent));
  for (const double angle : {0.0, 100.0, 400.0})
    EXPECT_LE(largestDifference(angle, Qt::red), 2) << angle;
}

// The dial's frames come at their pace of two a second, each within the
// slack of its time, and share the lock's ticks while its ring runs: they
// add no painting and no wake-up of their own then. While the lock stands
// open the dial keeps its pace on ticks of its own. The read-out's new
// digits come with a step of the lock's ring; the lock's frames paint the
// icon alone and new digits the read-out alone.
TEST(RestScreen, TheDialsFramesKeepTheirPaceAndRideTheLocksTicks) {
  RestScreenFixture f;
  f.startBreakPastTheFades();
  CountDownViewController& screen = f.screen();
  PaintRecorder paints(screen.view());
  QCoreApplication::processEvents();
  int dialFrames = 0;
  int alone = 0;
  int readOuts = 0;
  const QRect lockRect(screen.lockButton()->mapTo(screen.view(), QPoint(0, 0)),
                       screen.lockButton()->size());
  const QRect digitsRect(screen.remainingTimeView()->mapTo(screen.view(), QPoint(0, 0)),
                         screen.remainingTimeView()->size());
  const double start = f.clock.now();
  // Through the lock's open phase (13.6 s to 15 s into its cycle).
  while (f.clock.now() < start + 12.0) {
    paints.painted.clear();
    const double due = screen.dialFrameDue();
    const bool endBreakBefore = screen.isShowingEndBreak();
    f.clock.advance(0.005);
    QCoreApplication::processEvents();
    const bool tabTurned = screen.isShowingEndBreak() != endBreakBefore;
    // The lock's frames and new digits paint the icon and the read-out
    // alone, not the walls behind them.
    // New digits come in the same painting as a step of the lock's ring.
    if (paints.countOf(screen.remainingTimeView()) > 0) {
      ++readOuts;
      EXPECT_EQ(paints.countOf(screen.lockButton()), 1) << std::fixed << f.clock.now() - start;
    }
    for (const auto& [widget, rect] : paints.painted) {
      if (widget != screen.lockButton()) {
        EXPECT_FALSE(rect.intersects(lockRect)) << qPrintable(widget->objectName());
      }
      if (widget != screen.remainingTimeView() && !tabTurned) {
        EXPECT_FALSE(rect.intersects(digitsRect)) << qPrintable(widget->objectName());
      }
    }
    if (paints.countOf(screen.countDownView()) == 0)
      continue;
    if (++dialFrames == 1)
      continue; // the one held back while the fades ran
    // Within the slack of its time, on a tick a twentieth of a second apart.
    EXPECT_NEAR(f.clock.now(), due,
                CountDownViewController::kDialFrameSlack + CountDownViewController::kUpdateInterval)
        << std::fixed << f.clock.now() - start;
    alone += int(paints.painted.size()) == paints.countOf(screen.countDownView()) ? 1 : 0;
  }
  EXPECT_GE(readOuts, 10);
  EXPECT_GE(dialFrames, 23);
  EXPECT_LE(dialFrames, 25);
  // The lock opens 13.6 s into its cycle and stands open 1.4 s: the dial's
  // two or three frames then are painted alone.
  EXPECT_GE(alone, 2);
  EXPECT_LE(alone, 4);
}

// The rest screen's first seconds as the window system holds them: from its
// first frames the dial's ring is whole, evenly shaded all round, and the
// read-out shows its current digits only, as a fresh drawing of it does.
TEST(RestScreen, FadesInWithTheWholeDialAndOnlyTheCurrentDigits) {
  RestScreenFixture f;
  f.clock.advance(0.37);
  f.startBreak();
  QWidget* window = f.fading.overlays().windowOn(QGuiApplication::primaryScreen());
  ASSERT_TRUE(window && QTest::qWaitForWindowExposed(window));
  const QWidget* dial = f.screen().countDownView();
  const QPointF centre = QRectF(dial->mapTo(window, QPoint(0, 0)), dial->size()).center();
  const QWidget* digits = f.screen().remainingTimeView();
  const QRect digitsRect(digits->mapTo(window, QPoint(0, 0)), digits->size());
  for (int frame = 1; frame <= 90; ++frame) {
    f.clock.advance(0.05);
    QCoreApplication::processEvents();
    if (frame % 5 != 0)
      continue;
    SCOPED_TRACE(testing::Message() << "at " << frame * 0.05 << " s");
    const QImage held = window->screen()->grabWindow(window->winId()).toImage();
    // The ring's brightest pixel on each of 72 rays, in the band it pulses in.
    int dimmest = 255;
    int brightest = 0;
    for (int degrees = 0; degrees < 360; degrees += 5) {
      int peak = 0;
      for (double r = 0.4 * dial->width(); r < 0.5 * dial->width(); r += 0.5)
        peak = std::max(peak,
                        qGray(held.pixel((centre + QLineF::fromPolar(r, degrees).p2()).toPoint())));
      dimmest = std::min(dimmest, peak);
      brightest = std::max(brightest, peak);
    }
    EXPECT_GT(brightest, frame * 0.05 / 5 * 255 / 2) << "the ring shows as the dial fades in";
    EXPECT_GE(dimmest, brightest * 3 / 4) << "the ring is whole";
    const QImage fresh = window->grab(digitsRect).toImage().convertToFormat(held.format());
    EXPECT_TRUE(held.copy(digitsRect) == fresh) << "the read-out shows its current digits only";
  }
}
