#include "engine/TaskManagerMarker.h"
#include "platform/services/TestTaskManagerBridge.h"
#include "platform/services/UnavailableTaskManagerBridge.h"
#include "platform/settings/UserDefaults.h"

#include "support/TestEnvironment.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kr;
using App = TaskManagerBridge::Application;
using HitListObject = TaskManagerBridge::HitListObject;

namespace {

class TaskManagerMarkerTest : public ::testing::Test {
protected:
  TaskManagerMarkerTest()
      : defaults(dir.filePath(QStringLiteral("s.conf"))), marker(bridge, defaults) {
    bridge.installed = {App::Things, App::OmniFocus, App::TheHitList};
  }
  void enable(const char* key, bool on = true) { defaults.setValue(QString::fromLatin1(key), on); }

  QTemporaryDir dir;
  UserDefaults defaults;
  TestTaskManagerBridge bridge;
  TaskManagerMarker marker;
};

TEST_F(TaskManagerMarkerTest, ThingsToDoIsCompletedAndMovedWhenBothSettingsAreOn) {
  enable("thingsIntegrationToDoCompletion");
  enable("thingsIntegrationMoveToLogBook");
  bridge.thingsToDos = {QStringLiteral("ABC123")};
  marker.performThingsMarking({QStringLiteral("https://example.org"),
                               QStringLiteral("korvaner2things://ABC123"),
                               QStringLiteral("korvaner2things://GONE")});
  const QStringList expected = {QStringLiteral("find Things"),
                                QStringLiteral("permission Things"),
                                QStringLiteral("isRunning Things"),
                                QStringLiteral("activate Things"),
                                QStringLiteral("lookup ABC123"),
                                QStringLiteral("complete ABC123"),
                                QStringLiteral("move ABC123 to LogBook"),
                                QStringLiteral("lookup GONE")};
  EXPECT_EQ(bridge.journal, expected);
}

TEST_F(TaskManagerMarkerTest, NothingIsLookedUpWhenSettingsAreOffOrNoLinkMatches) {
  bridge.thingsToDos = {QStringLiteral("ABC123")};
  const QStringList links = {QStringLiteral("korvaner2things://ABC123"),
                             QStringLiteral("omnifocus:///task/kXy9"),
                             QStringLiteral("thehitlist:///T1")};
  marker.performOmniFocusMarking(links);
  marker.performTheHitListMarking(links);
  marker.performThingsMarking(links);
  EXPECT_TRUE(bridge.journal.isEmpty());

  // Every setting on, but only web links: no application is touched.
  for (const char* key : {"thingsIntegrationToDoCompletion", "thingsIntegrationMoveToLogBook",
                          "omnifocusIntegration", "theHitListIntegration"})
    enable(key);
  const QStringList web = {QStringLiteral("https://example.org/task/1")};
  marker.performOmniFocusMarking(web);
  marker.performTheHitListMarking(web);
  marker.performThingsMarking(web);
  EXPECT_TRUE(bridge.journal.isEmpty());
}

TEST_F(TaskManagerMarkerTest, OmniFocusRunsItsScriptWithTheIdentifier) {
  enable("omnifocusIntegration");
  bridge.scriptError = QStringLiteral("task not found");
  marker.performOmniFocusMarking({QStringLiteral("omnifocus:///task/kXy9")});
  ASSERT_EQ(bridge.journal.size(), 1);
  EXPECT_EQ(
      bridge.journal.first(),
      QStringLiteral("script OmniFocus: tell application \"OmniFocus\"\ntell default document\n"
                     "set t_ask to task id \"kXy9\"\nmark complete t_ask\nend tell\nend tell\n"));
}

TEST_F(TaskManagerMarkerTest, UnsafeIdentifiersNeverReachAScript) {
  enable("omnifocusIntegration");
  enable("thingsIntegrationToDoCompletion");
  test::ExpectWarnings refused({QStringLiteral("unusable identifier")});
  marker.performOmniFocusMarking(
      {QStringLiteral("omnifocus:///task/x\" & do shell script \"rm -rf ~"),
       QStringLiteral("omnifocus:///task/"), QStringLiteral("omnifocus:///task/a\nb")});
  marker.performThingsMarking({QStringLiteral("korvaner2things://id;reboot")});
  EXPECT_EQ(refused.seen(), 4);
  for (const QString& call : bridge.journal)
    EXPECT_FALSE(call.startsWith(QStringLiteral("script"))) << call.toStdString();
  EXPECT_FALSE(bridge.journal.contains(QStringLiteral("lookup id;reboot")));
}

TEST_F(TaskManagerMarkerTest, TheHitListCollectsFoldersListsAndOneLevelOfSubtasks) {
  enable("theHitListIntegration");
  HitListObject sub{
      QStringLiteral("TheHitListTask"), QStringLiteral("sub"), QStringLiteral("S1"), {}, {}};
  HitListObject deep{
      QStringLiteral("TheHitListTask"), QStringLiteral("deep"), QStringLiteral("D1"), {}, {}};
  sub.tasks = {deep};
  HitListObject task{
      QStringLiteral("TheHitListTask"), QStringLiteral("task"), QStringLiteral("T1"), {}, {sub}};
  HitListObject list{QStringLiteral("TheHitListList"), {}, {}, {}, {task}};
  bridge.foldersGroup = {QStringLiteral("TheHitListFolder"), {}, {}, {list}, {}};
  bridge.inbox = {QStringLiteral("TheHitListList"), {}, {}, {}, {}};

  QList<HitListObject> collected;
  TaskManagerMarker::recursivelyExtractAllTasksFromTheHitList(bridge.foldersGroup, collected);
  ASSERT_EQ(collected.size(), 2);
  EXPECT_EQ(collected[0].identifier, QStringLiteral("T1"));
  EXPECT_EQ(collected[1].identifier, QStringLiteral("S1"));

  marker.performTheHitListMarking(
      {QStringLiteral("thehitlist:///S1"), QStringLiteral("thehitlist:///D1")});
  EXPECT_TRUE(bridge.journal.contains(QStringLiteral("complete S1")));
  EXPECT_FALSE(bridge.journal.contains(QStringLiteral("complete D1")));
  EXPECT_EQ(bridge.journal.count(QStringLiteral("activate The Hit List")), 1);
}

TEST_F(TaskManagerMarkerTest, TheHitListThatDoesNotComeUpIsSkipped) {
  enable("theHitListIntegration");
  bridge.activationStartsApplication = false;
  marker.performTheHitListMarking({QStringLiteral("thehitlist:///T1")});
  EXPECT_FALSE(bridge.journal.contains(QStringLiteral("inbox")));
}

TEST_F(TaskManagerMarkerTest, OnLinuxEveryTaskManagerIsUnavailable) {
  auto linuxBridge = TaskManagerBridge::create();
  for (App app : {App::Things, App::OmniFocus, App::TheHitList}) {
    QString reason;
    EXPECT_FALSE(linuxBridge->findApplication(app, &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("not available on Linux")));
  }
  QString error;
  EXPECT_FALSE(linuxBridge->runScript(App::OmniFocus, QStringLiteral("x"), &error));
  EXPECT_FALSE(error.isEmpty());

  for (const char* key :
       {"thingsIntegrationToDoCompletion", "omnifocusIntegration", "theHitListIntegration"})
    enable(key);
  TaskManagerMarker onLinux(*linuxBridge, defaults);
  onLinux.performThingsMarking({QStringLiteral("korvaner2things://ABC")});
  onLinux.performOmniFocusMarking({QStringLiteral("omnifocus:///task/kXy9")});
  onLinux.performTheHitListMarking({QStringLiteral("thehitlist:///T1")});
  EXPECT_FALSE(linuxBridge->isRunning(App::Things));
}

} // namespace
