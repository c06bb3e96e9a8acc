// The profile page's "Test" buttons in the launched application, on the
// effects services over recording back ends.
#include "shell/ApplicationShell.h"
#include "shell/StandardHooks.h"

#include "effects/EffectsServices.h"
#include "effects/ScriptLauncher.h"
#include "engine/StateMachine.h"
#include "platform/services/TestAudioOutput.h"
#include "platform/services/TestDesktopNotifier.h"
#include "platform/services/TestSpeechSynthesizer.h"
#include "platform/settings/UserDefaults.h"
#include "states/StateLinkingHelper.h"
#include "states/WelcomeState.h"
#include "support/TestEnvironment.h"

#include "LaunchedMachine.h"

#include <QComboBox>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace kr;

namespace {

class ProfileTestButtons : public ::testing::Test {
protected:
  ProfileTestButtons() {
    audio.devices = {{QStringLiteral("alsa_output.pci"), QStringLiteral("Built-in Audio")}};
    UserDefaults::standard().remove(QStringLiteral("mute"));
  }
  ~ProfileTestButtons() override {
    StandardHooks::removeProfileTests();
    shell.reset();
    EffectsServices::install(nullptr);
  }

  // Installs the effects and the buttons' services as the application does,
  // then launches and opens the profile page.
  void launch() {
    EffectsServices::install(std::make_unique<EffectsServices>(
        UserDefaults::standard(), EffectsServices::BackEnds{audio, speech, notifier}, scripts,
        [] { return QString(); }, [] { return false; }));
    StandardHooks::installProfileTests();
    shell = std::make_unique<ApplicationShell>(machine.context());
    shell->launch();
    shell->stateMachine().triggerTransition(QStringLiteral("welcome"));
    WelcomeState& page = shell->stateLinkingHelper().welcomeState();
    ASSERT_EQ(shell->stateMachine().currentState(), &page);
    welcome = &page;
    QList<QPushButton*> tests;
    for (QPushButton* button : page.infoWall()->findChildren<QPushButton*>()) {
      if (button->text() == QStringLiteral("Test"))
        tests.append(button);
    }
    ASSERT_EQ(tests.size(), 2);
    // The notification bar stands above the continuous-sound bar.
    soundTest =
        tests[0]->parentWidget() == page.notificationPopUp()->parentWidget() ? tests[0] : tests[1];
    continuousTest = soundTest == tests[0] ? tests[1] : tests[0];
    ASSERT_EQ(continuousTest->parentWidget(), page.continuousSoundPopUp()->parentWidget());
  }

  void choose(QComboBox* popUp, int index) {
    popUp->setCurrentIndex(index);
    Q_EMIT popUp->activated(index);
  }
  QStringList loopCalls() {
    QStringList out =
        audio.loopLog->calls.filter(QRegularExpression(QStringLiteral("^(play|stop)")));
    audio.loopLog->calls.clear();
    return out;
  }

  test::LaunchedMachine machine;
  TestAudioOutput audio;
  TestSpeechSynthesizer speech;
  TestDesktopNotifier notifier;
  ScriptLauncher scripts{QString()};
  std::unique_ptr<ApplicationShell> shell;
  WelcomeState* welcome = nullptr;
  QPushButton* soundTest = nullptr;
  QPushButton* continuousTest = nullptr;
};

TEST_F(ProfileTestButtons, TheSoundTestShowsTheNotificationAndPlaysOrSaysWhatTheChoiceNames) {
  ASSERT_NO_FATAL_FAILURE(launch());

  choose(welcome->notificationPopUp(), 0); // "Use Only Visual Notifications"
  soundTest->click();
  ASSERT_EQ(notifier.delivered.size(), 1u);
  EXPECT_EQ(notifier.delivered[0].title, QStringLiteral("5 Minutes Left"));
  EXPECT_EQ(notifier.delivered[0].body, QStringLiteral("Testing..."));
  EXPECT_FALSE(notifier.delivered[0].sticky);
  EXPECT_TRUE(audio.oneShots.empty());
  EXPECT_TRUE(speech.utterances.empty());
  // Not sticky: it goes after the standard three seconds.
  machine.clock.advance(3.0);
  EXPECT_EQ(notifier.closed, (std::vector<quint32>{notifier.lastId}));

  choose(welcome->notificationPopUp(), 1); // "Use Some Sounds"
  soundTest->click();
  EXPECT_EQ(notifier.delivered.size(), 2u);
  ASSERT_EQ(audio.oneShots.size(), 1u);
  EXPECT_TRUE(audio.oneShots[0].filePath.endsWith(QStringLiteral("/clock1.wav")))
      << audio.oneShots[0].filePath.toStdString();
  EXPECT_FLOAT_EQ(audio.oneShots[0].volume, 1.0f);
  EXPECT_FALSE(audio.oneShots[0].lastSecondOnly) << "the whole sound, not a preview's tail";
  EXPECT_TRUE(speech.utterances.empty());

  choose(welcome->notificationPopUp(), 2); // "Use Voice Prompts & Sounds"
  soundTest->click();
  EXPECT_EQ(notifier.delivered.size(), 3u);
  EXPECT_EQ(audio.oneShots.size(), 1u);
  ASSERT_EQ(speech.utterances.size(), 1u);
  EXPECT_EQ(speech.utterances[0].text, QStringLiteral("Only 5 Minutes Left."));

  // The global mute silences sound and speech; the notification still shows.
  UserDefaults::standard().setValue(QStringLiteral("mute"), true);
  soundTest->click();
  choose(welcome->notificationPopUp(), 1);
  soundTest->click();
  EXPECT_EQ(notifier.delivered.size(), 5u);
  EXPECT_EQ(audio.oneShots.size(), 1u);
  EXPECT_EQ(speech.utterances.size(), 1u);
}

TEST_F(ProfileTestButtons, TheContinuousSoundTestPreviewsTheChosenSoundForAFewSeconds) {
  ASSERT_NO_FATAL_FAILURE(launch());
  UserDefaults::standard().setValue(QStringLiteral("continuousSoundOn"), false);

  choose(welcome->continuousSoundPopUp(), 2); // "Play Pink Noise"
  continuousTest->click();
  EXPECT_EQ(UserDefaults::standard().string(QStringLiteral("continuousSound")),
            QStringLiteral("pink_noise"));
  QStringList calls = loopCalls();
  ASSERT_EQ(calls.size(), 1);
  EXPECT_TRUE(calls[0].contains(QStringLiteral("/pink_noise.wav on alsa_output.pci")) ||
              calls[0].contains(QStringLiteral("/pink_noise.wav on default")))
      << calls[0].toStdString();
  machine.clock.advance(4.0);
  EXPECT_TRUE(loopCalls().isEmpty()) << "still previewing";
  machine.clock.advance(2.0);
  EXPECT_EQ(loopCalls(), QStringList{QStringLiteral("stop")});

  choose(welcome->continuousSoundPopUp(), 1); // the ticking clock
  continuousTest->click();
  calls = loopCalls();
  ASSERT_EQ(calls.size(), 1);
  EXPECT_TRUE(calls[0].contains(QStringLiteral("/clock1_c.wav"))) << calls[0].toStdString();
  machine.clock.advance(6.0);
  EXPECT_EQ(loopCalls(), QStringList{QStringLiteral("stop")});
  EXPECT_TRUE(notifier.delivered.empty());

  choose(welcome->continuousSoundPopUp(), 0); // no continuous sound
  continuousTest->click();
  EXPECT_TRUE(loopCalls().isEmpty());
  ASSERT_EQ(notifier.delivered.size(), 1u);
  EXPECT_EQ(notifier.delivered[0].title, QStringLiteral("Shhh…"));
  EXPECT_EQ(notifier.delivered[0].body, QStringLiteral("Enjoy the silence."));
  EXPECT_EQ(UserDefaults::standard().string(QStringLiteral("continuousSound")),
            QStringLiteral("clock1_c"))
      << "the silent choice leaves the stored sound alone";
}

TEST_F(ProfileTestButtons, WithoutSoundSpeechOrNotificationServerEachButtonSaysSoOnce) {
  audio.available = false;
  speech.available = false;
  notifier.failWith = QStringLiteral("no notification server");
  ASSERT_NO_FATAL_FAILURE(launch());
  test::ConsoleCapture console;
  for (int choice : {1, 2, 1, 2}) {
    choose(welcome->notificationPopUp(), choice);
    soundTest->click();
  }
  choose(welcome->continuousSoundPopUp(), 0);
  continuousTest->click();
  EXPECT_TRUE(audio.oneShots.empty());
  EXPECT_TRUE(speech.utterances.empty());
  EXPECT_EQ(console.lines().filter(QStringLiteral("No sound: no sound server")).size(), 1);
  EXPECT_EQ(console.lines().filter(QStringLiteral("No speech: no speech engine")).size(), 1);
  EXPECT_EQ(console.lines()
                .filter(QStringLiteral("No desktop notifications: no notification server"))
                .size(),
            1);
  // The page goes on working.
  machine.clock.advance(10.0);
  welcome->skip();
  EXPECT_NE(shell->stateMachine().currentState(), welcome);
}

TEST(ProfileTestHooks, RemovedHooksLeaveTheButtonsSilent) {
  TestAudioOutput audio;
  TestSpeechSynthesizer speech;
  TestDesktopNotifier notifier;
  ScriptLauncher scripts{QString()};
  EffectsServices::install(std::make_unique<EffectsServices>(
      UserDefaults::standard(), EffectsServices::BackEnds{audio, speech, notifier}, scripts,
      [] { return QString(); }, [] { return false; }));
  StandardHooks::installProfileTests();
  StandardHooks::removeProfileTests();
  WelcomeState page;
  UserDefaults::standard().setValue(QStringLiteral("notificationProfileChoice"),
                                    QStringLiteral("voice"));
  page.testSoundSettings();
  EXPECT_TRUE(notifier.delivered.empty());
  EXPECT_TRUE(speech.utterances.empty());
  EffectsServices::install(nullptr);
}

} // namespace
