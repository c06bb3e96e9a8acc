// The notification centre on the real services, over recording back ends.
#include "effects/EffectsServices.h"
#include "effects/LiveEventOutputs.h"
#include "effects/QNNotificationCenter.h"
#include "effects/ScriptLauncher.h"
#include "effects/WhiteNoiseMachine.h"
#include "engine/DataModel.h"
#include "engine/ObjectiveText.h"
#include "platform/services/TestAudioOutput.h"
#include "platform/services/TestDesktopNotifier.h"
#include "platform/services/TestSpeechSynthesizer.h"

#include "RecordingOutputs.h"
#include "support/TestClock.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using kr::QNNotificationCenter;

class EffectsServicesTest : public ::testing::Test {
protected:
  EffectsServicesTest() {
    QFile script(scripts.scriptPath());
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\nprintf '%s|' \"$@\" >> \"$(dirname \"$0\")/calls.txt\"\necho >> "
                 "\"$(dirname \"$0\")/calls.txt\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  ~EffectsServicesTest() override { kr::EffectsServices::install(nullptr); }

  void install() {
    kr::EffectsServices::install(std::make_unique<kr::EffectsServices>(
        *defaults, kr::EffectsServices::BackEnds{audio, synth, notifier}, scripts,
        [this] { return objective; }, [] { return false; }));
  }
  void post(const QString& event, int value, int max) {
    QNNotificationCenter::sharedNotificationCenter().triggerNotificationForEvent(event, value, max);
  }
  QString scriptCalls() {
    EXPECT_TRUE(scripts.waitForAllForTesting(10000));
    QFile file(folder.path() + QStringLiteral("/calls.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }

  kr::test::TestClock clock;
  std::unique_ptr<kr::UserDefaults> defaults = kr::test::makeEffectsDefaults();
  kr::TestAudioOutput audio;
  kr::TestSpeechSynthesizer synth;
  kr::TestDesktopNotifier notifier;
  QTemporaryDir folder{kr::test::temporaryHome() + QStringLiteral("/hooks-XXXXXX")};
  kr::ScriptLauncher scripts{folder.path()};
  QString objective = QStringLiteral("Draft the report");
};

TEST_F(EffectsServicesTest, ASliceFromStartToEndReachesEveryService) {
  install();
  defaults->setValue(QStringLiteral("continuousSoundOn"), true);
  defaults->setValue(QStringLiteral("speechStartOn"), true);
  defaults->setValue(QStringLiteral("speechStartText"), QStringLiteral("Go: <CurrentObjective>"));
  post(QNNotificationCenter::kTimeSliceStart, 0, 1500);
  EXPECT_TRUE(kr::WhiteNoiseMachine::continuousSoundMachine().isPlaying());
  ASSERT_EQ(synth.utterances.size(), 1u);
  EXPECT_EQ(synth.utterances[0].text, QStringLiteral("Go: Draft the report"));
  ASSERT_EQ(notifier.delivered.size(), 1u);
  EXPECT_EQ(notifier.delivered[0].title, QStringLiteral("Starting Time Slice"));
  ASSERT_TRUE(scripts.waitForAllForTesting(10000)); // the two runs append in order

  post(QNNotificationCenter::kTimeSliceElapsed, 1500, 1500);
  EXPECT_FALSE(kr::WhiteNoiseMachine::continuousSoundMachine().isPlaying());
  ASSERT_EQ(audio.oneShots.size(), 1u);
  EXPECT_TRUE(audio.oneShots[0].filePath.endsWith(QStringLiteral("/alarm_clock.wav")));
  EXPECT_EQ(notifier.delivered.back().title, QStringLiteral("Time Slice Elapsed"));
  EXPECT_EQ(scriptCalls().toStdString(), "time_slice_start|Go: Draft the report|\n"
                                         "time_slice_elapsed|Time Slice Elapsed|\n");
}

TEST_F(EffectsServicesTest, MuteSilencesSoundSpeechAndNoiseButNotNotificationsOrScripts) {
  install();
  defaults->setValue(QStringLiteral("continuousSoundOn"), true);
  defaults->setValue(QStringLiteral("speechEndOn"), true);
  post(QNNotificationCenter::kTimeSliceStart, 0, 1500);
  defaults->setValue(QStringLiteral("mute"), true);
  EXPECT_FALSE(kr::WhiteNoiseMachine::continuousSoundMachine().isPlaying());
  post(QNNotificationCenter::kTimeSliceElapsed, 1500, 1500);
  EXPECT_TRUE(audio.oneShots.empty());
  EXPECT_TRUE(synth.utterances.empty());
  EXPECT_EQ(notifier.delivered.size(), 2u);
  EXPECT_TRUE(scriptCalls().contains(QStringLiteral("time_slice_elapsed")));
}

TEST_F(EffectsServicesTest, ADesktopWithoutSoundSpeechOrNotificationsStillRunsTheRestOfTheEvent) {
  audio.available = false;
  synth.available = false;
  notifier.failWith = QStringLiteral("no notification server");
  install();
  defaults->setValue(QStringLiteral("speechEndOn"), true);
  kr::test::ConsoleCapture console;
  for (int i = 0; i < 3; ++i)
    post(QNNotificationCenter::kTimeSliceElapsed, 1500, 1500);
  EXPECT_EQ(console.lines().filter(QStringLiteral("No sound")).size(), 1);
  EXPECT_EQ(console.lines().filter(QStringLiteral("No speech")).size(), 1);
  EXPECT_EQ(console.lines().filter(QStringLiteral("No desktop notifications")).size(), 1);
  EXPECT_EQ(console.lines().filter(QStringLiteral("Screen fading")).size(), 0);
  EXPECT_EQ(scriptCalls().count(QStringLiteral("time_slice_elapsed")), 3);
  post(QNNotificationCenter::kTimeSliceTime, 1498, 1500); // dimming: no screen effects installed
  EXPECT_EQ(console.lines().filter(QStringLiteral("Screen fading is not available")).size(), 1);
}

TEST_F(EffectsServicesTest, BeforeInstallationTheSharedServicesExistAndStayQuiet) {
  kr::WhiteNoiseMachine& machine = kr::WhiteNoiseMachine::continuousSoundMachine();
  machine.playSubjectToSettings();
  machine.stopPlaying();
  EXPECT_FALSE(machine.isPlaying());
  post(QNNotificationCenter::kTimeSliceElapsed, 10, 10);
  EXPECT_TRUE(audio.oneShots.empty());
}

TEST(LiveEventOutputsTest, TheObjectiveOfTheDataModelReadsAsOneLine) {
  kr::DataModel model;
  kr::UserDefaults::standard().setValue(
      QStringLiteral("objective"),
      kr::ObjectiveText::fromPlainText(QStringLiteral("Write the\nsummary\n"), {}).data());
  EXPECT_EQ(kr::LiveEventOutputs::objectiveOf(model), QStringLiteral("Write the summary"));
}

} // namespace
