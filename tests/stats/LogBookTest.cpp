// The log book over hand-made logs: order, texts, looks, row heights, the row
// menus and what they do, and how it keeps up with a long log.
#include "art/KorvaneStyleKit.h"
#include "engine/DataModel.h"
#include "engine/DateHelper.h"
#include "engine/FullDataSet.h"
#include "engine/FullTimeSlice.h"
#include "engine/LogFileManager.h"
#include "kit/text/ObjectiveTextView.h"
#include "platform/drawing/SystemFont.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/services/TestUrlOpener.h"
#include "platform/services/UrlOpenerAPI.h"
#include "platform/settings/UserDefaults.h"
#include "stats/LogBookColumnView.h"
#include "stats/LogBookRowLayout.h"
#include "stats/LogBookTableView.h"
#include "stats/LogBookTableViewController.h"

#include "StatsFixture.h"
#include "support/FreshDefaults.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <ctime>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kr;

namespace {

struct Entry {
  QString uuid;
  QDateTime start;
  double actualSeconds = 600;
  QString rating = QStringLiteral("good");
  QString tags;
  RichText objective;
};

CharFormat linkTo(const QString& url) {
  CharFormat format;
  format.link = url;
  return format;
}

RichText text(const QString& plain) { return RichText(plain); }

// The rich text of one logged entry, as the log writer lays it out.
RichText entryText(const Entry& entry) {
  const QString start = entry.start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  RichText out;
  out.append(QStringLiteral("#TimeSlice\n%1\n#objective\n").arg(entry.uuid));
  out.append(entry.objective);
  out.append(
      QStringLiteral("\n#duration\n1500\n#actualDuration\n%1\n#startDate\n%2\n#endDate\n%2\n"
                     "#completed\nYES\n#focusRating\n%3\n#tags\n%4\n")
          .arg(QString::number(entry.actualSeconds, 'g', 17), start, entry.rating, entry.tags));
  return out;
}

class LogBookTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(test::useBerlinTime());
    test::freshStandardDefaults();
    ASSERT_TRUE(QDir().mkpath(folder()));
    UrlOpenerAPI::install(&opener);
  }
  void TearDown() override { UrlOpenerAPI::install(nullptr); }

  QString folder() const { return dir.path() + QStringLiteral("/System Logs"); }

  // Replaces the whole log by these entries (one new day file).
  void writeLog(const std::vector<Entry>& entries) {
    QDir(folder()).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(folder()));
    RichText all;
    for (const Entry& entry : entries)
      all.append(entryText(entry));
    const QString package = folder() + QStringLiteral("/System Log Day 2026-03-%1 (abc).rtfd")
                                           .arg(++files_, 2, 10, QLatin1Char('0'));
    QString error;
    ASSERT_TRUE(RtfdPackage::write(package, all, &error)) << error.toStdString();
  }
  void reload() {
    QSignalSpy finished(&logFiles, &LogFileManager::reloadFinished);
    logFiles.internalAyncUpdate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 20000));
  }
  QString uuidOfRow(int row) const { return controller->dataSet().at(std::size_t(row))->uuid(); }

  std::vector<Entry> fiveKinds() const {
    RichText twoLinks(QStringLiteral("see "));
    twoLinks.append(QStringLiteral("the task"), linkTo(QStringLiteral("omnifocus:///task/kX1")));
    twoLinks.append(QStringLiteral(" and "));
    twoLinks.append(QStringLiteral("figures"), linkTo(QStringLiteral("https://example.org/q3")));
    RichText oneLink(QStringLiteral("plan "));
    oneLink.append(QStringLiteral("this"), linkTo(QStringLiteral("korvaner2things://show?id=A1")));
    return {
        {"A", test::berlin(2026, 3, 1, 9), 30, "experienced flow", "a,b,,c", text("first")},
        {"B", test::berlin(2026, 3, 2, 10), 3900, "highly focused", "a, b", oneLink},
        {"C", test::berlin(2026, 3, 3, 11), 7260, "good", "", twoLinks},
        {"D", test::berlin(2026, 3, 4, 12), 600, "distracted", "x", text("fourth")},
        {"E", test::berlin(2026, 3, 5, 13), 59.9, "undefined", "", text("fifth")},
    };
  }

  QTemporaryDir dir;
  TestUrlOpener opener;
  LogFileManager logFiles{[this] { return folder(); }};
  std::unique_ptr<LogBookTableViewController> controller =
      std::make_unique<LogBookTableViewController>(false, &logFiles);
  int files_ = 0;
};

} // namespace

TEST_F(LogBookTest, BeforeTheFirstReadThereAreNoRows) {
  EXPECT_EQ(controller->numberOfRows(), 0);
  EXPECT_FALSE(controller->rowView(0));
  EXPECT_EQ(controller->makeRowMenu(0), nullptr);
  controller->makeCurrentObjective(0); // nothing to copy, nothing breaks
  EXPECT_FALSE(UserDefaults::standard().object(QStringLiteral("tags")).isValid());
}

TEST_F(LogBookTest, AnEmptyBookSaysSoOnceTheLogsHaveBeenRead) {
  EXPECT_EQ(controller->tableView()->emptyText(), QString()) << "nothing read yet";
  ASSERT_TRUE(QDir().mkpath(folder()));
  reload();
  EXPECT_EQ(controller->numberOfRows(), 0);
  EXPECT_EQ(controller->tableView()->emptyText(), QStringLiteral("No time slices logged yet."));
  writeLog(fiveKinds());
  reload();
  EXPECT_EQ(controller->numberOfRows(), 5);
  EXPECT_EQ(controller->tableView()->emptyText(), QString());
}

TEST_F(LogBookTest, RowsShowTheSlicesNewestFirstWithTheirTextsAndLooks) {
  writeLog(fiveKinds());
  reload();
  ASSERT_EQ(controller->numberOfRows(), 5);
  EXPECT_EQ(controller->tableView()->model()->rowCount(), 5);
  for (int row = 0; row < 5; ++row)
    EXPECT_EQ(uuidOfRow(row), QString(QChar(u'E' - row))) << row;

  struct Expected {
    QString duration, focus, tags;
    LogBookTextAttributes look;
  };
  const Expected expected[] = {
      {"LESS THAN ONE MINUTE", "UNDEFINED", "", LogBookTableViewController::plainAttributes()},
      {"10 MINUTES", "DISTRACTED", "x", LogBookTableViewController::distractedFocusAttributes()},
      {"2 HOURS 1 MINUTE", "GOOD", "", LogBookTableViewController::goodFocusAttributes()},
      {"1 HOUR 5 MINUTES", "HIGHLY FOCUSED", "a,  b",
       LogBookTableViewController::highlyFocusedAttributes()},
      {"LESS THAN ONE MINUTE", "FLOW", "a, b, c",
       LogBookTableViewController::flowFocusAttributes()},
  };
  for (int row = 0; row < 5; ++row) {
    const std::optional<LogBookColumnView> view = controller->rowView(row);
    ASSERT_TRUE(view);
    const FullTimeSlice& slice = *controller->dataSet()[std::size_t(row)];
    const QString start = DateHelper::sharedHelper().formattedDate(slice.startDate()) +
                          QStringLiteral(" at ") +
                          DateHelper::sharedHelper().formattedTime(slice.startDate());
    EXPECT_EQ(view->startDateAttributedString->text, start);
    EXPECT_EQ(view->durationAttributedString->text, expected[row].duration) << row;
    EXPECT_EQ(view->focusLevelAttributedString->text, expected[row].focus) << row;
    const LogBookTextAttributes& look = view->focusLevelAttributedString->attributes;
    EXPECT_EQ(look.color, expected[row].look.color) << row;
    EXPECT_EQ(look.whiteShadow, expected[row].look.whiteShadow) << row;
    EXPECT_EQ(look.plain, expected[row].look.plain) << row;
    EXPECT_EQ(view->tagAttributedString.has_value(), !expected[row].tags.isEmpty()) << row;
    if (view->tagAttributedString) {
      EXPECT_EQ(view->tagAttributedString->text, expected[row].tags) << row;
    }
  }
  // The start date reads "<date> at <time>" with the date's own numbers.
  EXPECT_TRUE(controller->rowView(4)->startDateAttributedString->text.contains(
      QStringLiteral(" at 09:00:00")));
  // The looks of the focus levels.
  EXPECT_EQ(LogBookTableViewController::flowFocusAttributes().color, QColor::fromRgbF(1, 0, 0));
  EXPECT_TRUE(LogBookTableViewController::flowFocusAttributes().alignRight);
  EXPECT_FALSE(LogBookTableViewController::goodFocusAttributes().whiteShadow);
  EXPECT_EQ(LogBookTableViewController::durationLabelAttributes().font,
            namedFontOrSystemFont(QStringLiteral("Helvetica"), 9.0));
  EXPECT_EQ(LogBookTableViewController::tagLabelAttributes().font,
            namedFontOrSystemFont(QStringLiteral("Helvetica"), 11.0));
}

TEST_F(LogBookTest, WorkedTimesThatAreNoNumberOfSecondsShowAsZero) {
  EXPECT_EQ(LogBookColumnView::durationText(3900.99), QStringLiteral("1 HOUR 5 MINUTES"));
  EXPECT_EQ(LogBookColumnView::durationText(7260), QStringLiteral("2 HOURS 1 MINUTE"));
  for (double odd : {std::nan(""), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity(), 1e300, -1e300})
    EXPECT_EQ(LogBookColumnView::durationText(odd), QStringLiteral("LESS THAN ONE MINUTE")) << odd;
  EXPECT_EQ(LogBookColumnView::formatTagsString(QStringLiteral("a,b,,c")),
            QStringLiteral("a, b, c"));
  EXPECT_EQ(LogBookColumnView::formatTagsString(QStringLiteral(",a, b,")), QStringLiteral("a,  b"));
  EXPECT_TRUE(LogBookColumnView::startText(QDateTime()).isEmpty());
}

TEST_F(LogBookTest, HeightsLeaveOutOneFinalLineBreakAndAddTheTagLine) {
  auto slice = [](const QString& objective, const QString& tags) {
    FullTimeSlice s;
    s.setObjectiveText(RichText(objective));
    s.setTagString(tags);
    return s;
  };
  const double width = 300;
  const double plain = LogBookTableViewController::rowHeight(slice("one", ""), width);
  const double oneBreak = LogBookTableViewController::rowHeight(slice("one\n", ""), width);
  const double twoBreaks = LogBookTableViewController::rowHeight(slice("one\n\n", ""), width);
  const double twoLines = LogBookTableViewController::rowHeight(slice("one\ntwo", ""), width);
  EXPECT_EQ(oneBreak, plain);
  EXPECT_EQ(twoBreaks, twoLines);
  EXPECT_GT(twoBreaks, plain);
  EXPECT_EQ(LogBookTableViewController::rowHeight(slice("one", "a"), width), plain + 23.0);
  EXPECT_EQ(plain, LogBookTableViewController::objectiveHeight(slice("one", ""), width) + 33.0);
  // An objective that cannot be read is measured like an empty one.
  FullTimeSlice unreadable;
  unreadable.setObjectiveAsRTFD(QByteArray("\x01\x02 not rtfd"));
  EXPECT_EQ(LogBookTableViewController::rowHeight(unreadable, width),
            LogBookTableViewController::rowHeight(slice("", ""), width));
  EXPECT_FALSE(LogBookColumnView::forSlice(unreadable, {}).tagAttributedString);
  // A long objective grows as the column narrows.
  const QString longText = QString(QStringLiteral("word ")).repeated(60);
  EXPECT_GT(LogBookTableViewController::rowHeight(slice(longText, ""), 150),
            LogBookTableViewController::rowHeight(slice(longText, ""), 600));
}

TEST_F(LogBookTest, RowHeightsFollowTheColumnWidth) {
  Entry wide{"W", test::berlin(2026, 3, 1, 9),
             600, "good",
             "t", text(QString(QStringLiteral("word ")).repeated(80))};
  writeLog({wide});
  reload();
  LogBookTableView* table = controller->tableView();
  QWidget* root = controller->view();
  root->resize(600, 400);
  root->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(root));
  QCoreApplication::processEvents();
  ASSERT_GT(table->columnWidth(), 500);
  const double atWide = controller->heightOfRow(0);
  EXPECT_EQ(atWide,
            LogBookTableViewController::rowHeight(*controller->dataSet()[0], table->columnWidth()));
  root->resize(200, 400);
  QCoreApplication::processEvents();
  ASSERT_LT(table->columnWidth(), 210);
  const double atNarrow = controller->heightOfRow(0);
  EXPECT_GT(atNarrow, atWide);
  EXPECT_EQ(atNarrow,
            LogBookTableViewController::rowHeight(*controller->dataSet()[0], table->columnWidth()));
  EXPECT_EQ(controller->heightOfRow(5), 0.0);
}

TEST_F(LogBookTest, RowMenusOfferTheObjectiveAndOneItemPerLink) {
  writeLog(fiveKinds());
  reload();
  auto titles = [](QMenu* menu) {
    QStringList out;
    for (QAction* action : menu->actions())
      out << action->text();
    return out;
  };
  const auto none = controller->makeRowMenu(0);
  EXPECT_EQ(titles(none.get()), QStringList{"Make current objective"});
  const auto one = controller->makeRowMenu(3);
  EXPECT_EQ(titles(one.get()), (QStringList{"Make current objective", "Show task in Things"}));
  const auto two = controller->makeRowMenu(2);
  EXPECT_EQ(titles(two.get()), (QStringList{"Make current objective", "Show task in OmniFocus",
                                            "Open \"https://example.org/q3\""}));
  two->actions().at(2)->trigger();
  one->actions().at(1)->trigger();
  EXPECT_EQ(opener.opened, (QList<QUrl>{QUrl(QStringLiteral("https://example.org/q3")),
                                        QUrl(QStringLiteral("korvaner2things://show?id=A1"))}));
  // Only the task link is let go quietly when nothing takes it.
  EXPECT_EQ(opener.openedQuietly,
            QList<QUrl>{QUrl(QStringLiteral("korvaner2things://show?id=A1"))});
  EXPECT_EQ(controller->makeRowMenu(5), nullptr);
  EXPECT_EQ(controller->makeRowMenu(-1), nullptr);
}

TEST_F(LogBookTest, MakeCurrentObjectiveWritesTheSliceTheRowShowedAfterAReload) {
  std::vector<Entry> entries = fiveKinds();
  writeLog(entries);
  reload();
  // The menu of row 1 ("D") is open while the log changes under it: D is
  // gone and another slice now sits at row 1.
  const auto menu = controller->makeRowMenu(1);
  const QByteArray shownObjective = controller->dataSet()[1]->objectiveAsRTFD();
  entries.erase(entries.begin() + 3);
  entries.push_back({"F", test::berlin(2026, 3, 6, 9), 600, "good", "f", text("sixth")});
  writeLog(entries);
  reload();
  ASSERT_EQ(uuidOfRow(1), QStringLiteral("E"));
  menu->actions().at(0)->trigger();
  UserDefaults& defaults = UserDefaults::standard();
  EXPECT_EQ(defaults.string(QStringLiteral("tags")), QStringLiteral("x"));
  EXPECT_EQ(defaults.object(QStringLiteral("objective")).toByteArray(), shownObjective);
  const std::optional<RichText> stored =
      RtfdPackage::fromData(defaults.object(QStringLiteral("objective")).toByteArray());
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->plainText(), QStringLiteral("fourth"));
  // By row number, the row as it is now.
  controller->makeCurrentObjective(0);
  EXPECT_EQ(defaults.string(QStringLiteral("tags")), QStringLiteral("f"));
  controller->makeCurrentObjective(99);
  EXPECT_EQ(defaults.string(QStringLiteral("tags")), QStringLiteral("f"));
}

TEST_F(LogBookTest, LinkItemsShowAmpersandsAsTypedAndANewObjectiveIsSelectedWhole) {
  RichText linked(QStringLiteral("read "));
  linked.append(QStringLiteral("this"), linkTo(QStringLiteral("https://example.org/?a=1&b=2")));
  writeLog({{"A", test::berlin(2026, 3, 1, 9), 600, "good", "R&D", linked}});
  reload();
  const auto menu = controller->makeRowMenu(0);
  ASSERT_EQ(menu->actions().size(), 2);
  QAction* link = menu->actions().at(1);
  EXPECT_EQ(link->text(), QStringLiteral("Open \"https://example.org/?a=1&&b=2\""));
  EXPECT_TRUE(QKeySequence::mnemonic(link->text()).isEmpty());
  link->trigger();
  EXPECT_EQ(opener.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/?a=1&b=2"))});

  // The editor had part of the old objective selected.
  UserDefaults::standard().setValue(QStringLiteral("objective"),
                                    RtfdPackage::toData(RichText(QStringLiteral("old text"))));
  ObjectiveTextView editor;
  DataModel::shared().bindObjective(&editor);
  QTextCursor cursor = editor.textCursor();
  cursor.setPosition(1);
  cursor.setPosition(3, QTextCursor::KeepAnchor);
  editor.setTextCursor(cursor);
  menu->actions().at(0)->trigger();
  EXPECT_EQ(editor.toPlainText().trimmed(), QStringLiteral("read this"));
  EXPECT_EQ(editor.textCursor().selectedText().trimmed(), QStringLiteral("read this"));
  EXPECT_EQ(UserDefaults::standard().string(QStringLiteral("tags")), QStringLiteral("R&D"));
}

TEST_F(LogBookTest, TheNewestSliceIsRowZeroAfterItWasLogged) {
  std::vector<Entry> entries = fiveKinds();
  writeLog(entries);
  reload();
  entries.push_back({"N", test::berlin(2026, 3, 7, 8), 1500, "good", "", text("new")});
  writeLog(entries);
  reload();
  ASSERT_EQ(controller->numberOfRows(), 6);
  EXPECT_EQ(uuidOfRow(0), QStringLiteral("N"));
}

TEST_F(LogBookTest, RowsArePaintedOverTheBackground) {
  writeLog(fiveKinds());
  reload();
  QWidget* root = controller->view();
  root->resize(420, 500);
  root->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(root));
  QCoreApplication::processEvents();
  const QImage shot = root->grab().toImage();
  LogBookTableView* table = controller->tableView();
  const QRect first = table->visualRect(table->model()->index(0, 0));
  ASSERT_GT(first.height(), 33);
  EXPECT_EQ(first.height(), int(std::ceil(controller->heightOfRow(0))));
  // The row's own background, not the list's, fills the row's middle.
  const QColor middle = shot.pixelColor(first.center().x(), first.top() + 20);
  EXPECT_GT(middle.blueF(), 0.9);
  EXPECT_NE(middle, KorvaneStyleKit::n2());

  // Under a dark desktop the objective's text stays dark on the light row.
  const QPalette light = QApplication::palette();
  QPalette dark(QColor(0x35, 0x35, 0x35));
  dark.setColor(QPalette::Text, Qt::white);
  dark.setColor(QPalette::WindowText, Qt::white);
  QApplication::setPalette(dark);
  const QImage darkShot = root->grab().toImage();
  QApplication::setPalette(light);
  double darkest = 1.0;
  for (int y = first.top() + 26; y < first.bottom() - 4; ++y) {
    for (int x = 4; x < first.width() - 20; ++x)
      darkest = std::min(darkest, double(darkShot.pixelColor(x, y).lightnessF()));
  }
  EXPECT_LT(darkest, 0.3);
}

// The rows' tops and the row at a height stay right however the heights change.
TEST(LogBookRowLayoutTest, TopsAndRowsAtHeightsFollowEveryChange) {
  LogBookRowLayout layout;
  EXPECT_EQ(layout.rowAt(10), -1);
  EXPECT_EQ(layout.totalHeight(), 0);
  std::vector<int> heights(1000);
  for (std::size_t i = 0; i < heights.size(); ++i)
    heights[i] = int(33 + (i * 37) % 91);
  heights[17] = 0; // no row is flat
  layout.reset(heights);
  heights[17] = 1;
  auto check = [&] {
    qint64 top = 0;
    for (int row = 0; row < layout.count(); ++row) {
      ASSERT_EQ(layout.top(row), top) << row;
      ASSERT_EQ(layout.rowAt(top), row) << row;
      ASSERT_EQ(layout.rowAt(top + heights[std::size_t(row)] - 1), row) << row;
      top += heights[std::size_t(row)];
    }
    EXPECT_EQ(layout.totalHeight(), top);
    EXPECT_EQ(layout.rowAt(-5), 0);
    EXPECT_EQ(layout.rowAt(top + 100), layout.count() - 1);
  };
  check();
  for (int row : {0, 999, 511, 512, 17, 3}) {
    heights[std::size_t(row)] = 200 + row;
    layout.setMeasured(row, 200 + row);
  }
  layout.setMeasured(3, 203); // measured twice, counted once
  layout.setMeasured(1000, 50);
  EXPECT_EQ(layout.measuredCount(), 6);
  EXPECT_TRUE(layout.isMeasured(511));
  EXPECT_FALSE(layout.isMeasured(510));
  check();
}

namespace {

// A long log of `count` slices, every seventh with a long objective, the
// oldest twenty in large type (far taller than estimated); the oldest is "S0",
// the newest row 0.
void writeLongLog(const QString& folder, int count) {
  RichText all;
  CharFormat large;
  large.fontSize = 36;
  for (int i = 0; i < count; ++i) {
    const QString objective =
        i % 7 ? QStringLiteral("objective %1 with some words").arg(i)
              : QStringLiteral("objective %1 ").arg(i) +
                    QString(QStringLiteral("with many more words to wrap ")).repeated(12) +
                    QStringLiteral("\nand a second paragraph");
    RichText rich;
    rich.append(objective, i < 20 ? large : CharFormat());
    all.append(
        entryText({QStringLiteral("S%1").arg(i), test::berlin(2020, 1, 1).addSecs(qint64(i) * 3600),
                   600, "good", i % 3 ? QStringLiteral("t") : QString(), rich}));
  }
  QString error;
  ASSERT_TRUE(RtfdPackage::write(folder + QStringLiteral("/System Log Day 2020-01-01 (abc).rtfd"),
                                 all, &error))
      << error.toStdString();
}

// The row shown at the bottom of the list, and whether it ends there.
struct Bottom {
  int row = -1;
  bool endsThere = false;
};

Bottom bottomOf(LogBookTableView* table) {
  const int height = table->viewport()->height();
  const QModelIndex index = table->indexAt(QPoint(20, height - 1));
  return {index.row(), table->visualRect(index).bottom() == height - 1};
}

} // namespace

TEST_F(LogBookTest, TheScrollRangeCoversEveryRowBeforeAnyIsMeasured) {
  constexpr int kSlices = 3000;
  writeLongLog(folder(), kSlices);
  reload();
  QWidget* root = controller->view();
  root->resize(420, 600);
  LogBookTableView* table = controller->tableView();
  QScrollBar* bar = table->verticalScrollBar();
  ASSERT_EQ(controller->numberOfRows(), kSlices);
  // Hidden: nothing measured.
  EXPECT_EQ(controller->measuredRowCount(), 0);

  // Shown: only the rows in view are measured, yet the range covers every row.
  root->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(root));
  QCoreApplication::processEvents();
  const LogBookRowLayout& layout = table->rowLayout();
  const int measured = controller->measuredRowCount();
  EXPECT_GT(measured, 0);
  EXPECT_LT(measured, 40);
  // Rows not measured have their estimated heights, each its own slice's.
  for (int row : {measured + 1, kSlices / 2, kSlices - 1}) {
    EXPECT_FALSE(layout.isMeasured(row));
    EXPECT_EQ(layout.height(row),
              int(std::ceil(LogBookTableViewController::estimatedRowHeight(
                  *controller->dataSet()[std::size_t(row)], table->columnWidth()))))
        << row;
  }
  EXPECT_GE(layout.totalHeight(), qint64(kSlices) * 33);
  EXPECT_EQ(bar->maximum() + table->viewport()->height(), layout.totalHeight());
  // The rows in view have their measured heights.
  for (int row = 0; row < measured; ++row)
    EXPECT_EQ(table->visualRect(table->model()->index(row, 0)).height(),
              int(std::ceil(controller->heightOfRow(row))))
        << row;
  // The estimates are near what the rows measure: short, long and without tags.
  for (int row = 0; row < 7; ++row) {
    const FullTimeSlice& slice = *controller->dataSet()[std::size_t(row)];
    const double estimate =
        LogBookTableViewController::estimatedRowHeight(slice, table->columnWidth());
    const double height = controller->heightOfRow(row);
    EXPECT_NEAR(estimate, height, height * 0.35) << row;
  }
}

TEST_F(LogBookTest, EndKeyAndTheThumbDraggedToTheBottomShowTheOldestEntry) {
  constexpr int kSlices = 3000;
  writeLongLog(folder(), kSlices);
  reload();
  QWidget* root = controller->view();
  root->resize(420, 600);
  root->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(root));
  QCoreApplication::processEvents();
  LogBookTableView* table = controller->tableView();
  QScrollBar* bar = table->verticalScrollBar();
  auto showsTheOldest = [&] {
    const Bottom bottom = bottomOf(table);
    return bottom.row == kSlices - 1 && bottom.endsThere && uuidOfRow(bottom.row) == "S0" &&
           bar->value() == bar->maximum();
  };
  auto showsTheNewest = [&] {
    return bar->value() == 0 && table->visualRect(table->model()->index(0, 0)).top() == 0;
  };

  QTest::keyClick(table, Qt::Key_End);
  EXPECT_TRUE(showsTheOldest());
  EXPECT_EQ(table->currentIndex().row(), kSlices - 1);
  // Scrolling up brings rows of estimated height into view above: the rows
  // already shown stay where they were, moved by the scrolled distance only.
  for (int step = 0; step < 30; ++step) {
    const QModelIndex shown = table->indexAt(QPoint(20, 10));
    const int shownTop = table->visualRect(shown).top();
    const int measuredBefore = controller->measuredRowCount();
    bar->setValue(bar->value() - 100);
    ASSERT_EQ(table->visualRect(shown).top(), shownTop + 100) << step;
    if (controller->measuredRowCount() > measuredBefore)
      break;
    ASSERT_LT(step, 29) << "no row came into view";
  }
  QTest::keyClick(table, Qt::Key_Home);
  EXPECT_TRUE(showsTheNewest());
  EXPECT_EQ(table->currentIndex().row(), 0);
  QTest::keyClick(table, Qt::Key_End, Qt::ControlModifier);
  EXPECT_TRUE(showsTheOldest());
  QTest::keyClick(table, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_TRUE(showsTheNewest());
  // Down walks the rows, the current one kept in view.
  for (int i = 0; i < 12; ++i)
    QTest::keyClick(table, Qt::Key_Down);
  EXPECT_EQ(table->currentIndex().row(), 12);
  const QRect twelfth = table->visualRect(table->currentIndex());
  EXPECT_TRUE(table->viewport()->rect().contains(twelfth)) << twelfth.top();

  // The thumb, dragged by the mouse to the bottom and let go there.
  QTest::keyClick(table, Qt::Key_Home);
  QStyleOptionSlider option;
  option.initFrom(bar);
  option.orientation = Qt::Vertical;
  option.minimum = bar->minimum();
  option.maximum = bar->maximum();
  option.sliderPosition = bar->sliderPosition();
  option.sliderValue = bar->value();
  option.pageStep = bar->pageStep();
  option.singleStep = bar->singleStep();
  const QRect thumb =
      bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
  ASSERT_TRUE(thumb.isValid());
  QTest::mousePress(bar, Qt::LeftButton, {}, thumb.center());
  QTest::mouseMove(bar, QPoint(thumb.center().x(), bar->height() + 40));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(thumb.center().x(), bar->height() + 40));
  QCoreApplication::processEvents();
  EXPECT_TRUE(showsTheOldest()) << bar->value() << " of " << bar->maximum() << ", row "
                                << bottomOf(table).row;
  // Far fewer rows measured than there are.
  EXPECT_LT(controller->measuredRowCount(), 200);

  // A narrower column estimates every row again; the end stays shown.
  root->resize(300, 600);
  QCoreApplication::processEvents();
  EXPECT_TRUE(showsTheOldest());
}

TEST_F(LogBookTest, KeyboardFocusLandsInTheListAndOpensTheCurrentRowsMenu) {
  writeLog(fiveKinds());
  reload();
  QWidget window;
  auto* before = new QLineEdit(&window);
  controller->view()->setParent(&window);
  const auto giveBack = qScopeGuard([&] { controller->view()->setParent(nullptr); });
  controller->view()->setGeometry(0, 30, 420, 500);
  window.resize(420, 530);
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  LogBookTableView* table = controller->tableView();
  before->setFocus();
  // Tab from the field before it, and the pad itself taking the focus.
  QTest::keyClick(before, Qt::Key_Tab);
  EXPECT_TRUE(table->hasFocus());
  before->setFocus();
  controller->view()->setFocus();
  EXPECT_TRUE(table->hasFocus());
  // A click in a row, away from its pull-down.
  before->setFocus();
  const QRect second = table->visualRect(table->model()->index(1, 0));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, second.center());
  EXPECT_TRUE(table->hasFocus());
  EXPECT_EQ(table->currentIndex().row(), 1);

  // Return opens the pull-down of the current row: row 2 has two links.
  QSignalSpy asked(table, &LogBookTableView::pullDownClicked);
  QStringList shown;
  QTimer::singleShot(0, [&] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      for (QAction* action : menu->actions())
        shown << action->text();
      menu->close();
    }
  });
  QTest::keyClick(table, Qt::Key_Down);
  QTest::keyClick(table, Qt::Key_Return);
  ASSERT_EQ(asked.size(), 1);
  EXPECT_EQ(asked.at(0).at(0).toInt(), 2);
  EXPECT_EQ(shown, (QStringList{"Make current objective", "Show task in OmniFocus",
                                "Open \"https://example.org/q3\""}));
}

// A long log: the first rows show at once after a reload, the End key
// reaches the oldest row at once, and so does a width change, measuring only
// the rows in view.
TEST_F(LogBookTest, TwentyFiveThousandSlicesNeverHoldTheWindowUp) {
  constexpr int kSlices = 25000;
  {
    RichText all;
    for (int i = 0; i < kSlices; ++i) {
      all.append(entryText({QStringLiteral("S%1").arg(i),
                            test::berlin(2020, 1, 1).addSecs(qint64(i) * 3600), 600, "good",
                            i % 3 ? QStringLiteral("t") : QString(),
                            text(QStringLiteral("objective %1 with some words to wrap").arg(i))}));
    }
    QString error;
    ASSERT_TRUE(RtfdPackage::write(
        folder() + QStringLiteral("/System Log Day 2020-01-01 (abc).rtfd"), all, &error));
  }
  reload();
  ASSERT_EQ(logFiles.currentFullDataSet()->timeSlices().size(), std::size_t(kSlices));
  // The reload above already went to the controller; measure a fresh one.
  QWidget* root = controller->view();
  root->resize(420, 700);
  root->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(root));
  LogBookTableView* table = controller->tableView();

  // A step's cost is the window thread's own processor time: on a busy
  // machine the wall clock also counts the time other programs had.
  const auto threadMilliseconds = [] {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
  };
  auto longestStepUntil = [&](const std::function<bool()>& done) {
    qint64 longest = 0;
    QElapsedTimer deadline;
    deadline.start();
    while (!done() && deadline.elapsed() < 60000) {
      const qint64 start = threadMilliseconds();
      QCoreApplication::processEvents();
      longest = std::max(longest, threadMilliseconds() - start);
    }
    return longest;
  };
  // Under the sanitizers the limits are not the product's.
  constexpr qint64 kScale = kr::test::timeLimit(1);

  const qint64 reloadStart = threadMilliseconds();
  controller->reloadSystemLog();
  longestStepUntil([&] { return table->visualRect(table->model()->index(0, 0)).height() > 0; });
  table->viewport()->repaint();
  EXPECT_LT(threadMilliseconds() - reloadStart, 100 * kScale);
  EXPECT_LT(controller->measuredRowCount(), kSlices);

  EXPECT_LT(controller->measuredRowCount(), 100);

  const qint64 endStart = threadMilliseconds();
  QTest::keyClick(table, Qt::Key_End);
  QCoreApplication::processEvents();
  table->viewport()->repaint();
  EXPECT_LT(threadMilliseconds() - endStart, 100 * kScale);
  EXPECT_EQ(bottomOf(table).row, kSlices - 1);
  EXPECT_TRUE(bottomOf(table).endsThere);
  EXPECT_LT(controller->measuredRowCount(), 100);

  // A width change estimates every row again and keeps the end in view.
  const qint64 resizeStart = threadMilliseconds();
  root->resize(300, 700);
  QCoreApplication::processEvents();
  table->viewport()->repaint();
  EXPECT_LT(threadMilliseconds() - resizeStart, 100 * kScale);
  EXPECT_LT(table->columnWidth(), 320);
  EXPECT_EQ(bottomOf(table).row, kSlices - 1);
  EXPECT_LT(controller->measuredRowCount(), 100);
}
