#include "shell/StandardHooks.h"

#include "shell/MailingListManager.h"
#include "shell/SandboxHelper.h"
#include "shell/ShellHooks.h"

#include "effects/EffectsServices.h"
#include "effects/NotificationHelper.h"
#include "effects/QNVisualNotification.h"
#include "effects/SoundManager.h"
#include "effects/SpeechManager.h"
#include "effects/WhiteNoiseMachine.h"
#include "engine/LogFileManager.h"
#include "engine/UpgradeManager.h"
#include "platform/files/FolderContentMonitor.h"
#include "states/PageServices.h"
#include "states/ProfileTestServices.h"
#include "states/SliceCues.h"
#include "states/SoftBreakCues.h"
#include "stats/FullFeaturedStatisticsManager.h"

namespace kr {

void StandardHooks::installLogFileHooks(ShellHooks& hooks) {
  // update() arms the one-second reload unless one is pending already.
  hooks.scheduleLogFileReload = [] { LogFileManager::sharedInstance().update(); };
  hooks.startLogFolderMonitor = [] {
    LogFileManager& manager = LogFileManager::sharedInstance();
    manager.followLogFolder();
    if (!manager.monitor().isStarted())
      manager.monitor().start();
  };
  hooks.upgradeEverything = [] { UpgradeManager::sharedInstance().upgradeEverything(); };
}

void StandardHooks::installIntegrationHooks(ShellHooks& hooks) {
  hooks.isLoginItem = [] { return SandboxHelper::isLaunchAtStartup(); };
  hooks.addLoginItem = [] {
    if (!SandboxHelper::isLaunchAtStartup())
      SandboxHelper::toggleLaunchAtStartup();
  };
  hooks.mailingListDoIt = [] { MailingListManager::sharedInstance().doIt(); };
}

void StandardHooks::installStatisticsHooks(ShellHooks& hooks) {
  auto prepare = [] { FullFeaturedStatisticsManager::sharedInstance().prepareDataSet(); };
  hooks.prepareStatisticsDataSet = prepare;
  hooks.exportLogsAsCSV = [](const QString& path) {
    return FullFeaturedStatisticsManager::sharedInstance().exportCSVInBackground(path);
  };
  hooks.exportingLogs = [] {
    return FullFeaturedStatisticsManager::sharedInstance().isExportingCSV();
  };
  PageServices::shared().refreshStatistics = prepare;
}

void StandardHooks::removeStatisticsHooks() { PageServices::shared().refreshStatistics = nullptr; }

void StandardHooks::installStateCues() {
  auto helper = [] { return &NotificationHelper::instance(); };
  SliceCues& slice = SliceCues::shared();
  slice.playSecondTick = [helper] { helper()->playSecondTick(); };
  slice.stopContinuousSound = [] { WhiteNoiseMachine::continuousSoundMachine().stopPlaying(); };
  slice.playContinuousSound = [] {
    WhiteNoiseMachine::continuousSoundMachine().playSubjectToSettings();
  };
  slice.continuousSoundsLabels = [] {
    return EffectsServices::shared().soundManager().continuousSoundsLabels();
  };
  slice.continuousSoundsPrivateNames = [] {
    return EffectsServices::shared().soundManager().continuousSoundsPrivateNames();
  };

  SoftBreakCues& soft = SoftBreakCues::shared();
  soft.playFirstTick = [helper] { helper()->playFirstTick(); };
  soft.playSecondTick = [helper] { helper()->playSecondTick(); };
  soft.playTock = [helper] { helper()->playTock(); };
  soft.speakAndDisplayUserStillActiveMessages = [helper] {
    helper()->speakAndDisplayUserStillActiveMessages();
  };
  soft.speakAndDisplayIntermediaryMessages = [helper] {
    helper()->speakAndDisplayIntermediaryMessages();
  };
  soft.speakAndDisplayForcedBreakMessages = [helper] {
    helper()->speakAndDisplayForcedBreakMessages();
  };
  soft.executeEndOfTimeSliceScript = [helper] { helper()->executeEndOfTimeSliceScript(); };
}

void StandardHooks::removeStateCues() {
  SliceCues::shared() = SliceCues{};
  SoftBreakCues::shared() = SoftBreakCues{};
}

void StandardHooks::installProfileTests() {
  // Each call looks the services up anew: they may be installed again later.
  ProfileTestServices& tests = ProfileTestServices::shared();
  tests.showNotification = [](const QString& title, const QString& description) {
    EffectsServices::shared().visualNotification().displayNotification(title, description, 0.0,
                                                                       false);
  };
  tests.playSound = [](const QString& privateName, double volume) {
    EffectsServices::shared().soundManager().playSoundWithPrivateName(privateName, float(volume));
  };
  tests.speak = [](const QString& text) {
    EffectsServices::shared().speechManager().speakString(text);
  };
  tests.playContinuousSoundSample = [] {
    EffectsServices::shared().continuousSoundMachine().playSample();
  };
}

void StandardHooks::removeProfileTests() { ProfileTestServices::shared() = ProfileTestServices{}; }

} // namespace kr
