#include "effects/NotificationHandler.h"
#include "effects/QNNotificationCenter.h"

#include "RecordingOutputs.h"

#include <gtest/gtest.h>

using kr::QNNotificationCenter;
using kr::test::RecordingOutputs;

namespace {

// One of the six events with fixed outputs, and the keys it reads.
struct EventCase {
  QString event;
  QString soundOn, sound, speechOn, speechText, growlOn, growlText, growlDescription, growlSticky;
  QString script;
  const char* noise; // what the event does to the continuous sound, or nullptr
};

std::vector<EventCase> eventCases() {
  const auto c = [](const QString& event, const QString& s, const QString& sp, const QString& g,
                    const char* script, const char* noise) {
    return EventCase{event,
                     s + QStringLiteral("SoundOn"),
                     s + QStringLiteral("Sound"),
                     sp + QStringLiteral("On"),
                     sp + QStringLiteral("Text"),
                     g + QStringLiteral("On"),
                     g + QStringLiteral("Text"),
                     g + QStringLiteral("Description"),
                     g + QStringLiteral("Sticky"),
                     QString::fromLatin1(script),
                     noise};
  };
  using C = QNNotificationCenter;
  return {
      c(C::kTimeSliceStart, QStringLiteral("start"), QStringLiteral("speechStart"),
        QStringLiteral("growlStart"), "time_slice_start", "noise play"),
      c(C::kTimeSliceElapsed, QStringLiteral("end"), QStringLiteral("speechEnd"),
        QStringLiteral("growlEnd"), "time_slice_elapsed", "noise stop"),
      c(C::kTimeSlicePaused, QStringLiteral("paused"), QStringLiteral("speechPaused"),
        QStringLiteral("growlPaused"), "time_slice_paused", "noise stop"),
      c(C::kTimeSliceStopped, QStringLiteral("stopped"), QStringLiteral("speechStopped"),
        QStringLiteral("growlStopped"), "time_slice_was_stopped", "noise stop"),
      c(C::kTimedBreakStart, QStringLiteral("breakStart"), QStringLiteral("speechBreakStart"),
        QStringLiteral("growlBreakStart"), "timed_break_start", nullptr),
      c(C::kTimedBreakEnd, QStringLiteral("breakEnd"), QStringLiteral("breakSpeechEnd"),
        QStringLiteral("breakGrowlEnd"), "timed_break_end", nullptr),
  };
}

class NotificationCenterTest : public ::testing::Test {
protected:
  std::unique_ptr<kr::UserDefaults> defaults = kr::test::makeEffectsDefaults();
  RecordingOutputs outputs;
  QNNotificationCenter centre{*defaults, outputs};
};

TEST_F(NotificationCenterTest, EachEventGivesSoundSpeechVisualThenScriptWithEverySwitchOn) {
  for (const EventCase& e : eventCases()) {
    SCOPED_TRACE(e.event.toStdString());
    defaults->setValue(QStringLiteral("continuousSoundOn"), true);
    defaults->setValue(e.soundOn, true);
    defaults->setValue(e.sound, QStringLiteral("pop"));
    defaults->setValue(e.speechOn, true);
    defaults->setValue(e.speechText, QStringLiteral("<MinutesLeft> left of <MinutesTotal>"));
    defaults->setValue(e.growlOn, true);
    defaults->setValue(e.growlText, QStringLiteral("Title <MinutesElapsed>"));
    defaults->setValue(e.growlDescription, QStringLiteral("<MinutesTotalValueOnly> min"));
    defaults->setValue(e.growlSticky, true);

    EXPECT_TRUE(centre.triggerNotificationForEvent(e.event, 600, 1500));

    QStringList expected;
    if (e.noise)
      expected << QString::fromLatin1(e.noise);
    expected << QStringLiteral("sound pop 1.00")
             << QStringLiteral("speak 15 minutes left of 25 minutes")
             << QStringLiteral("visual Title 10 minutes | 25 min | delay 0 sticky")
             << QStringLiteral("script %1(15 minutes left of 25 minutes)").arg(e.script);
    EXPECT_EQ(outputs.take(), expected);
  }
}

TEST_F(NotificationCenterTest, WithEveryOutputOffTheScriptStillGetsTheSubstitutedSpeechText) {
  for (const EventCase& e : eventCases()) {
    SCOPED_TRACE(e.event.toStdString());
    for (const QString& k : {e.soundOn, e.speechOn, e.growlOn})
      defaults->setValue(k, false);
    defaults->setValue(e.speechText, QStringLiteral("<MinutesElapsed> done"));
    centre.triggerNotificationForEvent(e.event, 60, 1500);
    QStringList expected;
    // Stopping is not a switchable output; starting follows "continuousSoundOn" (off).
    if (e.noise && QLatin1String(e.noise) == QLatin1String("noise stop"))
      expected << QString::fromLatin1(e.noise);
    expected << QStringLiteral("script %1(one minute done)").arg(e.script);
    EXPECT_EQ(outputs.take(), expected);
  }
}

TEST_F(NotificationCenterTest, RegisteredValuesGiveTheEndAlarmAndNotification) {
  centre.triggerNotificationForEvent(QNNotificationCenter::kTimeSliceElapsed, 1500, 1500);
  EXPECT_EQ(outputs.take(),
            (QStringList{QStringLiteral("noise stop"), QStringLiteral("sound alarm_clock 1.00"),
                         QStringLiteral("visual Time Slice Elapsed |  | delay 0"),
                         QStringLiteral("script time_slice_elapsed(Time Slice Elapsed)")}));
  centre.triggerNotificationForEvent(QNNotificationCenter::kTimeSliceStart, 0, 1500);
  EXPECT_EQ(outputs.take(),
            (QStringList{QStringLiteral("visual Starting Time Slice |  | delay 0"),
                         QStringLiteral("script time_slice_start(Starting Time Slice)")}));
  centre.triggerNotificationForEvent(QNNotificationCenter::kTimedBreakEnd, 300, 300);
  EXPECT_EQ(outputs.take(),
            (QStringList{QStringLiteral("sound alarm_clock 1.00"),
                         QStringLiteral("visual Timed break finished |  | delay 0"),
                         QStringLiteral("script timed_break_end(Timed break finished)")}));
}

TEST_F(NotificationCenterTest, EventsWithoutAHandlerDoNothingAndStillAnswerTrue) {
  for (const char* name :
       {"Korvane_R_3.TimeSliceRunningState.end", "TimedBreakRunningState.elapsed",
        "Korvane_R_3.SoftBreakState.time", "Korvane_R_3.WelcomeState.start", ""}) {
    EXPECT_TRUE(centre.triggerNotificationForEvent(QString::fromLatin1(name), 0, 0));
  }
  EXPECT_TRUE(outputs.lines.isEmpty());
}

class CountingHandler final : public kr::NotificationHandler {
public:
  bool handleNotificationWithValue(const kr::NotificationContext&, int value,
                                   int maxValue) override {
    seen.push_back({value, maxValue});
    return true;
  }
  std::vector<std::pair<int, int>> seen;
};

TEST_F(NotificationCenterTest, ASecondHandlerUnderTheSameNameReplacesTheFirst) {
  auto handler = std::make_unique<CountingHandler>();
  CountingHandler* raw = handler.get();
  centre.addNotificationHandler(std::move(handler), QNNotificationCenter::kTimeSliceElapsed);
  centre.triggerNotificationForEvent(QNNotificationCenter::kTimeSliceElapsed, 7, 9);
  EXPECT_EQ(raw->seen, (std::vector<std::pair<int, int>>{{7, 9}}));
  EXPECT_TRUE(outputs.lines.isEmpty());
}

TEST(SpeechTagSubstitution, MinuteTextsFollowTheWholeMinutesWithOneMinuteSpelledOut) {
  const auto sub = [](const char* text, int value, int max) {
    return kr::NotificationHandler::performSpeechTagSubstitution(QString::fromUtf8(text), value,
                                                                 max, QString())
        .toStdString();
  };
  EXPECT_EQ(sub("<MinutesLeft>", 1440, 1500), "one minute");
  EXPECT_EQ(sub("<MinutesLeft>", 1410, 1500), "1 minutes");
  EXPECT_EQ(sub("<MinutesLeft>", 1381, 1500), "1 minutes"); // 119 s truncates
  EXPECT_EQ(sub("<MinutesLeft>", 1500, 1500), "0 minutes");
  EXPECT_EQ(sub("<MinutesElapsed> of <MinutesTotal>", 60, 1500), "one minute of 25 minutes");
  EXPECT_EQ(sub("<MinutesTotalValueOnly>", 0, 60), "1");
  EXPECT_EQ(
      sub("<MinutesLeftValueOnly>/<MinutesElapsedValueOnly>/<MinutesTotalValueOnly>", 125, 1500),
      "22/2/25");
  EXPECT_EQ(sub("<MinutesLeft> <MinutesLeft>", 0, 120), "2 minutes 2 minutes");
  EXPECT_EQ(sub("no tags, <MinutesLeft", 0, 60), "no tags, <MinutesLeft");
  // Extreme values do not overflow.
  EXPECT_EQ(sub("<MinutesLeftValueOnly>", -2147483647 - 1, 2147483647), "71582788");
}

TEST_F(NotificationCenterTest, TheObjectiveIsInsertedLastSoTagsInsideItStayAsWritten) {
  outputs.objective = QStringLiteral("Write <MinutesLeft> report & <CurrentObjective>");
  defaults->setValue(QStringLiteral("speechStartOn"), true);
  defaults->setValue(QStringLiteral("growlStartOn"), false);
  defaults->setValue(QStringLiteral("speechStartText"),
                     QStringLiteral("<MinutesLeft> for: <CurrentObjective>"));
  centre.triggerNotificationForEvent(QNNotificationCenter::kTimeSliceStart, 0, 60);
  const QString said =
      QStringLiteral("one minute for: Write <MinutesLeft> report & <CurrentObjective>");
  EXPECT_EQ(outputs.take(), (QStringList{QStringLiteral("speak ") + said,
                                         QStringLiteral("script time_slice_start(%1)").arg(said)}));

  // No objective: the tag becomes empty. Texts without the tag do not read it.
  outputs.objective.clear();
  centre.triggerNotificationForEvent(QNNotificationCenter::kTimeSliceStart, 0, 60);
  EXPECT_EQ(outputs.take().first(), QStringLiteral("speak one minute for: "));
  const int reads = outputs.objectiveReads;
  defaults->setValue(QStringLiteral("speechStartText"), QStringLiteral("Go"));
  centre.triggerNotificationForEvent(QNNotificationCenter::kTimeSliceStart, 0, 60);
  EXPECT_EQ(outputs.objectiveReads, reads);
}

TEST(SharedNotificationCenter, ExistsBeforeTheApplicationInstallsOneAndCanBeReplaced) {
  QNNotificationCenter& fallback = QNNotificationCenter::sharedNotificationCenter();
  EXPECT_TRUE(fallback.triggerNotificationForEvent(QNNotificationCenter::kTimeSliceStart, 0, 60));
  auto defaults = kr::test::makeEffectsDefaults();
  RecordingOutputs outputs;
  QNNotificationCenter::installSharedNotificationCenter(
      std::make_unique<QNNotificationCenter>(*defaults, outputs));
  QNNotificationCenter::sharedNotificationCenter().triggerNotificationForEvent(
      QNNotificationCenter::kTimeSlicePaused, 0, 60);
  EXPECT_EQ(outputs.lines.size(), 3); // noise stop, visual, script
  kr::NotificationHelper::instance().playTock();
  EXPECT_EQ(outputs.lines.last(), QStringLiteral("sound pop 1.00"));
  QNNotificationCenter::installSharedNotificationCenter(nullptr);
}

} // namespace
