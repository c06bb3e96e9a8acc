// The statistics at start-up and the CSV export from the menu.
#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "shell/MainController.h"
#include "shell/StandardHooks.h"

#include "platform/services/FilePanelPresenter.h"
#include "platform/settings/UserDefaults.h"
#include "states/PageServices.h"
#include "stats/FullFeaturedStatisticsManager.h"
#include "stats/LogBookTableViewController.h"
#include "stats/StatsViewController.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"

#include "LaunchedMachine.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace kr;

namespace {

// Installs a file panel that answers as told, for as long as it lives.
struct AnsweredPanels {
  AnsweredPanels() { FilePanelPresenter::install(&panels); }
  ~AnsweredPanels() { FilePanelPresenter::install(nullptr); }
  TestFilePanelPresenter panels;
};

} // namespace

TEST(StatisticsWiring, TheWindowMakesTheSharedManagerBeforeTheDataSetIsRead) {
  test::LaunchedMachine m;
  ShellContext context = m.context();
  StandardHooks::installStatisticsHooks(context.hooks);
  {
    ApplicationShell shell(std::move(context));
    shell.launch();
    const QStringList steps = shell.steps();
    const qsizetype shared =
        steps.indexOf(QStringLiteral("AppDelegate awakeFromNib: statistics manager shared"));
    const qsizetype dataSet =
        steps.indexOf(QStringLiteral("MainController will finish: statistics data set"));
    ASSERT_GE(shared, 0);
    ASSERT_GE(dataSet, 0);
    EXPECT_LT(shared, dataSet);

    MainWindowController& window = shell.appDelegate().mainWindow()->controller();
    ASSERT_TRUE(window.statsController());
    ASSERT_TRUE(window.logBookTableViewController());
    EXPECT_EQ(&FullFeaturedStatisticsManager::sharedInstance(),
              window.statsController()->fullFeaturedStatsManager.get());
    // The rating page's refresh reaches the shared manager.
    ASSERT_TRUE(PageServices::shared().refreshStatistics);
    PageServices::shared().callRefreshStatistics();
  }
  StandardHooks::removeStatisticsHooks();
  EXPECT_FALSE(PageServices::shared().refreshStatistics);
  EXPECT_FALSE(FullFeaturedStatisticsManager::hasSharedInstance());
}

TEST(StatisticsWiring, ExportAsksForAFileAndWritesOnlyWhenConfirmed) {
  test::LaunchedMachine m;
  AnsweredPanels answered;
  QStringList exported;
  bool writes = true;
  ShellContext context = m.context();
  context.hooks.exportLogsAsCSV = [&](const QString& path) {
    exported << path;
    return writes;
  };
  ApplicationShell shell(std::move(context));
  shell.launch();
  MainController& controller = shell.mainController();
  QTemporaryDir desktop;
  const QString stored = desktop.path() + QStringLiteral("/Korvane-R Log.csv");
  UserDefaults::standard().setValue(QStringLiteral("exportAsCSVPath"), stored);

  // Cancel: nothing is written.
  ASSERT_TRUE(controller.canPerform(QStringLiteral("exportAsCSV")));
  EXPECT_TRUE(controller.tryToPerform(QStringLiteral("exportAsCSV")));
  ASSERT_EQ(answered.panels.saveRequests.size(), 1);
  const FilePanelRequest& request = answered.panels.saveRequests.first();
  EXPECT_EQ(request.title, QStringLiteral("Export Logs in CSV format"));
  EXPECT_EQ(request.allowedExtensions, QStringList{"csv"});
  EXPECT_TRUE(request.allowsOtherFileTypes);
  EXPECT_EQ(request.startFolder, desktop.path());
  EXPECT_EQ(request.suggestedName, QStringLiteral("Korvane-R Log.csv"));
  EXPECT_TRUE(exported.isEmpty());

  // OK: the chosen path is written, and not stored.
  answered.panels.answer = desktop.path() + QStringLiteral("/elsewhere.csv");
  controller.tryToPerform(QStringLiteral("exportAsCSV"));
  EXPECT_EQ(exported, QStringList{desktop.path() + QStringLiteral("/elsewhere.csv")});
  EXPECT_EQ(UserDefaults::standard().string(QStringLiteral("exportAsCSVPath")), stored);
  EXPECT_TRUE(m.alerts.shown.isEmpty());

  // A folder that is gone: the panel starts at home.
  UserDefaults::standard().setValue(QStringLiteral("exportAsCSVPath"),
                                    QStringLiteral("/no/such/folder/log.csv"));
  controller.tryToPerform(QStringLiteral("exportAsCSV"));
  EXPECT_EQ(answered.panels.saveRequests.last().startFolder, QDir::homePath());
  EXPECT_EQ(answered.panels.saveRequests.last().suggestedName, QStringLiteral("log.csv"));

  // A failed write is told by the exporter; the menu adds no second alert.
  writes = false;
  controller.tryToPerform(QStringLiteral("exportAsCSV"));
  EXPECT_TRUE(m.alerts.shown.isEmpty());
}

TEST(StatisticsWiring, TheMenuExportsThroughTheSharedManagerAndSaysOnceWhenItFails) {
  test::LaunchedMachine m;
  AnsweredPanels answered;
  ShellContext context = m.context();
  StandardHooks::installStatisticsHooks(context.hooks);
  {
    ApplicationShell shell(std::move(context));
    shell.launch();
    MainController& controller = shell.mainController();
    ASSERT_TRUE(controller.canPerform(QStringLiteral("exportAsCSV")));

    QTemporaryDir folder;
    answered.panels.answer = folder.filePath(QStringLiteral("log.csv"));
    // Written off the window's thread; the item waits while it is.
    FullFeaturedStatisticsManager& manager = FullFeaturedStatisticsManager::sharedInstance();
    QSignalSpy finished(&manager, &StatisticsManager::csvExportFinished);
    controller.tryToPerform(QStringLiteral("exportAsCSV"));
    EXPECT_TRUE(manager.isExportingCSV());
    EXPECT_FALSE(controller.canPerform(QStringLiteral("exportAsCSV")));
    controller.tryToPerform(QStringLiteral("exportAsCSV"));
    EXPECT_EQ(answered.panels.saveRequests.size(), 1) << "no second panel meanwhile";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 10000));
    EXPECT_TRUE(finished.first().first().toBool());
    EXPECT_TRUE(controller.canPerform(QStringLiteral("exportAsCSV")));
    QFile written(folder.filePath(QStringLiteral("log.csv")));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readLine().startsWith("uuid,start,end,"));
    EXPECT_TRUE(m.alerts.shown.isEmpty());

    // A folder where the file should go cannot be replaced.
    answered.panels.answer = folder.path();
    controller.tryToPerform(QStringLiteral("exportAsCSV"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 2; }, 10000));
    EXPECT_FALSE(finished.last().first().toBool());
    ASSERT_EQ(m.alerts.shown.size(), 1);
    EXPECT_EQ(m.alerts.shown.first().messageText, QStringLiteral("The log could not be exported."));
  }
  StandardHooks::removeStatisticsHooks();
}

TEST(StatisticsWiring, WithoutAnExporterTheMenuItemIsDisabled) {
  test::LaunchedMachine m;
  AnsweredPanels answered;
  ApplicationShell shell(m.context());
  shell.launch();
  EXPECT_FALSE(shell.mainController().canPerform(QStringLiteral("exportAsCSV")));
  shell.mainController().exportAsCSV();
  EXPECT_TRUE(answered.panels.saveRequests.isEmpty());
}
