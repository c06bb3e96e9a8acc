// Runs in Berlin's time. The test clock starts on Monday 2026-03-02 at 10:00
// in Berlin.
#include "window/CalendarView.h"
#include "window/CalendarManager.h"
#include "window/EventView.h"

#include "platform/services/TestCalendarStore.h"
#include "platform/settings/UserDefaults.h"
#include "support/FreshDefaults.h"
#include "support/TestClock.h"
#include "support/ZoneScope.h"

#include <QImage>
#include <QLocale>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace kr {
namespace {

const test::ProgramZone berlin("Europe/Berlin");

// 58 minutes of 6 points between the two 7-point insets.
constexpr int kWidth = 14 + 58 * 6;

class CalendarViewTest : public ::testing::Test {
protected:
  CalendarViewTest() {
    test::freshStandardDefaults();
    manager.setCalendarEventStore(&store);
    auto* layout = new QVBoxLayout(&page);
    layout->addWidget(section);
    auto* sectionLayout = new QVBoxLayout(section);
    sectionLayout->setContentsMargins(0, 0, 0, 0);
    sectionLayout->addWidget(view);
    view->calendarManager = &manager;
    view->prepare();
    page.resize(kWidth + 40, 200);
    view->setFixedWidth(kWidth);
    page.show();
  }

  // An event starting `start` seconds from now and lasting `length` seconds.
  CalendarEvent in(double start, double length, const QString& title = QStringLiteral("Meeting"),
                   bool allDay = false) const {
    const QDateTime now = clock.nowAsDate();
    return {title, now.addMSecs(qint64(start * 1000)),
            now.addMSecs(qint64((start + length) * 1000)), allDay};
  }

  // How many pixels the strip draws itself, without its events.
  int drawnPixels() {
    QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x)
        count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    }
    return count;
  }

  test::TestClock clock;
  TestCalendarStore store;
  CalendarManager manager;
  QWidget page;
  QWidget* section = new QWidget;
  CalendarView* view = CalendarView::createCalendarView();
};

TEST_F(CalendarViewTest, AsksTheStoreAtMostOnceEvery15SecondsAndAgainAfterARead) {
  UserDefaults::standard().setValue(QStringLiteral("calendarFiles"),
                                    QStringList{QStringLiteral("/a.ics"), QStringLiteral("/b")});
  view->updateState();
  EXPECT_EQ(store.queryCount, 1);
  EXPECT_EQ(store.sources, (QStringList{QStringLiteral("/a.ics"), QStringLiteral("/b")}));
  clock.set(clock.now() + 10);
  view->updateState();
  EXPECT_EQ(store.queryCount, 1) << "10 s later the last answer stands";
  clock.set(clock.now() + 5);
  view->updateState();
  EXPECT_EQ(store.queryCount, 2) << "15 s after the last question";
  clock.set(clock.now() - 15);
  view->updateState();
  EXPECT_EQ(store.queryCount, 3) << "a clock moved back 15 s asks again";
  store.finishReading();
  view->updateState();
  EXPECT_EQ(store.queryCount, 4) << "a finished read resets the wait";

  // A list of one comes back from the settings file as plain text.
  UserDefaults::standard().setValue(QStringLiteral("calendarFiles"), QStringLiteral("/c.ics"));
  store.finishReading();
  view->updateState();
  EXPECT_EQ(store.sources, QStringList{QStringLiteral("/c.ics")});
  EXPECT_TRUE(UserDefaults::standard().registeredValue(QStringLiteral("calendarFiles")).isValid());
}

TEST_F(CalendarViewTest, ShowsOnlyEventsStartingLaterInAStableOrder) {
  store.events = {in(-60, 1800, QStringLiteral("Begun")),
                  in(-3600, 86400 * 2, QStringLiteral("Holiday"), true),
                  in(600, 900, QStringLiteral("B")), in(600, 600, QStringLiteral("C")),
                  in(600, 600, QStringLiteral("A"))};
  view->updateState();
  QStringList titles;
  for (const CalendarEvent& event : view->calendarEvents())
    titles << event.title;
  EXPECT_EQ(titles, (QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("B")}));
  QString format = QLocale().timeFormat(QLocale::ShortFormat);
  format.remove(QStringLiteral(":ss")).remove(QStringLiteral(".ss"));
  const QString time = QLocale().toString(QTime(10, 10), format);
  EXPECT_FALSE(time.contains(QStringLiteral("10:10:00"))) << "no seconds";
  EXPECT_EQ(view->bottomEventView()->title, time + QStringLiteral(" A"));
  EXPECT_EQ(view->topEventView()->title, time + QStringLiteral(" C"));
}

TEST_F(CalendarViewTest, LaysEventsOutOnTheHoursTimeline) {
  // Starts in 90 s (minute 2), ends in 70 minutes; then one from minute 10 to 30.
  store.events = {in(90, 70 * 60 - 90, QStringLiteral("Long")),
                  in(600, 1200, QStringLiteral("Short"))};
  view->updateState();
  EXPECT_DOUBLE_EQ(view->tickDelta(), 6.0);
  EventView* bottom = view->bottomEventView();
  EventView* top = view->topEventView();
  ASSERT_TRUE(bottom->isVisibleTo(view));
  EXPECT_EQ(bottom->x(), 7);
  EXPECT_EQ(bottom->x() + bottom->width(), kWidth) << "cut at the right edge";
  EXPECT_FALSE(bottom->leftArrow);
  EXPECT_FALSE(bottom->rightArrow);
  EXPECT_EQ(bottom->y(), 34);
  EXPECT_EQ(bottom->height(), 32);
  ASSERT_TRUE(top->isVisibleTo(view));
  EXPECT_EQ(top->geometry(), QRect(8 * 6 + 7, 1, 20 * 6, 32));
  EXPECT_TRUE(top->leftArrow);
  EXPECT_TRUE(top->rightArrow);

  // Half a minute later each start rounds up to the same minute.
  clock.set(clock.now() + 30);
  store.finishReading();
  view->updateState();
  EXPECT_EQ(top->geometry(), QRect(8 * 6 + 7, 1, 20 * 6, 32));
}

TEST_F(CalendarViewTest, OneEventHidesTheTopAndNoneDrawsTheEmptyCalendar) {
  store.events = {in(600, 600)};
  view->updateState();
  EXPECT_TRUE(view->bottomEventView()->isVisibleTo(view));
  EXPECT_FALSE(view->topEventView()->isVisibleTo(view));
  EXPECT_EQ(drawnPixels(), 0) << "the empty picture only without events";

  store.events.clear();
  clock.set(clock.now() + 15);
  view->updateState();
  EXPECT_FALSE(view->bottomEventView()->isVisibleTo(view));
  EXPECT_FALSE(view->topEventView()->isVisibleTo(view));
  EXPECT_GT(drawnPixels(), 100);

  // While the calendars are first read, the strip does not claim there are none.
  store.reading = true;
  store.finishReading();
  store.reading = true;
  view->updateState();
  EXPECT_EQ(drawnPixels(), 0);
}

TEST_F(CalendarViewTest, AfterAJumpOfTheClockTheLastEventsStayUntilTheNewReadLands) {
  store.events = {in(600, 600, QStringLiteral("Before"))};
  view->updateState();
  // A day later the store is still reading the new hour.
  clock.set(clock.now() + 86400);
  store.reading = true;
  view->updateState();
  ASSERT_EQ(view->calendarEvents().size(), 1);
  EXPECT_EQ(view->calendarEvents()[0].title, QStringLiteral("Before"));
  EXPECT_TRUE(view->bottomEventView()->isVisibleTo(view));
  EXPECT_EQ(drawnPixels(), 0) << "no \"No Calendar Events.\" in between";
  store.events = {in(300, 600, QStringLiteral("After"))};
  store.finishReading();
  view->updateState();
  ASSERT_EQ(view->calendarEvents().size(), 1);
  EXPECT_EQ(view->calendarEvents()[0].title, QStringLiteral("After"));
}

TEST_F(CalendarViewTest, AHiddenSectionAsksNothingAndANarrowStripShowsNothing) {
  store.events = {in(600, 600), in(1200, 600)};
  section->hide();
  view->updateState();
  EXPECT_EQ(store.queryCount, 0);
  section->show();

  view->setFixedWidth(10);
  view->updateState();
  EXPECT_EQ(store.queryCount, 1);
  EXPECT_FALSE(view->bottomEventView()->isVisibleTo(view));
  EXPECT_FALSE(view->topEventView()->isVisibleTo(view));

  auto alone = std::unique_ptr<CalendarView>(CalendarView::createCalendarView());
  alone->calendarManager = &manager;
  store.finishReading();
  alone->updateState();
  EXPECT_EQ(store.queryCount, 1) << "a strip outside a page asks nothing";
}

} // namespace
} // namespace kr
