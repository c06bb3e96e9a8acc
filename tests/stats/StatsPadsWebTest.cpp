// The statistics pad and the log book as they look with the web engine:
// screenshots in the build folder.
#include "engine/DataModel.h"
#include "engine/LogFileManager.h"
#include "platform/linux/web/WebEngineHtmlView.h"
#include "platform/services/HtmlView.h"
#include "platform/settings/UserDefaults.h"
#include "stats/LogBookTableView.h"
#include "stats/LogBookTableViewController.h"
#include "stats/StatsViewController.h"

#include "StatsFixture.h"
#include "support/DarkPalette.h"
#include "support/FreshDefaults.h"
#include "support/PageGrab.h"
#include "support/TestClock.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

using namespace kr;
using test::berlin;

namespace {

constexpr int kWaitMs = 30000;

// A plain-text log entry with an objective.
bool writeEntry(const QString& folder, int id, const QDateTime& start, double seconds,
                const QString& rating, const QString& tags, const QString& objective) {
  QFile file(folder + QStringLiteral("/System Log %1 (9-9-9-%2).txt")
                          .arg(start.toString(QStringLiteral("yyyy-MM-dd")))
                          .arg(id));
  const QString text =
      QStringLiteral("#TimeSlice\nW%1\n#objective\n%2\n#startDate\n%3\n#actualDuration\n%4\n"
                     "#focusRating\n%5\n#tags\n%6\n")
          .arg(id)
          .arg(objective, start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
          .arg(seconds)
          .arg(rating, tags);
  return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
}

void save(QWidget* widget, const QString& name) {
  QTest::qWait(0);
  EXPECT_TRUE(test::grabWithPages(widget).save(QStringLiteral(KR_SCREENSHOT_DIR "/") + name));
}

} // namespace

TEST(StatsPadsWebTest, TheStatisticsPadWithFiltersAndTheLogBookWithEveryKindOfRow) {
  ASSERT_TRUE(test::useBerlinTime());
  test::freshStandardDefaults();
  test::TestClock clock;
  clock.setDate(berlin(2026, 3, 31, 15));
  UserDefaults& defaults = UserDefaults::standard();
  defaults.registerDefaults({{"currentlyDisplayedStatistic", 0},
                             {"statsRadioButtonChoice", 0},
                             {"statsDateMode", 0},
                             {"statsFromDate", "2000-01-01"},
                             {"statsToDate", "2014-01-01"},
                             {"filtering", false},
                             {"tagFilter", ""}});
  defaults.setValue(QStringLiteral("currentlyDisplayedStatistic"), 6);
  defaults.setValue(QStringLiteral("filtering"), true);

  test::LogFolderFixture logs;
  const QString ratings[] = {"experienced flow", "highly focused", "good", "distracted",
                             "undefined"};
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(writeEntry(logs.folder(), i, berlin(2026, 3, 31 - i, 9 + i % 5), 600 + 300 * i,
                           ratings[i % 5], i % 2 ? QStringLiteral("writing,client-a") : QString(),
                           i % 3 ? QStringLiteral("Draft the report")
                                 : QStringLiteral("Review the quarterly figures with the whole "
                                                  "team and agree on the next steps")));
  }
  LogFileManager logFiles{[&] { return logs.folder(); }};
  HtmlView::installFactory([](QWidget* parent) { return new WebEngineHtmlView(parent); });
  {
    StatsViewController stats(false, &logFiles);
    LogBookTableViewController logBook(false, &logFiles);
    QSignalSpy finished(&logFiles, &LogFileManager::reloadFinished);
    logFiles.internalAyncUpdate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, kWaitMs));

    QWidget* statsView = stats.view();
    statsView->resize(420, 560);
    statsView->show();
    QSignalSpy loaded(stats.webView.data(), &HtmlView::loadFinished);
    clock.advance(1.0); // the refresh after the reload
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kWaitMs));
    EXPECT_TRUE(loaded.last().at(0).toBool());
    // The chart has drawn its bars.
    auto* web = static_cast<WebEngineHtmlView*>(stats.webView.data());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          bool done = false;
          int bars = 0;
          web->engineView()->page()->runJavaScript(
              QStringLiteral("document.querySelectorAll('line.ct-bar').length"),
              [&](const QVariant& value) {
                bars = value.toInt();
                done = true;
              });
          return QTest::qWaitFor([&] { return done; }, kWaitMs) && bars > 0;
        },
        kWaitMs));
    save(statsView, QStringLiteral("stats-pad-filters-28-days.png"));

    QWidget* book = logBook.view();
    book->resize(420, 560);
    book->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(book));
    // The rows in view are measured as the pad shows.
    ASSERT_TRUE(QTest::qWaitFor([&] { return logBook.measuredRowCount() > 0; }, kWaitMs));
    save(book, QStringLiteral("log-book.png"));
    EXPECT_EQ(logBook.numberOfRows(), 20);

    // The same under a dark desktop palette.
    const QPalette light = QApplication::palette();
    QApplication::setPalette(test::darkDesktopPalette());
    QCoreApplication::processEvents();
    save(statsView, QStringLiteral("stats-pad-filters-28-days-dark.png"));
    save(book, QStringLiteral("log-book-dark.png"));
    QApplication::setPalette(light);
  }
  HtmlView::installFactory(nullptr);
}
