#include "effects/QNNotificationCenter.h"
#include "engine/Clock.h"
#include "platform/SmartTimerWrapper.h"

#include "RecordingOutputs.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

using kr::QNNotificationCenter;

namespace {

class ProgressRemindersTest : public ::testing::Test {
protected:
  // Runs a slice or break of `total` seconds: one tick a second on the test
  // clock, as the running state posts them. Each output line is prefixed with
  // the seconds remaining at its tick.
  QStringList run(const QString& event, int total) {
    QStringList log;
    const double start = kr::Clock::now();
    auto timer = kr::SmartTimerWrapper::wrapTimer(1.0, true, [&](kr::SmartTimerWrapper& t) {
      const int elapsed = int(kr::Clock::now() - start + 0.5);
      centre.triggerNotificationForEvent(event, elapsed, total);
      for (const QString& line : outputs.take())
        log << QStringLiteral("%1: %2").arg(total - elapsed).arg(line);
      if (elapsed >= total)
        t.stop();
    });
    clock.advance(total + 5);
    return log;
  }

  static QStringList matching(const QStringList& log, const QString& what) {
    QStringList out;
    for (const QString& line : log) {
      if (line.contains(QStringLiteral(": ") + what))
        out << line;
    }
    return out;
  }

  kr::test::TestClock clock;
  std::unique_ptr<kr::UserDefaults> defaults = kr::test::makeEffectsDefaults(false);
  kr::test::RecordingOutputs outputs;
  QNNotificationCenter centre{*defaults, outputs};
};

TEST_F(ProgressRemindersTest, TwentyFiveMinuteSliceWithRegisteredValues) {
  const QStringList log = run(QNNotificationCenter::kTimeSliceTime, 1500);

  EXPECT_EQ(matching(log, QStringLiteral("visual")),
            (QStringList{QStringLiteral("1200: visual 20 minutes left |  | delay 0"),
                         QStringLiteral("900: visual 15 minutes left |  | delay 0"),
                         QStringLiteral("600: visual Only 10 minutes left |  | delay 0"),
                         QStringLiteral("300: visual Only 5 minutes left |  | delay 0"),
                         QStringLiteral("180: visual Only 3 minutes left |  | delay 0"),
                         QStringLiteral("60: visual Only one minute left |  | delay 0")}));

  // The count-down sound every two minutes, except where the 10-minute warning took the tick.
  QStringList sounds;
  for (int r : {1440, 1320, 1200, 1080, 960, 840, 720, 480, 360, 240, 120})
    sounds << QStringLiteral("%1: sound clock1 1.00").arg(r);
  EXPECT_EQ(matching(log, QStringLiteral("sound")), sounds);

  // The script every 30 s of remaining time, the end included; a warning tick
  // calls it once, with the warning text.
  const QStringList scripts = matching(log, QStringLiteral("script"));
  ASSERT_EQ(scripts.size(), 50);
  EXPECT_EQ(scripts.first(),
            QStringLiteral("1470: script time_slice_in_progress(24 minutes left, 1470)"));
  EXPECT_TRUE(scripts.contains(
      QStringLiteral("600: script time_slice_in_progress(Only 10 minutes left, 600)")));
  EXPECT_TRUE(
      scripts.contains(QStringLiteral("570: script time_slice_in_progress(9 minutes left, 570)")));
  EXPECT_EQ(scripts.last(), QStringLiteral("0: script time_slice_in_progress(0 minutes left, 0)"));

  // Dimming two seconds before the end: the registered 2.5 reads as 2, doubled.
  EXPECT_EQ(matching(log, QStringLiteral("fade")),
            QStringList{QStringLiteral("2: fade #000000 0.60 4")});
  EXPECT_TRUE(matching(log, QStringLiteral("speak")).isEmpty());
}

TEST_F(ProgressRemindersTest, ASliceAsLongAsAWarningGetsNoneOfThatWarningAtItsStart) {
  centre.triggerNotificationForEvent(QNNotificationCenter::kTimeSliceTime, 0, 600);
  EXPECT_EQ(outputs.take(),
            QStringList{QStringLiteral("script time_slice_in_progress(10 minutes left, 600)")});
  const QStringList log = run(QNNotificationCenter::kTimeSliceTime, 600);
  EXPECT_EQ(matching(log, QStringLiteral("visual Only")).size(), 3); // 5, 3 and 1 minutes
}

TEST_F(ProgressRemindersTest, WarningSwitchesAndOutputsDecideWhetherTheTickGoesOn) {
  defaults->setValue(QStringLiteral("warning5MinutesOn"), false);
  centre.triggerNotificationForEvent(QNNotificationCenter::kTimeSliceTime, 1200, 1500);
  EXPECT_EQ(outputs.take(),
            (QStringList{QStringLiteral("visual 5 minutes left |  | delay 0"),
                         QStringLiteral("script time_slice_in_progress(5 minutes left, 300)")}));

  // Every output of a due warning off: its script call, then the tick goes on.
  defaults->setValue(QStringLiteral("warning5MinutesOn"), true);
  defaults->setValue(QStringLiteral("growlWarningOn"), false);
  centre.triggerNotificationForEvent(QNNotificationCenter::kTimeSliceTime, 1200, 1500);
  EXPECT_EQ(outputs.take(),
            (QStringList{QStringLiteral("script time_slice_in_progress(Only 5 minutes left, 300)"),
                         QStringLiteral("visual 5 minutes left |  | delay 0"),
                         QStringLiteral("script time_slice_in_progress(5 minutes left, 300)")}));

  // All warning outputs on, in their order, with sticky notification.
  for (const char* k :
       {"warningSoundOn", "speechWarningOn", "growlWarningOn", "growlWarningSticky"})
    defaults->setValue(QString::fromLatin1(k), true);
  defaults->setValue(QStringLiteral("warningSound"), QStringLiteral("morse"));
  defaults->setValue(QStringLiteral("warningSoundVolume"), 0.5);
  centre.triggerNotificationForEvent(QNNotificationCenter::kTimeSliceTime, 1440, 1500);
  EXPECT_EQ(
      outputs.take(),
      (QStringList{QStringLiteral("sound morse 0.50"), QStringLiteral("speak Only one minute left"),
                   QStringLiteral("visual Only one minute left |  | delay 0 sticky"),
                   QStringLiteral("script time_slice_in_progress(Only one minute left, 60)")}));
}

TEST_F(ProgressRemindersTest, RemindersFollowTheirIntervalsAndAnIntervalOfZeroSwitchesThemOff) {
  defaults->setValue(QStringLiteral("speechReminderOn"), true);
  defaults->setValue(QStringLiteral("speechReminderInterval"), 45);
  defaults->setValue(QStringLiteral("soundReminderInterval"), 0);
  defaults->setValue(QStringLiteral("growlReminderInterval"), -60);
  for (const char* k :
       {"warning10MinutesOn", "warning5MinutesOn", "warning3MinutesOn", "warning1MinuteOn"})
    defaults->setValue(QString::fromLatin1(k), false);
  const QStringList log = run(QNNotificationCenter::kTimeSliceTime, 180);
  EXPECT_EQ(matching(log, QStringLiteral("speak")),
            (QStringList{QStringLiteral("135: speak 2 minutes left"),
                         QStringLiteral("90: speak 1 minutes left"),
                         QStringLiteral("45: speak 0 minutes left")}));
  EXPECT_TRUE(matching(log, QStringLiteral("sound")).isEmpty());
  EXPECT_TRUE(matching(log, QStringLiteral("visual")).isEmpty());
}

TEST_F(ProgressRemindersTest, WithSoftBreaksThereIsNoDimmingAndTheFirstTickPlaysAtOneSecondLeft) {
  defaults->setValue(QStringLiteral("shouldUseSoftBreak"), true);
  const QStringList log = run(QNNotificationCenter::kTimeSliceTime, 120);
  EXPECT_TRUE(matching(log, QStringLiteral("fade")).isEmpty());
  EXPECT_EQ(matching(log, QStringLiteral("sound morse")),
            QStringList{QStringLiteral("1: sound morse 1.00")});
}

TEST_F(ProgressRemindersTest, TimedBreakRemindsCallsTheScriptEverySecondAndDimsAtItsOwnDuration) {
  defaults->setValue(QStringLiteral("endOfTimedBreakDimDuration"), 5);
  defaults->setValue(QStringLiteral("breakSoundReminderOn"), true);
  defaults->setValue(QStringLiteral("breakSoundReminderInterval"), 60);
  defaults->setValue(QStringLiteral("breakGrowlReminderOn"), true);
  defaults->setValue(QStringLiteral("breakGrowlReminderInterval"), 120);
  const QStringList log = run(QNNotificationCenter::kTimedBreakTime, 300);
  EXPECT_EQ(matching(log, QStringLiteral("script timed_break_in_progress")).size(), 300);
  EXPECT_TRUE(log.contains(
      QStringLiteral("1: script timed_break_in_progress(Your break will end in 0 minutes, 1)")));
  EXPECT_EQ(matching(log, QStringLiteral("fade")),
            QStringList{QStringLiteral("5: fade #000000 0.60 10")});
  EXPECT_EQ(matching(log, QStringLiteral("sound")).size(), 4); // 240, 180, 120, 60
  EXPECT_EQ(
      matching(log, QStringLiteral("visual")),
      (QStringList{QStringLiteral("240: visual Your break will end in 4 minutes |  | delay 0"),
                   QStringLiteral("120: visual Your break will end in 2 minutes |  | delay 0")}));
  // No warnings, no soft-break cue in a break.
  EXPECT_TRUE(matching(log, QStringLiteral("visual Only")).isEmpty());
  EXPECT_TRUE(matching(log, QStringLiteral("sound morse")).isEmpty());
}

} // namespace
