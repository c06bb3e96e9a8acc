#include "shell/DebugManager.h"
#include "platform/QnLog.h"
#include "platform/UserDefaults.h"

#include "support/TestEnvironment.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using kr::DebugManager;
using kr::UserDefaults;

class DebugManagerTest : public ::testing::Test {
protected:
  void SetUp() override {
    kr::QnLog::setOn(false);
    defaults.registerDefaults(
        {{QStringLiteral("loggerIsOn"), true}, {QStringLiteral("debug_speed"), 0}});
  }
  void TearDown() override { kr::QnLog::setOn(false); }

  QTemporaryDir dir;
  UserDefaults defaults{dir.filePath(QStringLiteral("settings.conf"))};
};

TEST_F(DebugManagerTest, TheLoggerFollowsTheSettingLiveFromCreation) {
  kr::test::ConsoleCapture capture;
  kr::qn_log(QStringLiteral("before the manager"));
  EXPECT_FALSE(kr::QnLog::isOn());

  DebugManager manager(defaults);
  EXPECT_EQ(DebugManager::sharedDebugManager(), &manager);
  kr::qn_log(QStringLiteral("after the manager"));

  defaults.setValue(QStringLiteral("loggerIsOn"), false);
  kr::qn_log(QStringLiteral("switched off"));
  defaults.setValue(QStringLiteral("loggerIsOn"), true); // no restart needed
  kr::qn_log(QStringLiteral("switched on again"));
  // Without a stored value the registered true holds.
  defaults.remove(QStringLiteral("loggerIsOn"));
  EXPECT_TRUE(kr::QnLog::isOn());

  EXPECT_FALSE(capture.contains(QStringLiteral("before the manager")));
  EXPECT_TRUE(capture.contains(QStringLiteral("after the manager")));
  EXPECT_FALSE(capture.contains(QStringLiteral("switched off")));
  EXPECT_TRUE(capture.contains(QStringLiteral("switched on again")));

  manager.setLoggerIsOn(false);
  EXPECT_FALSE(kr::QnLog::isOn());
}

TEST_F(DebugManagerTest, AStoredOffSettingSilencesTheLoggerAtCreation) {
  defaults.setValue(QStringLiteral("loggerIsOn"), false);
  kr::QnLog::setOn(true);
  kr::test::ConsoleCapture capture;
  DebugManager manager(defaults);
  kr::qn_log(QStringLiteral("never shown"));
  EXPECT_TRUE(capture.lines().isEmpty());
}

TEST_F(DebugManagerTest, SharedInstanceIsClearedWhenTheManagerGoes) {
  {
    DebugManager manager(defaults);
    EXPECT_EQ(DebugManager::sharedDebugManager(), &manager);
  }
  EXPECT_EQ(DebugManager::sharedDebugManager(), nullptr);
}

TEST_F(DebugManagerTest, SpeedsAreStoredAtOnceAndGiveTheTickInterval) {
  DebugManager manager(defaults);
  EXPECT_DOUBLE_EQ(manager.intervalForStateMachine(), 1.0);
  manager.fastSpeed();
  EXPECT_DOUBLE_EQ(manager.intervalForStateMachine(), 0.1);
  manager.warpSpeed();
  EXPECT_DOUBLE_EQ(manager.intervalForStateMachine(), 0.01);
  manager.warp2Speed();
  EXPECT_DOUBLE_EQ(manager.intervalForStateMachine(), 0.003);
  // Written through to the file, not only kept in memory.
  EXPECT_EQ(QSettings(defaults.filePath(), QSettings::IniFormat)
                .value(QStringLiteral("debug_speed"))
                .toInt(),
            3);
  manager.normalSpeed();
  EXPECT_DOUBLE_EQ(manager.intervalForStateMachine(), 1.0);
  for (int other : {0, 4, -1}) {
    defaults.setValue(QStringLiteral("debug_speed"), other);
    EXPECT_DOUBLE_EQ(manager.intervalForStateMachine(), 1.0) << other;
  }
  defaults.setValue(QStringLiteral("debug_speed"), 2.7); // an integer read truncates
  EXPECT_DOUBLE_EQ(manager.intervalForStateMachine(), 0.01);
}

TEST_F(DebugManagerTest, RtfDataIsPrintedOneCharacterPerByte) {
  DebugManager manager(defaults);
  kr::test::ConsoleCapture capture;
  DebugManager::printRTFDataAsPlainText(QByteArray());
  DebugManager::printRTFDataAsPlainText(QByteArray("{\\rtf1 caf\xe9}"));
  ASSERT_EQ(capture.lines().size(), 2);
  EXPECT_TRUE(capture.lines().at(0).endsWith(QStringLiteral("qnlog: ")))
      << capture.lines().at(0).toStdString();
  EXPECT_TRUE(capture.lines().at(1).endsWith(QString::fromUtf8("{\\rtf1 café}")));
}

} // namespace
