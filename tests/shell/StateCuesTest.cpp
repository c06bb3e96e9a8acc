#include "shell/StandardHooks.h"

#include "effects/EffectsServices.h"
#include "effects/QNNotificationCenter.h"
#include "effects/RecordingOutputs.h"
#include "effects/SoundManager.h"
#include "states/SliceCues.h"
#include "states/SoftBreakCues.h"

#include <gtest/gtest.h>

namespace {

TEST(StateCuesTest, TheSoftBreakAndTheSliceEndReachTheNotificationCentreUntilRemoved) {
  auto defaults = kr::test::makeEffectsDefaults(true);
  kr::test::RecordingOutputs outputs;
  kr::QNNotificationCenter::installSharedNotificationCenter(
      std::make_unique<kr::QNNotificationCenter>(*defaults, outputs));

  kr::StandardHooks::installStateCues();
  const kr::SoftBreakCues& soft = kr::SoftBreakCues::shared();
  kr::SoftBreakCues::call(soft.playFirstTick);
  kr::SoftBreakCues::call(soft.playTock);
  kr::SliceCues::shared().callPlaySecondTick();
  kr::SliceCues::shared().callStopContinuousSound();
  const QStringList heard = outputs.take();
  EXPECT_EQ(heard.mid(0, 3),
            (QStringList{QStringLiteral("sound morse 1.00"), QStringLiteral("sound pop 1.00"),
                         QStringLiteral("sound morse 1.00")}));
  defaults->setValue(QStringLiteral("speechSoftBreakFinalOn"), true);
  defaults->setValue(QStringLiteral("speechSoftBreakFinalText"), QStringLiteral("Break now"));
  kr::SoftBreakCues::call(soft.speakAndDisplayForcedBreakMessages);
  EXPECT_TRUE(outputs.take().contains(QStringLiteral("speak Break now")));

  // The running page offers the library's continuous sounds.
  const QStringList names = kr::SliceCues::shared().callContinuousSoundsPrivateNames();
  EXPECT_TRUE(names.contains(QStringLiteral("pink_noise")) &&
              names.contains(QStringLiteral("clock1_c")));
  EXPECT_EQ(kr::SliceCues::shared().callContinuousSoundsLabels(),
            kr::EffectsServices::shared().soundManager().continuousSoundsLabels());
  EXPECT_EQ(kr::SliceCues::shared().callContinuousSoundsLabels().size(), names.size());

  kr::StandardHooks::removeStateCues();
  EXPECT_TRUE(kr::SliceCues::shared().callContinuousSoundsPrivateNames().isEmpty());
  kr::SoftBreakCues::call(kr::SoftBreakCues::shared().playTock);
  kr::SliceCues::shared().callPlaySecondTick();
  EXPECT_TRUE(outputs.take().isEmpty());
  kr::QNNotificationCenter::installSharedNotificationCenter(nullptr);
}

} // namespace
