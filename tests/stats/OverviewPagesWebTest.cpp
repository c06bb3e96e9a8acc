// The overview pages as the web engine draws them.
#include "engine/LogFileManager.h"
#include "platform/linux/web/WebEngineHtmlView.h"
#include "platform/settings/UserDefaults.h"
#include "stats/FullFeaturedStatisticsManager.h"

#include "StatsFixture.h"
#include "support/PageGrab.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <gtest/gtest.h>

using namespace kr;
using test::berlin;

namespace {

constexpr int kWaitMs = 30000;

class OverviewPagesWebTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(test::useBerlinTime());
    clock.setDate(berlin(2026, 3, 31, 15)); // Tuesday
    defaults.registerDefaults({{"currentlyDisplayedStatistic", 0}, {"filtering", false}});
    view.resize(900, 560);
    view.show();
    manager.setStatisticsWebView(&view);
  }

  void reloadLogs() {
    QSignalSpy finished(&logFiles, &LogFileManager::reloadFinished);
    logFiles.internalAyncUpdate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, kWaitMs));
  }

  // Shows statistic `number` and waits until the page has loaded.
  void showStatistic(int number) {
    QSignalSpy loaded(&view, &HtmlView::loadFinished);
    defaults.setValue(QStringLiteral("currentlyDisplayedStatistic"), number);
    manager.load();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kWaitMs));
    ASSERT_TRUE(loaded.last().at(0).toBool());
  }

  QVariant evaluate(const QString& script) {
    QVariant result;
    bool done = false;
    view.engineView()->page()->runJavaScript(script, [&](const QVariant& value) {
      result = value;
      done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, kWaitMs)) << qPrintable(script);
    return result;
  }

  // Waits until the chart has drawn `bars` bar segments.
  bool waitForBars(int bars) {
    return QTest::qWaitFor(
        [&] {
          return evaluate(QStringLiteral("document.querySelectorAll('line.ct-bar').length"))
                     .toInt() == bars;
        },
        kWaitMs);
  }

  QStringList yLabels() {
    return evaluate(QStringLiteral("Array.from(document.querySelectorAll('.ct-label.ct-vertical'))"
                                   ".map(function (e) { return e.textContent; })"))
        .toStringList();
  }

  void screenshot(const QString& name) {
    QTest::qWait(0); // let the last frame reach the window
    EXPECT_TRUE(test::grabWithPages(&view).save(QStringLiteral(KR_SCREENSHOT_DIR "/") + name));
  }

  test::TestClock clock;
  QTemporaryDir dir;
  UserDefaults defaults{dir.path() + QStringLiteral("/settings.conf")};
  test::LogFolderFixture logs;
  LogFileManager logFiles{[this] { return logs.folder(); }};
  WebEngineHtmlView view;
  FullFeaturedStatisticsManager manager{&logFiles, &defaults};
};

} // namespace

TEST_F(OverviewPagesWebTest, SevenFourteenAndTwentyEightDaysDrawTheirBarsLegendAndAxis) {
  ASSERT_TRUE(logs.add(berlin(2026, 3, 31, 9), 1500, QStringLiteral("experienced flow")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 30, 9), 1200, QStringLiteral("highly focused")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 29, 9), 900, QStringLiteral("good")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 28, 9), 600, QStringLiteral("distracted")));
  // Ninety minutes eight days ago: only the longer overviews count it in hours.
  ASSERT_TRUE(logs.add(berlin(2026, 3, 23, 9), 5400, QStringLiteral("good")));
  reloadLogs();

  showStatistic(0);
  ASSERT_TRUE(waitForBars(4 * 7));
  EXPECT_EQ(evaluate(QStringLiteral("document.querySelectorAll('#legend li').length")).toInt(), 4);
  EXPECT_EQ(evaluate(QStringLiteral("Array.from(document.querySelectorAll('#legend li'))"
                                    ".map(function (e) { return e.textContent; }).join('|')"))
                .toString(),
            QStringLiteral("Experienced Flow|Highly Focused|Good|Distracted"));
  EXPECT_EQ(yLabels(), (QStringList{"0", "15", "30", "45", "60"}));
  EXPECT_EQ(evaluate(QStringLiteral("document.querySelector('.ct-label.ct-horizontal')"
                                    ".textContent"))
                .toString(),
            QStringLiteral("Wednesday"));
  EXPECT_EQ(evaluate(QStringLiteral("document.querySelector('line.ct-bar')"
                                    ".getAttribute('style')"))
                .toString(),
            QStringLiteral("stroke-width: 7.0%"));
  screenshot(QStringLiteral("overview-7-days.png"));

  showStatistic(5);
  ASSERT_TRUE(waitForBars(4 * 14));
  const QStringList hours = yLabels();
  ASSERT_FALSE(hours.isEmpty());
  EXPECT_EQ(hours.first(), QString());
  for (const QString& label : hours.mid(1))
    EXPECT_TRUE(label.endsWith(QStringLiteral(" h"))) << qPrintable(label);
  screenshot(QStringLiteral("overview-14-days.png"));

  showStatistic(6);
  ASSERT_TRUE(waitForBars(4 * 28));
  EXPECT_EQ(evaluate(QStringLiteral("document.querySelectorAll('#legend li').length")).toInt(), 4);
  EXPECT_FALSE(yLabels().isEmpty());
  screenshot(QStringLiteral("overview-28-days.png"));
}

TEST_F(OverviewPagesWebTest, AFileThatCannotBeShownLeavesOneLineAndTheNextLoadShowsAgain) {
  QSignalSpy loaded(&view, &HtmlView::loadFinished);
  view.loadFile(dir.path() + QStringLiteral("/missing.html"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kWaitMs));
  EXPECT_FALSE(loaded.last().at(0).toBool());
  EXPECT_EQ(view.shownLine(), QStringLiteral("This page could not be shown."));

  showStatistic(0);
  EXPECT_TRUE(view.shownLine().isEmpty());
  EXPECT_TRUE(waitForBars(4 * 7));

  // A renderer that dies leaves its line; the next refresh shows the page.
  view.engineView()->load(QUrl(QStringLiteral("chrome://crash")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view.shownLine().isEmpty(); }, kWaitMs));
  EXPECT_EQ(view.shownLine(), QStringLiteral("The web engine stopped while showing this page."));
  showStatistic(0);
  EXPECT_TRUE(view.shownLine().isEmpty());
  EXPECT_TRUE(waitForBars(4 * 7));
}

TEST(WebEngineHtmlViewTest, ALoadWhileHiddenWaitsForTheEngine) {
  QTemporaryDir dir;
  QFile page(dir.path() + QStringLiteral("/page.html"));
  ASSERT_TRUE(page.open(QIODevice::WriteOnly));
  page.write("<html><body><a id='in' href='#part'>in</a><p id='part'>x</p></body></html>");
  page.close();
  WebEngineHtmlView view;
  view.loadFile(page.fileName());
  EXPECT_EQ(view.engineView(), nullptr);
  EXPECT_EQ(view.url(), QUrl::fromLocalFile(page.fileName()));
  QSignalSpy loaded(&view, &HtmlView::loadFinished);
  view.show();
  ASSERT_NE(view.engineView(), nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kWaitMs));
  EXPECT_TRUE(loaded.last().at(0).toBool());
  EXPECT_EQ(view.engineView()->contextMenuPolicy(), Qt::NoContextMenu);
  EXPECT_TRUE(view.engineView()->page()->profile()->isOffTheRecord());

  // A move within the page is a finished load too.
  loaded.clear();
  view.engineView()->page()->runJavaScript(QStringLiteral("location.hash = 'part';"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kWaitMs));
  EXPECT_EQ(view.url().fragment(), QStringLiteral("part"));
  EXPECT_TRUE(view.canGoBack());
}
