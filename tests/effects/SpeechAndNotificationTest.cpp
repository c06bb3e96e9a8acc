#include "effects/QNVisualNotification.h"
#include "effects/SpeechManager.h"
#include "effects/TextLanguage.h"
#include "platform/services/TestDesktopNotifier.h"
#include "platform/services/TestSpeechSynthesizer.h"

#include "RecordingOutputs.h"
#include "SoundFixture.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

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

TEST_F(SpeechManagerTest, FollowsTheSoundManagersMuteOverrideWithoutTheStoredMuteChanging) {
  kr::test::SoundFixture fixture;
  std::unique_ptr<kr::SoundManager> sounds = fixture.makeManager();
  kr::SpeechManager overridden{*fixture.defaults, synth, sounds.get()};
  QSignalSpy mutes(sounds.get(), &kr::SoundManager::allSoundsAreMutedChanged);
  sounds->setAllSoundsAreMuted(true);
  EXPECT_EQ(mutes.size(), 1);
  overridden.speakString(QStringLiteral("Muted"));
  EXPECT_TRUE(synth.utterances.empty());

  sounds->setMuteOverride(false);
  EXPECT_EQ(mutes.size(), 2);
  overridden.speakString(QStringLiteral("Hello."));
  EXPECT_EQ(synth.utterances.size(), 1u);
  // While overridden, the stored mute changes nothing the sounds obey.
  synth.speaking = true;
  fixture.defaults->setValue(QStringLiteral("mute"), false);
  fixture.defaults->setValue(QStringLiteral("mute"), true);
  EXPECT_EQ(mutes.size(), 2);
  EXPECT_EQ(synth.stopCount, 0);

  // The override ends: the stored mute applies again and cuts the speech off.
  sounds->setMuteOverride(std::nullopt);
  EXPECT_EQ(mutes.size(), 3);
  EXPECT_EQ(synth.stopCount, 1);
  EXPECT_TRUE(sounds->allSoundsAreMuted());
  EXPECT_TRUE(fixture.defaults->boolValue(QStringLiteral("mute")));
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

TEST_F(VisualNotificationTest, BecomingActiveWithdrawsTheNotificationStillShown) {
  visual.removeDeliveredNotifications(); // nothing shown: nothing to close
  EXPECT_TRUE(notifier.closed.empty());

  visual.displayNotification(QStringLiteral("a"), QString(), 0.0, true);
  visual.removeDeliveredNotifications();
  EXPECT_EQ(notifier.closed, std::vector<quint32>{1});
  EXPECT_EQ(visual.currentNotificationId(), 0u);

  // Withdrawn before its removal time: the timer later finds nothing.
  visual.displayNotification(QStringLiteral("b"), QString(), 0.0, false);
  visual.removeDeliveredNotifications();
  clock.advance(5);
  EXPECT_EQ(notifier.closed, (std::vector<quint32>{1, 2}));

  // One the desktop has not answered yet goes as soon as it answers.
  notifier.answerAtOnce = false;
  visual.displayNotification(QStringLiteral("c"), QString(), 0.0, true);
  visual.removeDeliveredNotifications();
  EXPECT_EQ(notifier.closed.size(), 2u);
  notifier.answerAll();
  EXPECT_EQ(notifier.closed, (std::vector<quint32>{1, 2, 3}));
}

TEST_F(VisualNotificationTest, WithoutANotificationServerTheTrayShowsTheMessage) {
  notifier.failWith = QStringLiteral("The name org.freedesktop.Notifications was not provided");
  struct Balloon {
    QString title, body;
    double seconds;
  };
  std::vector<Balloon> balloons;
  visual.setFallback([&](const QString& title, const QString& body, double seconds) {
    balloons.push_back({title, body, seconds});
    return true;
  });
  kr::test::ConsoleCapture console;
  visual.displayNotification(QStringLiteral("Time Slice Elapsed"), QStringLiteral("well done"), 0.0,
                             false);
  visual.displayNotification(QStringLiteral("Starting Timed Break"), QString(), 0.0, true);
  visual.displayNotification(QStringLiteral("Later"), QString(), 7.0, false);
  ASSERT_EQ(balloons.size(), 3u);
  EXPECT_EQ(balloons[0].title, QStringLiteral("Time Slice Elapsed"));
  EXPECT_EQ(balloons[0].body, QStringLiteral("well done"));
  EXPECT_EQ(balloons[0].seconds, 3.0);
  EXPECT_EQ(balloons[1].seconds, 0.0) << "sticky: until clicked";
  EXPECT_EQ(balloons[2].seconds, 7.0);
  const QStringList said = console.lines().filter(QStringLiteral("No desktop notifications"));
  ASSERT_EQ(said.size(), 1);
  EXPECT_TRUE(said[0].contains(QStringLiteral("tray"))) << said[0].toStdString();

  // A late failure of one already replaced, or past its time, shows nothing.
  notifier.answerAtOnce = false;
  visual.displayNotification(QStringLiteral("old"), QString(), 0.0, false);
  visual.displayNotification(QStringLiteral("new"), QString(), 0.0, false);
  notifier.answerAll();
  ASSERT_EQ(balloons.size(), 4u);
  EXPECT_EQ(balloons[3].title, QStringLiteral("new"));
  visual.displayNotification(QStringLiteral("slow"), QString(), 0.0, false);
  clock.advance(3);
  notifier.answerAll();
  EXPECT_EQ(balloons.size(), 4u);
}

TEST_F(VisualNotificationTest, WithoutServerOrTrayOneConsoleLineRemains) {
  notifier.failWith = QStringLiteral("no session bus");
  int asked = 0;
  visual.setFallback([&](const QString&, const QString&, double) {
    ++asked;
    return false; // no tray
  });
  kr::test::ConsoleCapture console;
  visual.displayNotification(QStringLiteral("a"), QString(), 0.0, false);
  visual.displayNotification(QStringLiteral("b"), QString(), 0.0, false);
  EXPECT_EQ(asked, 2);
  const QStringList said = console.lines().filter(QStringLiteral("No desktop notifications"));
  ASSERT_EQ(said.size(), 1);
  EXPECT_TRUE(said[0].endsWith(QStringLiteral("No desktop notifications: no session bus")));
}

} // namespace
