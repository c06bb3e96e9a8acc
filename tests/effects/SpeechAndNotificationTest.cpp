#include "effects/QNVisualNotification.h"
#include "effects/SpeechManager.h"
#include "effects/TextLanguage.h"
#include "platform/TestDesktopNotifier.h"
#include "platform/TestSpeechSynthesizer.h"

#include "RecordingOutputs.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

namespace {

class SpeechManagerTest : public ::testing::Test {
protected:
  std::unique_ptr<kr::UserDefaults> defaults = kr::test::makeEffectsDefaults();
  kr::TestSpeechSynthesizer synth;
  kr::SpeechManager speech{*defaults, synth};
};

TEST_F(SpeechManagerTest, SpeaksAtTheSpeechVolumeAndNotAtAllWhileMuted) {
  defaults->setValue(QStringLiteral("speechReminderVolume"), 0.4);
  speech.speakString(QStringLiteral("Only 5 minutes left"));
  ASSERT_EQ(synth.utterances.size(), 1u);
  EXPECT_FLOAT_EQ(synth.utterances[0].volume, 0.4f);

  defaults->setValue(QStringLiteral("mute"), true); // cuts off what is being said
  EXPECT_EQ(synth.stopCount, 1);
  speech.speakString(QStringLiteral("Time Slice Elapsed"));
  EXPECT_EQ(synth.utterances.size(), 1u);
}

TEST_F(SpeechManagerTest, EnglishTextGetsAnEnglishVoiceWhenTheDefaultSpeaksAnotherLanguage) {
  synth.voiceLocale = QStringLiteral("de_DE");
  speech.speakString(QStringLiteral("Starting Time Slice"));
  speech.speakString(QStringLiteral("Nur noch 5 Minuten, dann ist die Pause"));
  synth.voiceLocale = QStringLiteral("en_US");
  speech.speakString(QStringLiteral("Starting Time Slice"));
  ASSERT_EQ(synth.utterances.size(), 3u);
  EXPECT_TRUE(synth.utterances[0].englishVoice);
  EXPECT_FALSE(synth.utterances[1].englishVoice);
  EXPECT_FALSE(synth.utterances[2].englishVoice);
}

TEST_F(SpeechManagerTest, WithoutASpeechEngineItSaysSoOnceAndCarriesOn) {
  synth.available = false;
  kr::test::ConsoleCapture console;
  speech.speakString(QStringLiteral("one"));
  speech.speakString(QStringLiteral("two"));
  EXPECT_TRUE(synth.utterances.empty());
  EXPECT_EQ(console.lines().filter(QStringLiteral("No speech: no speech engine")).size(), 1);
}

TEST(TextLanguageTest, TellsEnglishFromOtherLanguagesByCommonWords) {
  EXPECT_EQ(kr::TextLanguage::guess(QStringLiteral("Your break will end in 5 minutes")),
            QStringLiteral("en"));
  EXPECT_EQ(kr::TextLanguage::guess(QStringLiteral("Die Pause ist zu Ende")), QStringLiteral("de"));
  EXPECT_EQ(kr::TextLanguage::guess(QStringLiteral("Il reste seulement 5 minutes de pause")),
            QStringLiteral("fr"));
  EXPECT_EQ(kr::TextLanguage::guess(QStringLiteral("12:30 !!")), QString());
}

class VisualNotificationTest : public ::testing::Test {
protected:
  kr::test::TestClock clock;
  kr::TestDesktopNotifier notifier;
  bool active = false;
  kr::QNVisualNotification visual{notifier, [this] { return active; }};
};

TEST_F(VisualNotificationTest, AnOrdinaryNotificationIsRemovedAfterThreeSecondsOrItsDelay) {
  visual.displayNotification(QStringLiteral("Time Slice Elapsed"), QStringLiteral("well done"), 0.0,
                             false);
  ASSERT_EQ(notifier.delivered.size(), 1u);
  EXPECT_EQ(notifier.delivered[0].title, QStringLiteral("Time Slice Elapsed"));
  EXPECT_EQ(notifier.delivered[0].body, QStringLiteral("well done"));
  EXPECT_TRUE(notifier.delivered[0].actionLabel.isEmpty());
  EXPECT_FALSE(notifier.delivered[0].sticky);
  clock.advance(2.9);
  EXPECT_TRUE(notifier.closed.empty());
  clock.advance(0.1);
  EXPECT_EQ(notifier.closed, std::vector<quint32>{1});

  visual.displayNotification(QStringLiteral("b"), QString(), 5.0, false);
  EXPECT_EQ(notifier.delivered[1].replacesId, 0u); // the first is gone already
  clock.advance(4.9);
  EXPECT_EQ(notifier.closed.size(), 1u);
  clock.advance(0.1);
  EXPECT_EQ(notifier.closed, (std::vector<quint32>{1, 2}));
}

TEST_F(VisualNotificationTest, StickyNotificationsStayAndOfferTheActionThatFitsTheApplication) {
  visual.displayNotification(QStringLiteral("a"), QString(), 0.0, true);
  active = true;
  visual.displayNotification(QStringLiteral("b"), QString(), 0.0, true);
  EXPECT_EQ(notifier.delivered[0].actionLabel, QStringLiteral("Bring To Front"));
  EXPECT_EQ(notifier.delivered[1].actionLabel, QStringLiteral("Hide"));
  EXPECT_TRUE(notifier.delivered[1].sticky);
  EXPECT_EQ(notifier.delivered[1].replacesId, 1u);
  clock.advance(60);
  EXPECT_TRUE(notifier.closed.empty());
}

TEST_F(VisualNotificationTest, ANewNotificationReplacesTheLastAndTheOldTimerFindsNothingToRemove) {
  visual.displayNotification(QStringLiteral("a"), QString(), 0.0, false);
  clock.advance(2);
  visual.displayNotification(QStringLiteral("b"), QString(), 0.0, false);
  EXPECT_EQ(notifier.delivered[1].replacesId, 1u);
  clock.advance(1.5); // the first one's three seconds are over
  EXPECT_TRUE(notifier.closed.empty());
  clock.advance(1.5);
  EXPECT_EQ(notifier.closed, std::vector<quint32>{1});
}

TEST_F(VisualNotificationTest, ASlowDesktopStillGetsItsNotificationRemoved) {
  notifier.answerAtOnce = false;
  visual.displayNotification(QStringLiteral("a"), QString(), 0.0, false);
  clock.advance(3);
  EXPECT_TRUE(notifier.closed.empty());
  notifier.answerAll();
  EXPECT_EQ(notifier.closed, std::vector<quint32>{1});

  // Two sent before either answer: only the newer stays.
  visual.displayNotification(QStringLiteral("b"), QString(), 0.0, true);
  visual.displayNotification(QStringLiteral("c"), QString(), 0.0, true);
  notifier.answerAll();
  EXPECT_EQ(notifier.closed, (std::vector<quint32>{1, 2}));
}

TEST_F(VisualNotificationTest, WithoutANotificationServerItSaysSoOnce) {
  notifier.failWith = QStringLiteral("The name org.freedesktop.Notifications was not provided");
  kr::test::ConsoleCapture console;
  visual.displayNotification(QStringLiteral("a"), QString(), 0.0, false);
  visual.displayNotification(QStringLiteral("b"), QString(), 0.0, false);
  clock.advance(5);
  EXPECT_EQ(console.lines().filter(QStringLiteral("No desktop notifications")).size(), 1);
  EXPECT_TRUE(notifier.closed.empty());
}

} // namespace
