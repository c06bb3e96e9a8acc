// The day-of-week, hour-of-day and report pages as the web engine draws them.
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
#include <QWebEngineView>

#include <gtest/gtest.h>

using namespace kr;
using test::berlin;

namespace {

constexpr int kWaitMs = 30000;

class PercentPagesWebTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(test::useBerlinTime());
    clock.setDate(berlin(2026, 3, 31, 15)); // Tuesday
    defaults.registerDefaults({{"currentlyDisplayedStatistic", 1},
                               {"filtering", false},
                               {"statsRadioButtonChoice", 0},
                               {"statsDateMode", 0}});
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

  int count(const QString& selector) {
    return evaluate(QStringLiteral("document.querySelectorAll('%1').length").arg(selector)).toInt();
  }
  bool waitForCount(const QString& selector, int expected) {
    return QTest::qWaitFor([&] { return count(selector) == expected; }, kWaitMs);
  }
  QStringList texts(const QString& selector) {
    return evaluate(QStringLiteral("Array.from(document.querySelectorAll('%1'))"
                                   ".map(function (e) { return e.textContent; })")
                        .arg(selector))
        .toStringList();
  }
  // Every drawn bar runs left to right: a horizontal line.
  bool barsAreHorizontal() {
    return evaluate(QStringLiteral("Array.from(document.querySelectorAll('line.ct-bar'))"
                                   ".every(function (e) { return e.getAttribute('y1') === "
                                   "e.getAttribute('y2'); })"))
        .toBool();
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

TEST_F(PercentPagesWebTest, DayAndHourPagesDrawHorizontalPercentBarsAndTheReportItsDonut) {
  ASSERT_TRUE(logs.add(berlin(2026, 3, 27, 9), 1200, QStringLiteral("distracted")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 27, 10), 3600, QStringLiteral("experienced flow")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 30, 14), 1800, QStringLiteral("highly focused")));
  ASSERT_TRUE(logs.add(berlin(2026, 3, 31, 21), 4000, QStringLiteral("good")));
  reloadLogs();
  test::ConsoleCapture console;

  showStatistic(1);
  ASSERT_TRUE(waitForCount(QStringLiteral("line.ct-bar"), 4 * 7));
  EXPECT_TRUE(barsAreHorizontal());
  EXPECT_EQ(texts(QStringLiteral(".ct-label.ct-horizontal")),
            (QStringList{"", "25%", "50%", "75%", ""}));
  EXPECT_EQ(
      texts(QStringLiteral(".ct-label.ct-vertical")),
      (QStringList{"Sunday", "Saturday", "Friday", "Thursday", "Wednesday", "Tuesday", "Monday"}));
  EXPECT_EQ(texts(QStringLiteral("#legend li")).join(u'|'),
            QStringLiteral("Experienced Flow|Highly Focused|Good|Distracted"));
  screenshot(QStringLiteral("day-of-week.png"));

  showStatistic(3);
  ASSERT_TRUE(waitForCount(QStringLiteral("line.ct-bar"), 4 * 11)); // 8 am to 5 pm and 9 pm
  EXPECT_TRUE(barsAreHorizontal());
  EXPECT_EQ(texts(QStringLiteral(".ct-label.ct-horizontal")),
            (QStringList{"", "25%", "50%", "75%", ""}));
  EXPECT_EQ(texts(QStringLiteral(".ct-label.ct-vertical")).first(), QStringLiteral("9 pm"));
  EXPECT_EQ(count(QStringLiteral("#legend li")), 4);
  screenshot(QStringLiteral("hour-of-day.png"));

  showStatistic(4);
  ASSERT_TRUE(waitForCount(QStringLiteral("path.ct-slice-donut"), 4));
  EXPECT_EQ(texts(QStringLiteral("#legend li")).join(u'|'),
            QStringLiteral("Experienced Flow|Highly Focused|Good|Distracted"));
  EXPECT_EQ(
      texts(QStringLiteral("#value_table td")),
      (QStringList{"Hours:", "2 hours 56 minutes", "Time Slices:", "4", "Distinct Days:", "3"}));
  EXPECT_EQ(texts(QStringLiteral("text.ct-label")), (QStringList{"33%", "16%", "37%", "11%"}));
  screenshot(QStringLiteral("report.png"));
  EXPECT_FALSE(console.contains(QStringLiteral("script error")));
}

TEST_F(PercentPagesWebTest, EveryPageDrawsWithoutErrorsOverAnEmptyLog) {
  reloadLogs();
  test::ConsoleCapture console;
  showStatistic(1);
  ASSERT_TRUE(waitForCount(QStringLiteral("line.ct-bar"), 4 * 7));
  EXPECT_EQ(texts(QStringLiteral(".ct-label.ct-horizontal")),
            (QStringList{"", "25%", "50%", "75%", ""}));
  showStatistic(3);
  ASSERT_TRUE(waitForCount(QStringLiteral("line.ct-bar"), 4 * 10));
  EXPECT_EQ(texts(QStringLiteral(".ct-label.ct-vertical")).first(), QStringLiteral("5 pm"));
  showStatistic(4);
  ASSERT_TRUE(waitForCount(QStringLiteral("#legend li"), 4));
  EXPECT_EQ(texts(QStringLiteral("#value_table td.value")),
            (QStringList{"Less than one minute", "0", "0"}));
  EXPECT_EQ(count(QStringLiteral("path.ct-slice-donut")), 4);
  screenshot(QStringLiteral("report-empty.png"));
  EXPECT_FALSE(console.contains(QStringLiteral("script error")));
}
