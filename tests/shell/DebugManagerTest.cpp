#include "shell/DebugManager.h"
#include "platform/QnLog.h"
#include "platform/Responder.h"
#include "platform/settings/UserDefaults.h"

#include "support/TestEnvironment.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QVBoxLayout>

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
  ASSERT_TRUE(defaults.flush());
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

namespace {

class MainControllerDouble : public kr::Responder {};
class StateMachineDouble : public kr::Responder {};
class CurrentStateDouble : public kr::Responder {};

TEST_F(DebugManagerTest, TheResponderChainIsDumpedFromTheApplicationDown) {
  DebugManager manager(defaults);
  MainControllerDouble controller;
  StateMachineDouble machine;
  CurrentStateDouble state;
  controller.setNextResponder(&machine);
  machine.setNextResponder(&state);

  kr::test::ConsoleCapture empty;
  manager.logCurrentResponderChainFromApplicationDownwards(); // no chain yet: heading and end
  ASSERT_EQ(empty.lines().size(), 2);

  manager.setApplicationNextResponder(&controller);
  kr::test::ConsoleCapture capture;
  manager.logCurrentResponderChainFromApplicationDownwards();
  const QStringList& lines = capture.lines();
  ASSERT_EQ(lines.size(), 5);
  EXPECT_TRUE(lines[0].endsWith(u"*** logCurrentResponderChainFromApplicationDownwards ***"));
  EXPECT_TRUE(lines[1].contains(u"responder: <") && lines[1].contains(u"MainControllerDouble: 0x"))
      << lines[1].toStdString();
  EXPECT_TRUE(lines[2].contains(u"StateMachineDouble"));
  EXPECT_TRUE(lines[3].contains(u"CurrentStateDouble"));
  EXPECT_TRUE(lines[4].endsWith(u"*** responder chain end ***"));
}

class WidgetDumpTest : public DebugManagerTest {
protected:
  void SetUp() override {
    DebugManagerTest::SetUp();
    window.setObjectName(QStringLiteral("mainWindow"));
    auto* layout = new QVBoxLayout(&window);
    panel = new QWidget(&window);
    auto* panelLayout = new QVBoxLayout(panel);
    field = new QLineEdit(panel);
    panelLayout->addWidget(field);
    button = new QPushButton(QStringLiteral("Start Time Slice"), &window);
    hidden = new QLineEdit(&window);
    layout->addWidget(panel);
    layout->addWidget(button);
    layout->addWidget(hidden);
    hidden->hide();
    window.show();
    QApplication::setActiveWindow(&window);
    field->setFocus();
  }

  QWidget window;
  QWidget* panel = nullptr;
  QLineEdit* field = nullptr;
  QPushButton* button = nullptr;
  QLineEdit* hidden = nullptr;
};

TEST_F(WidgetDumpTest, AWindowsChainRunsFromItsFocusWidgetUpToTheWindow) {
  DebugManager manager(defaults);
  ASSERT_EQ(window.focusWidget(), field);
  kr::test::ConsoleCapture capture;
  DebugManager::logCurrentResponderChainUpFromFirstResponderOfWindow(&window);
  const QStringList& lines = capture.lines();
  ASSERT_EQ(lines.size(), 5);
  EXPECT_TRUE(
      lines[0].endsWith(u"*** logCurrentResponderChainUpFromFirstResponderOfWindow Chain ***"));
  EXPECT_TRUE(lines[1].contains(u"responder: <QLineEdit: 0x"));
  EXPECT_TRUE(lines[2].contains(u"responder: <QWidget: 0x"));
  EXPECT_TRUE(lines[3].contains(u"\"mainWindow\""));
  EXPECT_TRUE(lines[4].endsWith(u"*** responder chain end ***"));
}

TEST_F(WidgetDumpTest, TheKeyLoopVisitsEachViewOnceWithItsDepth) {
  DebugManager manager(defaults);
  kr::test::ConsoleCapture capture;
  DebugManager::logKeyLoopForView(button);
  const QStringList& lines = capture.lines();
  ASSERT_GE(lines.size(), 6);
  EXPECT_TRUE(lines.first().endsWith(u"---------------------------------------"));
  EXPECT_TRUE(lines[1].endsWith(u"keyboard loop:"));
  EXPECT_TRUE(lines.last().endsWith(u"---------------------------------------"));
  // Starts at the focus widget, two levels below the window.
  EXPECT_TRUE(lines[2].contains(u"------nextKeyView: <QLineEdit")) << lines[2].toStdString();
  EXPECT_EQ(lines.filter(QStringLiteral("nextKeyView: <QPushButton")).size(), 1);
  EXPECT_TRUE(lines.filter(QStringLiteral("<QPushButton"))
                  .first()
                  .endsWith(QStringLiteral("----nextKeyView: <QPushButton: 0x%1> Start Time Slice")
                                .arg(reinterpret_cast<quintptr>(button), 0, 16)));
  const qsizetype hiddenAt = lines.indexOf(
      lines.filter(QStringLiteral("0x%1").arg(reinterpret_cast<quintptr>(hidden), 0, 16)).value(0));
  ASSERT_GT(hiddenAt, 1);
  EXPECT_TRUE(lines[hiddenAt + 1].endsWith(u"previous view is hidden!!!"));
  EXPECT_EQ(lines.filter(QStringLiteral("previous view is hidden!!!")).size(), 1);
}

} // namespace
