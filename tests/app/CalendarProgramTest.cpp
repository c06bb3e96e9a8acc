// The calendar strip of the program as main() builds it, with hostile
// calendar files made in the test's own home.
#include "StartedProgram.h"

#include "engine/StateMachine.h"
#include "preferences/CalendarPane.h"
#include "shell/ApplicationShell.h"
#include "shell/MainController.h"
#include "states/DefineTimeSliceState.h"
#include "states/StateLinkingHelper.h"
#include "support/StepTimer.h"
#include "support/TestEnvironment.h"
#include "window/CalendarView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

using namespace kr;
using kr::test::StartedProgram;

namespace {

// The test clock starts at 09:00 UTC on Monday 2026-03-02.
QString write(const QTemporaryDir& home, const QString& name, const QByteArray& events) {
  QFile file(home.filePath(name));
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n" + events +
             "END:VCALENDAR\r\n");
  return file.fileName();
}

QByteArray event(const QByteArray& uid, const QByteArray& lines) {
  return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20260101T000000Z\r\n" + lines +
         "END:VEVENT\r\n";
}

CalendarView* strip(StartedProgram& p) {
  auto& page = p.program->shell().stateLinkingHelper().defineTimeSliceState();
  return page.infoWall()->findChild<CalendarView*>();
}

// Lets the test clock run a second at a time until the strip shows events.
bool waitForEvents(StartedProgram& p) {
  return QTest::qWaitFor(
      [&] {
        p.clock.advance(1);
        return !strip(p)->calendarEvents().isEmpty();
      },
      15000);
}

} // namespace

TEST(CalendarProgram, APipeACountedRuleAndAHugeLineLeaveTheGoodEventShownAndQuitQuick) {
  QTemporaryDir home;
  const QString pipe = home.filePath(QStringLiteral("pipe.ics"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  const QString counted = write(home, "count.ics",
                                event("c", "SUMMARY:Often\r\nDTSTART:19900101T000000Z\r\n"
                                           "RRULE:FREQ=SECONDLY;COUNT=2000000000\r\n"));
  const QString line = write(home, "line.ics",
                             event("l", "SUMMARY:Line\r\nDTSTART:20260301T091000Z\r\n"
                                        "DESCRIPTION:" +
                                            QByteArray(60 * 1024 * 1024, 'z') + "\r\n"));
  const QString good =
      write(home, "good.ics", event("g", "SUMMARY:Review\r\nDTSTART:20260302T091000Z\r\n"));
  auto p = std::make_unique<StartedProgram>(
      QVariantMap{{QStringLiteral("calendarFiles"), QStringList{pipe, counted, line, good}}});
  ASSERT_TRUE(waitForEvents(*p));
  ASSERT_EQ(strip(*p)->calendarEvents().size(), 1);
  EXPECT_EQ(strip(*p)->calendarEvents()[0].title, QStringLiteral("Review"));
  kr::test::StepTimer quitting;
  p.reset();
  EXPECT_LT(quitting.elapsed(), quitting.limit(1000));
}

TEST(CalendarProgram, ThreeLargeCalendarsStayWithinTheBudgetAndThePaneNamesTheRefused) {
  QTemporaryDir home;
  // 47 MB each: an event, then a description folded over many lines.
  QByteArray fold;
  while (fold.size() < 47 * 1024 * 1024)
    fold += "\r\n " + QByteArray(73, 'x');
  QStringList paths;
  for (const char* name : {"a.ics", "b.ics", "c.ics"}) {
    paths << write(home, QString::fromLatin1(name),
                   event(name, "SUMMARY:" + QByteArray(name) +
                                   "\r\nDTSTART:20260302T091000Z\r\nDESCRIPTION:" + fold + "\r\n"));
  }
  fold = {};
  StartedProgram p({{QStringLiteral("calendarFiles"), paths}});
  ASSERT_TRUE(waitForEvents(p));
  ASSERT_EQ(strip(p)->calendarEvents().size(), 1);
  EXPECT_EQ(strip(p)->calendarEvents()[0].title, QStringLiteral("a.ics"));
  QStringList shown;
  QTimer::singleShot(0, qApp, [&] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      auto* pane = window->findChild<CalendarPane*>();
      if (pane && shown.isEmpty()) {
        for (int row = 0; row < pane->list()->count(); ++row)
          shown << pane->list()->item(row)->text();
        pane->window()->close();
      }
    }
  });
  p.program->shell().mainController().showPreferencesDialog();
  const QString refused =
      QStringLiteral(" \u2014 not read: with the calendars listed before it, more than the 64 MB "
                     "all calendars together may hold");
  EXPECT_EQ(shown, (QStringList{paths[0], paths[1] + refused, paths[2] + refused}));
}

TEST(CalendarProgram, AWeeklyEventLastingCenturiesKeepsEveryKeyPressQuick) {
  QTemporaryDir home;
  const QString path = write(home, "long.ics",
                             event("long", "SUMMARY:Centuries\r\nDTSTART:16010305T091000Z\r\n"
                                           "DTEND:20260305T091000Z\r\nRRULE:FREQ=WEEKLY\r\n"));
  StartedProgram p({{QStringLiteral("calendarFiles"), QStringList{path}}});
  ASSERT_TRUE(waitForEvents(p));
  EXPECT_EQ(strip(p)->calendarEvents()[0].start,
            QDateTime(QDate(2026, 3, 2), QTime(9, 10), Qt::UTC));
  auto& page = p.program->shell().stateLinkingHelper().defineTimeSliceState();
  QWidget* field = page.objectiveTextView();
  field->setFocus();
  // Each second the strip follows the clock; every 15 s it asks the store.
  for (int press = 0; press < 40; ++press) {
    kr::test::StepTimer elapsed;
    p.clock.advance(1);
    QTest::keyClick(field, Qt::Key_A);
    field->window()->repaint();
    EXPECT_LT(elapsed.elapsed(), elapsed.shortStepLimit(100)) << "key press " << press;
  }
}
