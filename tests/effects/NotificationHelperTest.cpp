#include "effects/NotificationHelper.h"

#include "RecordingOutputs.h"

#include "art/BreakTimeStyleKit.h"

#include <gtest/gtest.h>

namespace {

class NotificationHelperTest : public ::testing::Test {
protected:
  std::unique_ptr<kr::UserDefaults> defaults = kr::test::makeEffectsDefaults(true);
  kr::test::RecordingOutputs outputs;
  kr::NotificationHelper cues{*defaults, outputs};

  void setChoice(int choice) {
    defaults->setValue(QStringLiteral("softBreakScreenFlashingChoice"), choice);
  }
  QStringList allTicks() {
    cues.playFirstTick();
    cues.playSecondTick();
    cues.playIntermediateTick();
    cues.playTock();
    return outputs.take();
  }
};

TEST_F(NotificationHelperTest, TheFlashChoiceDecidesWhichTicksFlash) {
  // The flash fades towards the break artwork's colour.
  const QString flash =
      QStringLiteral("fade %1 0.25 0.2").arg(kr::BreakTimeStyleKit::flashColor().name());
  ASSERT_EQ(flash, QStringLiteral("fade #373d53 0.25 0.2"));
  const QString morse = QStringLiteral("sound morse 1.00");
  const QString pop = QStringLiteral("sound pop 1.00");
  EXPECT_EQ(allTicks(), (QStringList{morse, morse, morse, pop}));
  setChoice(1);
  EXPECT_EQ(allTicks(), (QStringList{morse, morse, morse, pop, flash}));
  setChoice(2);
  EXPECT_EQ(allTicks(), (QStringList{morse, morse, morse, pop}));
  setChoice(3);
  EXPECT_EQ(allTicks(), (QStringList{morse, flash, morse, flash, morse, flash, pop, flash}));
}

TEST_F(NotificationHelperTest, TheIntermediateTickFallsBackToTheSecondSound) {
  defaults->setValue(QStringLiteral("softBreakFirstSoundOn"), false);
  defaults->setValue(QStringLiteral("softBreakSecondSound"), QStringLiteral("clock1"));
  defaults->setValue(QStringLiteral("softBreakSecondSoundVolume"), 0.25);
  cues.playIntermediateTick();
  EXPECT_EQ(outputs.take(), QStringList{QStringLiteral("sound clock1 0.25")});
  defaults->setValue(QStringLiteral("softBreakSecondSoundOn"), false);
  defaults->setValue(QStringLiteral("softBreakThirdSoundOn"), false);
  EXPECT_TRUE(allTicks().isEmpty());
}

TEST_F(NotificationHelperTest, MessagesAreSpokenAndShownAsWrittenWithoutTagSubstitution) {
  cues.speakAndDisplayUserStillActiveMessages();
  EXPECT_EQ(outputs.take(),
            QStringList{QStringLiteral("visual Your Break will start in 30 seconds… | …or as soon "
                                       "as you stop working. | delay 0")});
  defaults->setValue(QStringLiteral("speechSoftBreakIntermediaryOn"), true);
  defaults->setValue(QStringLiteral("speechSoftBreakIntermediaryText"),
                     QStringLiteral("<MinutesLeft> soon"));
  defaults->setValue(QStringLiteral("growlSoftBreakIntermediaryStick"), true);
  cues.speakAndDisplayIntermediaryMessages();
  EXPECT_EQ(
      outputs.take(),
      (QStringList{QStringLiteral("speak <MinutesLeft> soon"),
                   QStringLiteral("visual Your Break will start in 15 seconds… | …or as soon as "
                                  "you stop working. | delay 0 sticky")}));
  cues.speakAndDisplayForcedBreakMessages(); // both off by default
  EXPECT_TRUE(outputs.lines.isEmpty());
}

TEST_F(NotificationHelperTest, TheEndOfSliceScriptNeedsAFinalText) {
  cues.executeEndOfTimeSliceScript();
  EXPECT_EQ(outputs.take(),
            QStringList{QStringLiteral("script time_slice_elapsed(Time Slice Elapsed)")});
  kr::UserDefaults bare(kr::test::temporaryHome() + QStringLiteral("/bare.conf"));
  kr::NotificationHelper unset(bare, outputs);
  unset.executeEndOfTimeSliceScript();
  EXPECT_TRUE(outputs.lines.isEmpty());
}

} // namespace
