#include "effects/StandAloneNoiseMachine.h"
#include "effects/WhiteNoiseMachine.h"

#include "SoundFixture.h"
#include "support/TestClock.h"

#include <QAction>
#include <QMenu>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

class ContinuousSoundTest : public ::testing::Test, protected kr::test::SoundFixture {
protected:
  ContinuousSoundTest() { machine.awakeFromNib(); }

  QStringList calls() {
    QStringList out =
        audio.loopLog->calls.filter(QRegularExpression(QStringLiteral("^(play|stop|device)")));
    audio.loopLog->calls.clear();
    return out;
  }
  void set(const char* key, const QVariant& value) {
    defaults->setValue(QString::fromLatin1(key), value);
  }

  kr::test::TestClock clock;
  std::unique_ptr<kr::SoundManager> sounds = makeManager();
  kr::WhiteNoiseMachine machine{*defaults, *sounds, audio};
  const QString pinkOnDefault = QStringLiteral("play /own/pink_noise.wav on default");
};

TEST_F(ContinuousSoundTest, PlaysOnlyWhileWantedSwitchedOnUnmutedAndUnblocked) {
  machine.playSubjectToSettings();
  EXPECT_TRUE(calls().isEmpty()); // "continuousSoundOn" is off
  set("continuousSoundOn", true);
  EXPECT_EQ(calls(), QStringList{pinkOnDefault});
  EXPECT_TRUE(machine.isPlaying());

  set("mute", true);
  EXPECT_EQ(calls(), QStringList{QStringLiteral("stop")});
  set("mute", false);
  EXPECT_EQ(calls(), QStringList{pinkOnDefault});

  machine.block(); // the preferences window opens
  EXPECT_EQ(calls(), QStringList{QStringLiteral("stop")});
  machine.unblock();
  EXPECT_EQ(calls(), QStringList{pinkOnDefault});

  machine.stopPlaying(); // the slice ends
  EXPECT_EQ(calls(), QStringList{QStringLiteral("stop")});
  set("mute", true);
  set("mute", false);
  EXPECT_TRUE(calls().isEmpty());
}

TEST_F(ContinuousSoundTest, ChangesWhilePlayingTakeEffectAtOnce) {
  set("continuousSoundOn", true);
  machine.playSubjectToSettings();
  calls();
  set("continuousSoundVolume", 0.5);
  EXPECT_TRUE(audio.loopLog->calls.contains(QStringLiteral("volume 0.50")));
  EXPECT_TRUE(calls().isEmpty()); // applied in place
  set("continuousSound", QStringLiteral("clock1_c"));
  EXPECT_EQ(calls(), (QStringList{QStringLiteral("stop"),
                                  QStringLiteral("play /own/clock1_c.wav on default")}));
  set("soundOutputDevice", QStringLiteral("alsa_output.pci"));
  EXPECT_EQ(calls(), (QStringList{QStringLiteral("stop"),
                                  QStringLiteral("play /own/clock1_c.wav on alsa_output.pci")}));
}

TEST_F(ContinuousSoundTest, AnUnpluggedDeviceLendsTheSoundToTheSystemDefaultUntilItReturns) {
  set("soundOutputDevice", QStringLiteral("alsa_output.usb"));
  set("continuousSoundOn", true);
  machine.playSubjectToSettings();
  EXPECT_EQ(calls(), QStringList{QStringLiteral("play /own/pink_noise.wav on alsa_output.usb")});
  const kr::AudioOutputDevice headset = audio.devices.takeFirst();
  ASSERT_TRUE(audio.devicesChanged);
  audio.devicesChanged();
  EXPECT_EQ(sounds->audioDevices().size(), 2);
  EXPECT_EQ(calls(), (QStringList{QStringLiteral("stop"), pinkOnDefault}));
  // The choice is kept, not replaced by the default.
  EXPECT_EQ(defaults->string(QStringLiteral("soundOutputDevice")),
            QStringLiteral("alsa_output.usb"));
  // Another device coming or going changes nothing while the headset is away.
  audio.devices.append({QStringLiteral("bluez_output"), QStringLiteral("Speaker")});
  audio.devicesChanged();
  EXPECT_TRUE(calls().isEmpty());

  audio.devices.prepend(headset);
  audio.devicesChanged();
  EXPECT_EQ(calls(), (QStringList{QStringLiteral("stop"),
                                  QStringLiteral("play /own/pink_noise.wav on alsa_output.usb")}));
}

TEST_F(ContinuousSoundTest, AStoredSoundThatLeftTheLibraryIsReplacedByPinkNoise) {
  kr::test::ConsoleCapture console;
  set("continuousSound", QStringLiteral("hushbox_rain"));
  set("continuousSoundOn", true);
  machine.playSubjectToSettings();
  EXPECT_EQ(defaults->string(QStringLiteral("continuousSound")), QStringLiteral("pink_noise"));
  EXPECT_EQ(calls(), QStringList{pinkOnDefault});
}

TEST_F(ContinuousSoundTest, ASampleSoundsForAboutFiveSecondsUnlessTheSoundIsWanted) {
  machine.playSample();
  EXPECT_EQ(calls(), QStringList{pinkOnDefault});
  clock.advance(4.5);
  EXPECT_TRUE(machine.isPlaying());
  clock.advance(1.0);
  EXPECT_FALSE(machine.isPlaying());
  EXPECT_EQ(calls(), QStringList{QStringLiteral("stop")});

  // A sample of the sound already playing on the same device changes nothing.
  set("continuousSoundOn", true);
  machine.playSubjectToSettings();
  calls();
  machine.playSample();
  clock.advance(10);
  EXPECT_TRUE(calls().isEmpty());
  EXPECT_TRUE(machine.isPlaying());
}

TEST_F(ContinuousSoundTest, AFileThatCannotBePlayedLeavesTheMachineQuiet) {
  audio.unplayableFiles = {QStringLiteral("/own/pink_noise.wav")};
  kr::WhiteNoiseMachine broken(*defaults, *sounds, audio);
  broken.awakeFromNib();
  set("continuousSoundOn", true);
  broken.playSubjectToSettings();
  EXPECT_FALSE(broken.isPlaying());
}

class StandAloneNoiseMachineTest : public ContinuousSoundTest {
protected:
  void awake() {
    standAlone.setMenus(&menu, &second);
    standAlone.awakeFromNib();
  }
  QStringList checked(const QMenu& m) {
    QStringList out;
    for (QAction* a : m.actions())
      out << QStringLiteral("%1%2").arg(a->isChecked() ? QStringLiteral("*") : QString(),
                                        a->text());
    return out;
  }

  kr::StandAloneNoiseMachine standAlone{*defaults, *sounds, audio};
  QMenu menu;
  QMenu second;
};

TEST_F(StandAloneNoiseMachineTest, StartsOffWithBothMenusListingTheContinuousSounds) {
  set("standaloneSoundOn", true);
  awake();
  EXPECT_FALSE(defaults->boolValue(QStringLiteral("standaloneSoundOn")));
  const QStringList expected{QStringLiteral("Ticking Clock"), QStringLiteral("*Pink Noise")};
  EXPECT_EQ(checked(menu), expected);
  EXPECT_EQ(checked(second), expected);
  set("standaloneSoundOn", true); // the user switches it on: no slice needed
  EXPECT_EQ(calls(), QStringList{pinkOnDefault});
}

TEST_F(StandAloneNoiseMachineTest, NextAndPreviousWrapAroundAndAnUnknownSoundChoosesTheFirst) {
  awake();
  standAlone.nextSound();
  EXPECT_EQ(defaults->string(QStringLiteral("standaloneSound")), QStringLiteral("clock1_c"));
  EXPECT_EQ(checked(second),
            (QStringList{QStringLiteral("*Ticking Clock"), QStringLiteral("Pink Noise")}));
  standAlone.previousSound();
  EXPECT_EQ(defaults->string(QStringLiteral("standaloneSound")), QStringLiteral("pink_noise"));
  standAlone.nextSound();
  standAlone.previousSound();
  standAlone.previousSound();
  EXPECT_EQ(defaults->string(QStringLiteral("standaloneSound")), QStringLiteral("clock1_c"));
  set("standaloneSound", QStringLiteral("gone"));
  standAlone.nextSound();
  EXPECT_EQ(defaults->string(QStringLiteral("standaloneSound")), QStringLiteral("clock1_c"));
}

TEST_F(StandAloneNoiseMachineTest, ChoosingASoundFromTheMenuStoresItAndPlaysASample) {
  awake();
  calls();
  menu.actions().at(0)->trigger();
  EXPECT_EQ(defaults->string(QStringLiteral("standaloneSound")), QStringLiteral("clock1_c"));
  EXPECT_EQ(checked(second),
            (QStringList{QStringLiteral("*Ticking Clock"), QStringLiteral("Pink Noise")}));
  EXPECT_EQ(calls(), QStringList{QStringLiteral("play /own/clock1_c.wav on default")});
  clock.advance(6);
  EXPECT_FALSE(standAlone.isPlaying());
}

} // namespace
