#include "window/BreakElapsedAndEndTimeIndicatorHideableFragmentWall.h"
#include "window/BreakRemainingAndTotalTimeIndicatorHideableFragmentWall.h"
#include "window/BubbleViewForTimedState.h"
#include "window/DefineDurationTimeIndicatorWall.h"
#include "window/QuickDurationChangingViewController.h"
#include "window/TimeBubbleView.h"
#include "window/TimeSliceElapsedAndEndTimeIndicatorHideableFragmentWall.h"
#include "window/TimeSliceRemainingAndTotalTimeIndicatorHideableFragmentWall.h"

#include "engine/DataModel.h"
#include "engine/DateHelper.h"
#include "engine/TimedStateMachineModule.h"
#include "engine/TimedStateMachineViewModel.h"
#include "engine/TimedStateType.h"
#include "kit/IntegerTextField.h"
#include "platform/settings/UserDefaults.h"
#include "support/TestClock.h"

#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace kr;

namespace {

QDateTime at(int hour, int minute, int second = 0) {
  return QDateTime(QDate(2026, 3, 2), QTime(hour, minute, second), Qt::LocalTime);
}

// The title names the quarter hour, without seconds, in the locale's style.
bool namesTime(const QString& title, int hour, int minute) {
  const QString hm = QStringLiteral("%1:%2").arg(hour).arg(minute, 2, 10, QLatin1Char('0'));
  return title.contains(hm) && !title.contains(hm + QLatin1Char(':'));
}

std::unique_ptr<TimeBubbleView> bubbleRow(int width = 400) {
  std::unique_ptr<TimeBubbleView> row(TimeBubbleView::createNewTimeBubbleView());
  row->resize(width, 26);
  row->prepare();
  return row;
}

// A timer counting `length` seconds, for the views that read its view model.
class Timer final : public TimedStateType {
public:
  explicit Timer(std::int64_t length) : length_(length), module_(*this) {}
  std::int64_t duration() override { return length_; }
  bool acceptsEventsFrom(const TimedStateMachineModule&) const override { return true; }
  void execute(Event) override {}
  TimedStateMachineViewModel* viewModel() { return module_.viewModel(); }

private:
  std::int64_t length_;
  TimedStateMachineModule module_;
};

} // namespace

TEST(TimeBubbles, QuarterHoursAheadWithTheSliderMinimum) {
  test::TestClock clock;
  auto row = bubbleRow();
  struct Case {
    QDateTime now;
    std::array<int, 4> minutes;
    QTime firstTitle;
    bool fourthShown;
  };
  const Case cases[] = {
      {at(10, 0, 20), {15, 30, 45, 60}, QTime(10, 15), true},
      {at(10, 13, 5), {2, 17, 32, 47}, QTime(10, 15), true},
      {at(10, 14, 30), {16, 31, 46, 61}, QTime(10, 30), false},
  };
  for (const Case& c : cases) {
    clock.setDate(c.now);
    row->updateState();
    for (int k = 0; k < 4; ++k)
      EXPECT_EQ(row->bubbleDuration(k), c.minutes[std::size_t(k)])
          << c.now.toString().toStdString();
    EXPECT_TRUE(namesTime(row->bubble(0)->title(), c.firstTitle.hour(), c.firstTitle.minute()))
        << row->bubble(0)->title().toStdString();
    EXPECT_FALSE(row->bubble(2)->isHidden());
    EXPECT_EQ(!row->bubble(3)->isHidden(), c.fourthShown);
  }
  EXPECT_TRUE(namesTime(row->bubble(3)->title(), 11, 15));
  EXPECT_EQ(row->bubbleDate(0), at(10, 30));
}

TEST(TimeBubbles, EdgesKeepTheBubblesInsideAndMoveTheArrows) {
  test::TestClock clock;
  auto row = bubbleRow(400);
  EXPECT_DOUBLE_EQ(row->offset(), 17.0);
  // 2 minutes away: centre at 17, so the first bubble would start at -13.
  clock.setDate(at(10, 13, 5));
  row->updateState();
  EXPECT_EQ(row->bubble(0)->x(), 8);
  EXPECT_DOUBLE_EQ(row->bubble(0)->middleX(), 30.0 - 21.0);
  // 60 minutes away: the fourth bubble would reach past the right inset.
  clock.setDate(at(10, 0, 20));
  row->updateState();
  EXPECT_EQ(row->bubble(3)->x(), 400 - 60 - 8);
  EXPECT_DOUBLE_EQ(row->bubble(3)->middleX(), 45.0);
  EXPECT_DOUBLE_EQ(row->bubble(1)->middleX(), 30.0);

  BubbleViewWithArrowOnTop* bubble = row->bubble(1);
  bubble->setMiddleX(0.4);
  EXPECT_DOUBLE_EQ(bubble->middleX(), 1.0);
  bubble->setMiddleX(43.0);
  EXPECT_DOUBLE_EQ(bubble->middleX(), 45.0);
  bubble->setMiddleX(42.2);
  EXPECT_DOUBLE_EQ(bubble->middleX(), 42.0);
  bubble->setMiddleX(-3.0);
  EXPECT_DOUBLE_EQ(bubble->middleX(), -3.0);
}

TEST(TimeBubbles, ARowPlacedBeforeItsPageIsLaidOutFollowsTheWidthItGets) {
  test::TestClock clock;
  clock.setDate(at(10, 0, 20));
  // A page refreshes its views as it is shown, before its layout has run.
  auto row = bubbleRow(640);
  row->resize(440, 26);
  row->show();
  EXPECT_TRUE(row->bubble(0)->isHidden()) << "a row not yet placed keeps its bubbles hidden";
  row->resize(640, 26);
  row->updateState();
  // Placed for 640 points, the third bubble reaches past a 440-point page.
  ASSERT_GT(row->bubble(2)->x() + row->bubble(2)->width(), 440);
  // The layout then gives the row the page's width: 7 points a minute.
  row->resize(440, 26);
  EXPECT_EQ(row->bubble(2)->x(), 17 + 43 * 7 - 30);
  EXPECT_EQ(row->bubble(3)->x(), 440 - 60 - 8);
  EXPECT_DOUBLE_EQ(row->tickDelta(), 7.0);
}

TEST(TimeBubbles, ClickOnADefiningPageStoresTheMinutes) {
  test::TestClock clock;
  auto row = bubbleRow();
  clock.setDate(at(10, 7, 42));
  row->updateState();
  row->show();
  QTest::mouseClick(row->bubble(1), Qt::LeftButton);
  EXPECT_EQ(UserDefaults::standard().integer(QStringLiteral("durationInSeconds")), 23 * 60);
  int given = -1;
  row->setNewDurationFunc = [&](int minutes) { given = minutes; };
  row->bubbleClicked(nullptr);
  EXPECT_EQ(given, 0) << "a bubble not of the row gives no minutes";
}

TEST(TimeBubbles, ClickOnARunningPageEndsTheTimerAtTheQuarterHour) {
  test::TestClock clock;
  clock.setDate(at(10, 7, 42).addSecs(-600));
  Timer timer(1500);
  clock.advance(600.0);
  timer.viewModel()->freezeTime();
  std::unique_ptr<BubbleViewForTimedState> row(BubbleViewForTimedState::createNewTimeBubbleView());
  row->resize(400, 26);
  row->prepare();
  std::int64_t working = -1;
  row->viewModel = [&] { return timer.viewModel(); };
  row->changeWorkingDuration = [&](std::int64_t seconds) { working = seconds; };
  row->updateState();
  ASSERT_EQ(row->bubbleDate(1), at(10, 30));
  row->bubbleClicked(row->bubble(1));
  EXPECT_EQ(working, 1338 + 600);
}

TEST(TimeReadouts, DurationLineShowsWholeMinutesAndTheEndOfAStartNow) {
  test::TestClock clock;
  clock.setDate(at(14, 5, 30));
  DefineDurationTimeIndicatorWall wall;
  EXPECT_EQ(wall.durationTextField()->text(), QStringLiteral("00"));
  const auto endText = [](const QDateTime& end) {
    return DateHelper::sharedHelper().formatDateAsTimeWithAmPmIfAppropriate(end).plainText();
  };
  for (const auto& [seconds, minutes, end] :
       {std::tuple{1500, 25, at(14, 30, 30)}, std::tuple{1530, 25, at(14, 31, 0)}}) {
    DataModel::shared().setDurationInSeconds(seconds);
    wall.updateState();
    EXPECT_EQ(wall.durationTextField()->text(), QString::number(minutes));
    EXPECT_EQ(wall.endDateField()->text(), endText(end));
  }
  wall.obtainDurationInSecondsFunc = [] { return 600; };
  wall.obtainDurationInMinutesFunc = [] { return 10; };
  wall.updateState();
  EXPECT_EQ(wall.durationTextField()->text(), QStringLiteral("10"));
  EXPECT_EQ(wall.endDateField()->text(), endText(at(14, 15, 30)));
}

TEST(TimeReadouts, HalvesSplitTheLineAndTheirTextsStandAsEachLineArrangesThem) {
  test::TestClock clock;
  clock.setDate(at(14, 5, 30));
  DefineDurationTimeIndicatorWall durationLine;
  TimeSliceElapsedAndEndTimeIndicatorHideableFragmentWall elapsedRow;
  for (QWidget* line : {static_cast<QWidget*>(&durationLine), static_cast<QWidget*>(&elapsedRow)}) {
    line->resize(440, 40);
    line->show();
  }
  durationLine.updateState();
  const auto leftOf = [](const QWidget* field, const QWidget* line) {
    return field->mapTo(line, QPoint(0, 0)).x();
  };
  // Both lines split at the middle: each value stands in its own half.
  for (const TimeReadoutWall* line : {static_cast<const TimeReadoutWall*>(&durationLine),
                                      static_cast<const TimeReadoutWall*>(&elapsedRow)}) {
    EXPECT_LT(leftOf(line->firstField(), line) + line->firstField()->width(), 220);
    EXPECT_GE(leftOf(line->secondField(), line), 220);
    EXPECT_LE(leftOf(line->secondField(), line) + line->secondField()->sizeHint().width(),
              440 - TimeReadoutWall::kInset);
  }
  // The duration line's labels are as wide as their texts, its values one
  // inset after them; the slice rows' labels are 80 wide and their values
  // follow at once.
  const QLabel* ends = nullptr;
  for (QLabel* label : durationLine.findChildren<QLabel*>())
    if (label->text() == QStringLiteral("Ends:"))
      ends = label;
  ASSERT_NE(ends, nullptr);
  EXPECT_EQ(leftOf(ends, &durationLine), 220);
  EXPECT_EQ(leftOf(durationLine.secondField(), &durationLine),
            220 + ends->width() + TimeReadoutWall::kInset);
  EXPECT_EQ(leftOf(elapsedRow.secondField(), &elapsedRow),
            220 + TimeReadoutWall::kAlignedLabelWidth);
  EXPECT_EQ(leftOf(elapsedRow.firstField(), &elapsedRow),
            TimeReadoutWall::kInset + TimeReadoutWall::kAlignedLabelWidth);
}

TEST(TimeReadouts, SliceRowsCountTheWholeSlice) {
  test::TestClock clock;
  TimeSliceElapsedAndEndTimeIndicatorHideableFragmentWall elapsedRow;
  TimeSliceRemainingAndTotalTimeIndicatorHideableFragmentWall remainingRow;
  elapsedRow.updateState();
  remainingRow.updateState();
  EXPECT_EQ(elapsedRow.elapsedTextField()->text(), QStringLiteral("00"));
  EXPECT_EQ(remainingRow.totalDurationField()->text(), QStringLiteral("Total"));

  std::int64_t total = 1560;
  auto extended = std::make_unique<Timer>(1560); // 1500 planned, extended by 60
  elapsedRow.viewModel = [&] { return extended->viewModel(); };
  remainingRow.viewModel = [&] { return extended->viewModel(); };
  elapsedRow.sliceTotal = [&] { return total; };
  remainingRow.sliceTotal = [&] { return total; };
  clock.advance(1160.0);
  elapsedRow.updateState();
  remainingRow.updateState();
  EXPECT_EQ(elapsedRow.elapsedTextField()->text(), QStringLiteral("19′20″"));
  EXPECT_EQ(remainingRow.remainingTextField()->text(), QStringLiteral("06′40″"));
  EXPECT_EQ(remainingRow.totalDurationField()->text(), QStringLiteral("26′00″"));

  // Resumed after 300 s of a 1500 s slice: the timer runs the other 1200 s.
  total = 1500;
  extended = std::make_unique<Timer>(1200);
  clock.advance(10.0);
  elapsedRow.updateState();
  EXPECT_EQ(elapsedRow.elapsedTextField()->text(), QStringLiteral("05′10″"));
  EXPECT_EQ(elapsedRow.endDateField()->text(),
            DateHelper::sharedHelper()
                .formatDateAsTimeWithAmPmIfAppropriate(clock.nowAsDate().addSecs(1190))
                .plainText());
}

// The break's rows read every figure from its timer, each with the fraction
// of a second dropped.
TEST(TimeReadouts, BreakRowsReadTheirTimer) {
  test::TestClock clock;
  BreakElapsedAndEndTimeIndicatorHideableFragmentWall elapsedRow;
  BreakRemainingAndTotalTimeIndicatorHideableFragmentWall remainingRow;
  elapsedRow.updateState();
  remainingRow.updateState();
  EXPECT_EQ(elapsedRow.elapsedTextField()->text(), QStringLiteral("00"));
  EXPECT_EQ(elapsedRow.endDateField()->text(), QString());
  EXPECT_EQ(remainingRow.remainingTextField()->text(), QStringLiteral("00"));
  EXPECT_EQ(remainingRow.totalDurationField()->text(), QStringLiteral("Total"));

  Timer timer(600);
  elapsedRow.viewModel = [&] { return timer.viewModel(); };
  remainingRow.viewModel = [&] { return timer.viewModel(); };
  clock.advance(75.4);
  elapsedRow.updateState();
  remainingRow.updateState();
  EXPECT_EQ(elapsedRow.elapsedTextField()->text(), QStringLiteral("01′15″"));
  EXPECT_EQ(remainingRow.remainingTextField()->text(), QStringLiteral("08′44″"));
  EXPECT_EQ(remainingRow.totalDurationField()->text(), QStringLiteral("10′00″"));
  EXPECT_EQ(elapsedRow.endDateField()->text(),
            DateHelper::sharedHelper()
                .formatDateAsTimeWithAmPmIfAppropriate(clock.nowAsDate().addMSecs(524600))
                .plainText());
}

// The end times keep the day-half marker in its own font; a time without
// one stays plain text.
TEST(TimeReadouts, EndTimesSetTheDayHalfMarkerInItsOwnFont) {
  test::TestClock clock;
  clock.setDate(at(14, 5, 30));
  DataModel::shared().setDurationInSeconds(1500);
  DefineDurationTimeIndicatorWall durationLine;
  TimeSliceElapsedAndEndTimeIndicatorHideableFragmentWall elapsedRow;
  Timer timer(1500);
  elapsedRow.viewModel = [&] { return timer.viewModel(); };
  elapsedRow.sliceTotal = [] { return std::int64_t{1500}; };
  struct Case {
    QLocale locale;
    Qt::TextFormat format;
    const char* text;
  };
  const Case cases[] = {
      {QLocale(QLocale::English, QLocale::UnitedStates), Qt::RichText, "2:30:30<span"},
      {QLocale(QLocale::German, QLocale::Germany), Qt::PlainText, "14:30:30"},
  };
  for (const Case& c : cases) {
    QLocale::setDefault(c.locale);
    durationLine.updateState();
    elapsedRow.updateState();
    for (const QLabel* field : {durationLine.endDateField(), elapsedRow.endDateField()}) {
      EXPECT_EQ(field->textFormat(), c.format) << c.text;
      EXPECT_TRUE(field->text().startsWith(QLatin1String(c.text))) << field->text().toStdString();
      if (c.format == Qt::RichText) {
        EXPECT_TRUE(field->text().contains(QStringLiteral("font-size:20px")));
        EXPECT_TRUE(field->text().endsWith(QStringLiteral(" PM</span>")));
      }
    }
  }
  QLocale::setDefault(QLocale::c());
}

TEST(QuickDurationDialog, ReturnSetsTheMinutesEscapeLeavesThem) {
  QuickDurationChangingViewController dialog;
  int set = -1;
  dialog.runModal(nullptr, 25, [&](int minutes) { set = minutes; });
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.durationDigitsField()->intValue(), 25);
  dialog.durationDigitsField()->setIntValue(60);
  QTest::keyClick(dialog.durationDigitsField(), Qt::Key_Return);
  EXPECT_EQ(set, 60);
  EXPECT_FALSE(dialog.isVisible());

  set = -1;
  dialog.runModal(nullptr, 10, [&](int minutes) { set = minutes; });
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(set, -1);

  dialog.runModal(nullptr, 10, [&](int minutes) { set = minutes; });
  dialog.durationDigitsField()->setText(QStringLiteral("75"));
  QTest::keyClick(dialog.durationDigitsField(), Qt::Key_Return);
  EXPECT_EQ(set, 60) << "a value above 60 never reaches the setter";
}
