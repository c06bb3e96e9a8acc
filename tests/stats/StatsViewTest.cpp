// The statistics pad: which filter rows show, how every control follows its
// setting both ways, and the refresh a filter change starts.
#include "engine/DataModel.h"
#include "engine/LogFileManager.h"
#include "kit/bricks/DatePickerBrick.h"
#include "kit/bricks/PopUpButtonBrick.h"
#include "kit/bricks/PushButtonBrick.h"
#include "kit/bricks/TagTokenField.h"
#include "kit/walls/FragmentStackView.h"
#include "platform/services/HtmlView.h"
#include "platform/services/TestHtmlView.h"
#include "platform/settings/DefaultsBinding.h"
#include "platform/settings/UserDefaults.h"
#include "stats/FilterFragmentWall.h"
#include "stats/FullFeaturedStatisticsManager.h"
#include "stats/Statistic.h"
#include "stats/StatsViewController.h"

#include "StatsFixture.h"
#include "support/FreshDefaults.h"
#include "support/TestClock.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace kr;

namespace {

const QString kFiltering = QStringLiteral("filtering");
const QString kStatistic = QStringLiteral("currentlyDisplayedStatistic");
const QString kRadio = QStringLiteral("statsRadioButtonChoice");

class StatsViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(test::useBerlinTime());
    test::freshStandardDefaults();
    clock.setDate(test::berlin(2026, 3, 31, 15));
    UserDefaults::standard().registerDefaults({{kStatistic, 0},
                                               {kRadio, 0},
                                               {QStringLiteral("statsDateMode"), 0},
                                               {QStringLiteral("statsFromDate"), "2000-01-01"},
                                               {QStringLiteral("statsToDate"), "2014-01-01"},
                                               {kFiltering, false},
                                               {QStringLiteral("tagFilter"), ""}});
    HtmlView::installFactory([](QWidget* parent) { return new TestHtmlView(parent); });
    controller = std::make_unique<StatsViewController>(false, &logFiles);
    // The pad is on screen unless a test hides it.
    controller->view()->show();
  }
  void TearDown() override {
    controller.reset();
    HtmlView::installFactory(nullptr);
  }

  UserDefaults& defaults() { return UserDefaults::standard(); }
  TestHtmlView& view() { return *static_cast<TestHtmlView*>(controller->webView.data()); }
  float priority(QWidget* row) { return controller->fragmentStackView->visibilityPriority(row); }
  bool shown(QWidget* row) { return priority(row) == FilterFragmentWall::kShownPriority; }
  bool hidden(QWidget* row) { return priority(row) == FilterFragmentWall::kHiddenPriority; }
  // Whether the manager's statistic for the stored number supports the filter.
  bool supports(bool dates) {
    const auto statistic = controller->fullFeaturedStatsManager->getCurrentStatistic();
    return statistic &&
           (dates ? statistic->supportsTimeBasedFiltering : statistic->supportsTagBasedFiltering);
  }

  test::TestClock clock;
  test::LogFolderFixture logs;
  LogFileManager logFiles{[this] { return logs.folder(); }};
  std::unique_ptr<StatsViewController> controller;
};

// How often a key is written while alive.
class WriteCounter {
public:
  explicit WriteCounter(const QString& key) : key_(key) {
    QObject::connect(&UserDefaults::standard(), &UserDefaults::changed, &context_,
                     [this](const QString& changed) { count += changed == key_ ? 1 : 0; });
  }
  int count = 0;

private:
  QString key_;
  QObject context_;
};

} // namespace

TEST_F(StatsViewTest, BuildingMakesTheSharedManagerAndShowsTheFirstPage) {
  ASSERT_TRUE(controller->fullFeaturedStatsManager);
  EXPECT_EQ(&FullFeaturedStatisticsManager::sharedInstance(),
            controller->fullFeaturedStatsManager.get());
  EXPECT_EQ(controller->webView->objectName(), QStringLiteral("Stats Web View"));
  EXPECT_EQ(controller->fullFeaturedStatsManager->statisticsWebView(), controller->webView);
  // Four sections: chooser, date row, tag row, web view.
  EXPECT_EQ(controller->fragmentStackView->arrangedSubviews().size(), 4);
  EXPECT_EQ(controller->fragmentStackView->arrangedSubviews().at(3), controller->webViewFragment());
}

TEST_F(StatsViewTest, FilterRowsFollowFilteringAndTheStatistic) {
  // Filtering off: both rows hidden whatever the statistic.
  for (int statistic : {0, 5, 6, 1, 3, 4}) {
    defaults().setValue(kStatistic, statistic);
    EXPECT_TRUE(hidden(controller->dateFilterRow())) << statistic;
    EXPECT_TRUE(hidden(controller->tagFilterRow())) << statistic;
  }
  defaults().setValue(kStatistic, 0);
  controller->filterButton()->click();
  EXPECT_TRUE(defaults().boolValue(kFiltering));
  // The overviews filter by tags only.
  for (int statistic : {0, 5, 6}) {
    defaults().setValue(kStatistic, statistic);
    EXPECT_TRUE(hidden(controller->dateFilterRow())) << statistic;
    EXPECT_TRUE(shown(controller->tagFilterRow())) << statistic;
  }
  // The other statistics show the rows their statistic supports.
  for (int statistic : {1, 3, 4}) {
    defaults().setValue(kStatistic, statistic);
    EXPECT_EQ(shown(controller->dateFilterRow()), supports(true)) << statistic;
    EXPECT_EQ(shown(controller->tagFilterRow()), supports(false)) << statistic;
  }
  // A number that names no statistic hides both rows.
  for (int statistic : {2, 7, -1, 99}) {
    defaults().setValue(kStatistic, statistic);
    EXPECT_TRUE(hidden(controller->dateFilterRow())) << statistic;
    EXPECT_TRUE(hidden(controller->tagFilterRow())) << statistic;
  }
  // The rows keep their places in the stack.
  EXPECT_EQ(controller->fragmentStackView->arrangedSubviews().size(), 4);
}

TEST_F(StatsViewTest, EachRowSaysWhetherItHidesOnItsOwnLine) {
  testing::internal::CaptureStdout();
  defaults().setValue(kFiltering, true);
  const std::string out = testing::internal::GetCapturedStdout();
  // The date row hides, the tag row shows, each on a line of its own.
  EXPECT_NE(out.find("\"->hide\"\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\"->show\"\n"), std::string::npos) << out;
}

TEST_F(StatsViewTest, TheStatisticPopUpListsSixItemsBetweenTwoSeparators) {
  PopUpButtonBrick* popUp = controller->statisticPopUp();
  ASSERT_EQ(popUp->numberOfItems(), 8);
  const QList<int> tags = {0, 5, 6, -1, 1, 3, -1, 4};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(popUp->tagOfItemAt(i), tags[i]) << i;
    EXPECT_EQ(popUp->itemAt(i)->isSeparator(), tags[i] < 0) << i;
  }
  EXPECT_EQ(popUp->itemTitleAt(0), QStringLiteral("Overview of last 7 Days"));
  EXPECT_EQ(popUp->itemTitleAt(7), QStringLiteral("Report"));
  // 5 selects the second item; a change elsewhere is followed.
  defaults().setValue(kStatistic, 5);
  EXPECT_EQ(popUp->indexOfSelectedItem(), 1);
  EXPECT_EQ(popUp->text(), QStringLiteral("Overview of last 14 Days"));
  defaults().setValue(kStatistic, 3);
  EXPECT_EQ(popUp->indexOfSelectedItem(), 5);
  // A number no item carries selects none.
  defaults().setValue(kStatistic, 2);
  EXPECT_EQ(popUp->indexOfSelectedItem(), -1);
  EXPECT_TRUE(popUp->text().isEmpty());
  // Choosing an item writes its tag once; a separator cannot be chosen.
  WriteCounter writes(kStatistic);
  popUp->itemMenu()->actions().at(2)->trigger();
  EXPECT_EQ(defaults().integer(kStatistic), 6);
  EXPECT_EQ(writes.count, 1);
  popUp->itemMenu()->actions().at(3)->trigger();
  EXPECT_EQ(defaults().integer(kStatistic), 6);
  EXPECT_EQ(writes.count, 1);
}

TEST_F(StatsViewTest, TheFilterSwitchAndThePresetPopUpFollowTheirKeysBothWays) {
  PushButtonBrick* filter = controller->filterButton();
  EXPECT_EQ(filter->text(), QStringLiteral("Filter"));
  EXPECT_FALSE(filter->icon().isNull());
  EXPECT_FALSE(filter->isChecked());
  defaults().setValue(kFiltering, true);
  EXPECT_TRUE(filter->isChecked());
  WriteCounter filterWrites(kFiltering);
  filter->click();
  EXPECT_FALSE(defaults().boolValue(kFiltering));
  EXPECT_EQ(filterWrites.count, 1);

  PopUpButtonBrick* presets = controller->presetPopUp();
  ASSERT_EQ(presets->numberOfItems(), 8);
  EXPECT_EQ(presets->itemTitleAt(3), QStringLiteral("Week-to-Date"));
  EXPECT_EQ(presets->tagOfItemAt(7), 7);
  defaults().setValue(QStringLiteral("statsDateMode"), 4);
  EXPECT_EQ(presets->text(), QStringLiteral("Last 7 Days"));
  WriteCounter modeWrites(QStringLiteral("statsDateMode"));
  presets->itemMenu()->actions().at(6)->trigger();
  EXPECT_EQ(defaults().integer(QStringLiteral("statsDateMode")), 6);
  EXPECT_EQ(modeWrites.count, 1);
}

TEST_F(StatsViewTest, TheRadiosShowTheStoredChoiceAndAClickStoresTheirOwn) {
  PushButtonBrick* presets = controller->presetRadioButton();
  PushButtonBrick* from = controller->fromRadioButton();
  EXPECT_TRUE(presets->text().isEmpty());
  EXPECT_EQ(from->text(), QStringLiteral("From"));
  const std::pair<int, bool> cases[] = {{0, true}, {1, false}, {2, false}, {0, true}};
  for (const auto& [choice, presetOn] : cases) {
    defaults().setValue(kRadio, choice);
    EXPECT_EQ(presets->isChecked(), presetOn) << choice;
    EXPECT_EQ(from->isChecked(), !presetOn) << choice;
  }
  WriteCounter writes(kRadio);
  from->click();
  EXPECT_EQ(defaults().integer(kRadio), 1);
  EXPECT_TRUE(from->isChecked());
  EXPECT_FALSE(presets->isChecked());
  // A click on a radio that is on keeps it on and writes nothing.
  from->click();
  EXPECT_TRUE(from->isChecked());
  EXPECT_EQ(writes.count, 1);
  presets->click();
  EXPECT_EQ(defaults().integer(kRadio), 0);
  EXPECT_FALSE(from->isChecked());
  EXPECT_EQ(writes.count, 2);
}

TEST_F(StatsViewTest, ThePickersKeepTheirRangeAndOnlyTheUsersEditIsStored) {
  DatePickerBrick* from = controller->fromDatePicker();
  DatePickerBrick* to = controller->toDatePicker();
  EXPECT_EQ(from->date(), QDate(2000, 1, 1));
  EXPECT_EQ(to->date(), QDate(2014, 1, 1));
  // Neither can pass the other's stored day.
  EXPECT_EQ(from->maximumDate(), QDate(2014, 1, 1));
  EXPECT_EQ(to->minimumDate(), QDate(2000, 1, 1));
  defaults().setValue(QStringLiteral("statsToDate"), "2026-03-01");
  EXPECT_EQ(to->date(), QDate(2026, 3, 1));
  EXPECT_EQ(from->maximumDate(), QDate(2026, 3, 1));

  // The user's edit is stored once, as a day text.
  WriteCounter fromWrites(QStringLiteral("statsFromDate"));
  WriteCounter toWrites(QStringLiteral("statsToDate"));
  from->setFocus();
  from->setDate(QDate(2026, 2, 14));
  EXPECT_EQ(defaults().string(QStringLiteral("statsFromDate")), QStringLiteral("2026-02-14"));
  EXPECT_EQ(fromWrites.count, 1);
  EXPECT_EQ(to->minimumDate(), QDate(2026, 2, 14));
  // An edit past the other day is held at it.
  from->setDate(QDate(2027, 1, 1));
  EXPECT_EQ(defaults().string(QStringLiteral("statsFromDate")), QStringLiteral("2026-03-01"));

  // A to-day stored elsewhere before the from-day moves the from picker's
  // limit, and with it the shown date; the to picker stays at its earliest
  // day. Neither writes anything back.
  const int before = fromWrites.count;
  defaults().setValue(QStringLiteral("statsToDate"), "2026-01-10");
  EXPECT_EQ(from->date(), QDate(2026, 1, 10));
  EXPECT_EQ(to->date(), QDate(2026, 3, 1));
  EXPECT_EQ(defaults().string(QStringLiteral("statsFromDate")), QStringLiteral("2026-03-01"));
  EXPECT_EQ(defaults().string(QStringLiteral("statsToDate")), QStringLiteral("2026-01-10"));
  EXPECT_EQ(fromWrites.count, before);
  EXPECT_EQ(toWrites.count, 1);

  // A stored day that cannot be read leaves the picker as it was.
  defaults().setValue(QStringLiteral("statsToDate"), "not a day");
  EXPECT_EQ(to->date(), QDate(2026, 3, 1));
  defaults().setValue(QStringLiteral("statsFromDate"), "2026-02-30");
  EXPECT_EQ(from->date(), QDate(2026, 1, 10));
}

TEST_F(StatsViewTest, TheTagFieldFollowsTheTagFilter) {
  TagTokenField* field = controller->tagFilterField();
  ASSERT_TRUE(field);
  defaults().setValue(QStringLiteral("tagFilter"), "a,b");
  EXPECT_EQ(field->property(DataModel::kTokenFieldValueProperty).toStringList(),
            (QStringList{"a", "b"}));
  EXPECT_EQ(field->placeholderText(), QStringLiteral("<Enter Tags to Filter>"));
}

TEST_F(StatsViewTest, NothingIsWorkedOutWhileThePadIsHiddenAndAStalePageWhenItShows) {
  controller.reset();
  controller = std::make_unique<StatsViewController>(false, &logFiles);
  FullFeaturedStatisticsManager& manager = *controller->fullFeaturedStatsManager;
  const QString page = manager.outputDirectory() + QStringLiteral("/index.html");
  QFile::remove(page);
  const auto reload = [this] {
    QSignalSpy finished(&logFiles, &LogFileManager::reloadFinished);
    logFiles.internalAyncUpdate();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 10000));
    clock.advance(1.0); // past the reload's refresh
  };

  // Built, reloaded and refreshed, never shown: no page.
  ASSERT_TRUE(logs.add(test::berlin(2026, 3, 30, 10), 1500, QStringLiteral("good"), "a"));
  reload();
  EXPECT_TRUE(view().loadedFiles().isEmpty());
  EXPECT_FALSE(QFile::exists(page));
  EXPECT_TRUE(manager.isPageOutOfDate());

  // Shown: the page is worked out once, with the reloaded slice.
  controller->view()->show();
  ASSERT_EQ(view().loadedFiles().size(), 1);
  EXPECT_TRUE(QFile::exists(page));
  EXPECT_FALSE(manager.isPageOutOfDate());
  ASSERT_TRUE(manager.fullData());
  EXPECT_EQ(manager.fullData()->timeSlices().size(), 1u);

  // Hidden again: a reload and another statistic only mark the page; shown,
  // it is worked out once more.
  controller->view()->hide();
  ASSERT_TRUE(logs.add(test::berlin(2026, 3, 30, 11), 1500, QStringLiteral("good"), "a"));
  reload();
  defaults().setValue(kStatistic, 6);
  EXPECT_EQ(view().loadedFiles().size(), 1);
  controller->view()->show();
  EXPECT_EQ(view().loadedFiles().size(), 2);
  EXPECT_EQ(manager.fullData()->timeSlices().size(), 2u);
  clock.advance(5.0);
  EXPECT_EQ(view().loadedFiles().size(), 2);
}

TEST_F(StatsViewTest, AFilterChangeLoadsOnePageHalfASecondLater) {
  ASSERT_TRUE(logs.add(test::berlin(2026, 3, 30, 10), 1500, QStringLiteral("good"), "a"));
  QSignalSpy finished(&logFiles, &LogFileManager::reloadFinished);
  logFiles.internalAyncUpdate();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 10000));
  clock.advance(1.0); // the reload's own refresh
  const qsizetype loaded = view().loadedFiles().size();
  defaults().setValue(kFiltering, true);
  defaults().setValue(QStringLiteral("tagFilter"), "a");
  clock.advance(0.4);
  EXPECT_EQ(view().loadedFiles().size(), loaded);
  clock.advance(0.1);
  EXPECT_EQ(view().loadedFiles().size(), loaded + 1);
  clock.advance(3.0);
  EXPECT_EQ(view().loadedFiles().size(), loaded + 1);
  // Another statistic shows at once.
  defaults().setValue(kStatistic, 6);
  EXPECT_EQ(view().loadedFiles().size(), loaded + 2);
}

TEST_F(StatsViewTest, APageThatOutlivesItsControllerHidesItsRowsAndNeverCrashes) {
  // The pad keeps the page's view; the controller goes first.
  auto pad = std::make_unique<QWidget>();
  controller->view()->setParent(pad.get());
  QPointer<FilterFragmentWall> tagRow = controller->tagFilterRow();
  defaults().setValue(kFiltering, true);
  EXPECT_FALSE(tagRow->shouldHide());
  controller.reset();
  ASSERT_TRUE(tagRow);
  defaults().setValue(kStatistic, 5);
  EXPECT_TRUE(tagRow->shouldHide());
  // The view goes with its pad; its controls no longer follow the keys.
  pad.reset();
  EXPECT_FALSE(tagRow);
  defaults().setValue(kFiltering, false);
  EXPECT_FALSE(defaults().boolValue(kFiltering));
}
