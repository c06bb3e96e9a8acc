#include "states/WelcomeProfile.h"
#include "states/ProfileTestServices.h"
#include "states/WelcomeState.h"

#include "SliceTestFixture.h"

#include <QComboBox>

#include <gtest/gtest.h>

using namespace kr;

namespace {

UserDefaults& store() { return UserDefaults::standard(); }

void choose(const QString& technique, const QString& notification, const QString& sound) {
  store().setValue(WelcomeProfile::kTechniqueKey, technique);
  store().setValue(WelcomeProfile::kNotificationKey, notification);
  store().setValue(WelcomeProfile::kContinuousSoundKey, sound);
}

bool on(const char* key) { return store().boolValue(QString::fromLatin1(key)); }

} // namespace

TEST(WelcomeProfile, TechniqueChoicesWriteTheirTables) {
  test::SliceFixture f;
  for (const bool pomodoro : {false, true}) {
    choose(pomodoro ? QStringLiteral("pomodoro") : QStringLiteral("korvane"),
           QStringLiteral("unknown"), QStringLiteral("unknown"));
    WelcomeProfile::createInitialConfigurationBasedOnSettings(store());
    EXPECT_EQ(store().integer(QStringLiteral("durationInSeconds")), pomodoro ? 1500 : 1200);
    for (const char* key : {"primingOption", "breadcrumbsOption", "startWithBreakOption",
                            "doNotLogOption", "informalBreakOption"})
      EXPECT_EQ(on(key), pomodoro) << key;
    EXPECT_EQ(store().string(QStringLiteral("breakDurationControlAlternative")),
              pomodoro ? QStringLiteral("pomodoroStyle") : QStringLiteral("default"));
  }
  // An unknown technique writes nothing.
  store().setValue(QStringLiteral("durationInSeconds"), 999);
  choose(QStringLiteral("other"), QStringLiteral("other"), QStringLiteral("other"));
  WelcomeProfile::createInitialConfigurationBasedOnSettings(store());
  EXPECT_EQ(store().integer(QStringLiteral("durationInSeconds")), 999);
}

TEST(WelcomeProfile, NotificationChoicesWriteVisualSoundAndVoiceSettings) {
  test::SliceFixture f;
  struct Expect {
    const char* choice;
    bool endSound, reminderSound, startSound, speechEnd, speechStart, softSound;
    int flashing;
  };
  const Expect rows[] = {{"none", false, false, false, false, false, false, 3},
                         {"some", true, true, false, false, false, true, 0},
                         {"voice", false, false, false, true, false, true, 0}};
  for (const Expect& row : rows) {
    // Everything on first, so that what is switched off shows.
    for (const char* key : {"endSoundOn", "soundReminderOn", "startSoundOn", "speechEndOn",
                            "speechStartOn", "growlEndOn"})
      store().setValue(QString::fromLatin1(key), true);
    choose(QStringLiteral("unknown"), QString::fromLatin1(row.choice), QStringLiteral("unknown"));
    WelcomeProfile::createInitialConfigurationBasedOnSettings(store());
    EXPECT_TRUE(on("growlEndOn") && on("growlBreakStartOn")) << row.choice;
    EXPECT_EQ(on("endSoundOn"), row.endSound) << row.choice;
    EXPECT_EQ(on("breakEndSoundOn"), row.endSound) << row.choice;
    EXPECT_EQ(on("soundReminderOn"), row.reminderSound) << row.choice;
    EXPECT_EQ(on("startSoundOn"), row.startSound) << row.choice;
    EXPECT_EQ(on("speechEndOn"), row.speechEnd) << row.choice;
    EXPECT_EQ(on("breakSpeechEndOn"), row.speechEnd) << row.choice;
    EXPECT_EQ(on("speechStartOn"), row.speechStart) << row.choice;
    EXPECT_EQ(on("softBreakFirstSoundOn"), row.softSound) << row.choice;
    EXPECT_EQ(store().integer(QStringLiteral("softBreakScreenFlashingChoice")), row.flashing);
  }
}

TEST(WelcomeProfile, ContinuousSoundChoicesAndTheTickingReplacingReminders) {
  test::SliceFixture f;
  store().setValue(QStringLiteral("continuousSound"), QStringLiteral("kept"));
  choose(QStringLiteral("korvane"), QStringLiteral("some"), QStringLiteral("none"));
  WelcomeProfile::createInitialConfigurationBasedOnSettings(store());
  EXPECT_FALSE(on("continuousSoundOn"));
  EXPECT_TRUE(on("hideContinuousSoundInTimeSliceRunningState"));
  EXPECT_EQ(store().string(QStringLiteral("continuousSound")), QStringLiteral("kept"));
  EXPECT_TRUE(on("soundReminderOn"));

  choose(QStringLiteral("pomodoro"), QStringLiteral("some"), QStringLiteral("pomodoro"));
  WelcomeProfile::createInitialConfigurationBasedOnSettings(store());
  EXPECT_TRUE(on("continuousSoundOn"));
  EXPECT_FALSE(on("hideContinuousSoundInTimeSliceRunningState"));
  EXPECT_EQ(store().string(QStringLiteral("continuousSound")), QStringLiteral("clock1_c"));
  EXPECT_FALSE(on("warningSoundOn"));
  EXPECT_FALSE(on("soundReminderOn"));
  EXPECT_TRUE(on("endSoundOn") && on("breakEndSoundOn"));

  choose(QStringLiteral("korvane"), QStringLiteral("voice"), QStringLiteral("pinkNoise"));
  WelcomeProfile::createInitialConfigurationBasedOnSettings(store());
  EXPECT_EQ(store().string(QStringLiteral("continuousSound")), QStringLiteral("pink_noise"));
  EXPECT_TRUE(on("continuousSoundOn"));
}

TEST(WelcomeProfile, PopUpsShowTheStoredProfileOnEveryActivationOfEveryCopy) {
  test::SliceFixture f;
  store().remove(WelcomeProfile::kTechniqueKey);
  store().remove(WelcomeProfile::kNotificationKey);
  store().remove(WelcomeProfile::kContinuousSoundKey);
  f.helper.awake(f.machine, 0);
  f.machine.start();
  WelcomeState& first = f.helper.welcomeState();
  EXPECT_EQ(first.techniquePopUp()->currentIndex(), 0) << "the registered defaults";
  EXPECT_EQ(first.notificationPopUp()->currentIndex(), 1);
  EXPECT_EQ(first.continuousSoundPopUp()->currentIndex(), 0);

  // Another copy changes the profile; this one shows it when activated again.
  WelcomeState& copy = f.helper.welcomeStateCopyForPrepareTimedBreakState();
  copy.techniquePopUp()->activated(1);
  copy.notificationPopUp()->activated(2);
  EXPECT_EQ(store().string(WelcomeProfile::kTechniqueKey), QStringLiteral("pomodoro"));
  first.skip();
  EXPECT_EQ(f.machine.currentState(), &f.define());
  f.machine.triggerTransition(QStringLiteral("welcome"));
  EXPECT_EQ(first.techniquePopUp()->currentIndex(), 1);
  EXPECT_EQ(first.notificationPopUp()->currentIndex(), 2);
  EXPECT_GE(f.appDelegate.frontCount, 2) << "each activation brings the page to the front";
}

TEST(WelcomeProfile, TestButtonsPlayWhatTheChoiceNames) {
  test::SliceFixture f;
  f.start();
  QStringList played;
  ProfileTestServices& services = ProfileTestServices::shared();
  services.showNotification = [&](const QString& title, const QString&) { played << title; };
  services.playSound = [&](const QString& name, double) { played << name; };
  services.speak = [&](const QString& text) { played << text; };
  services.playContinuousSoundSample = [&] { played << QStringLiteral("sample"); };
  WelcomeState& page = f.helper.welcomeState();
  for (const char* choice : {"none", "some", "voice"}) {
    store().setValue(WelcomeProfile::kNotificationKey, QString::fromLatin1(choice));
    page.testSoundSettings();
  }
  EXPECT_EQ(played, (QStringList{"5 Minutes Left", "5 Minutes Left", "clock1", "5 Minutes Left",
                                 "Only 5 Minutes Left."}));
  played.clear();
  store().setValue(WelcomeProfile::kContinuousSoundKey, QStringLiteral("pinkNoise"));
  page.testContinuousSoundSettings();
  EXPECT_EQ(store().string(QStringLiteral("continuousSound")), QStringLiteral("pink_noise"));
  store().setValue(WelcomeProfile::kContinuousSoundKey, QStringLiteral("none"));
  page.testContinuousSoundSettings();
  EXPECT_EQ(played, (QStringList{"sample", QStringLiteral("Shhh…")}));
  services = ProfileTestServices{};
}
