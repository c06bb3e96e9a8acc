// Runs in Berlin's time.
#include "platform/linux/calendar/IcalCalendarStore.h"
#include "platform/linux/calendar/IcalCalendarReader.h"

#include "support/BerlinZone.h"
#include "support/StepTimer.h"
#include "support/TestEnvironment.h"
#include "support/ZoneScope.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include <sys/stat.h>

namespace kr {
namespace {

const test::ProgramZone berlin("Europe/Berlin");

using Status = CalendarSourceState::Status;

QDateTime local(int y, int mo, int d, int h, int mi = 0) {
  return QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::LocalTime);
}

QString calendar(const QString& body, bool withZone = false) {
  QString text = QStringLiteral("BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//test//EN\n");
  if (withZone)
    text += QLatin1String(test::kBerlinZone);
  text += body + QStringLiteral("END:VCALENDAR\n");
  return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

QString event(const QString& uid, const QString& lines) {
  return QStringLiteral("BEGIN:VEVENT\nUID:%1\nDTSTAMP:20260101T000000Z\n%2END:VEVENT\n")
      .arg(uid, lines);
}

class IcalCalendarStoreTest : public ::testing::Test {
protected:
  QString write(const QString& name, const QByteArray& data) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
    return file.fileName();
  }
  QString write(const QString& name, const QString& text) { return write(name, text.toUtf8()); }

  // Asks until every read the question started has come back.
  QList<CalendarEvent> ask(const QDateTime& from, const QDateTime& to) {
    QSignalSpy read(&store, &CalendarStore::sourcesRead);
    QList<CalendarEvent> events = store.eventsBetween(from, to);
    while (store.hasReadsInProgress()) {
      // Generous: a large calendar under the sanitizers on a busy machine.
      if (!read.wait(60000)) {
        ADD_FAILURE() << "a calendar read did not come back";
        break;
      }
      events = store.eventsBetween(from, to);
    }
    return events;
  }
  QList<CalendarEvent> hourFrom(const QDateTime& from) { return ask(from, from.addSecs(3600)); }

  CalendarSourceState stateOf(const QString& path) const {
    for (const CalendarSourceState& state : store.sourceStates()) {
      if (state.path == path)
        return state;
    }
    return {};
  }

  // A calendar of `size` bytes: one event, then a folded description that
  // runs to the end.
  QString writeLarge(const QString& name, qint64 size) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray head = calendar(event(name, QStringLiteral("SUMMARY:%1\nDTSTART:20260302T093000\n"
                                                          "DESCRIPTION:long\n")
                                               .arg(name))
                                   .chopped(int(sizeof("END:VEVENT\r\nEND:VCALENDAR\r\n") - 1)))
                          .toUtf8();
    const QByteArray tail = "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    file.write(head);
    const QByteArray fold = "\r\n " + QByteArray(73, 'x');
    QByteArray block;
    while (block.size() < (1 << 20))
      block += fold;
    for (qint64 left = size - head.size() - tail.size(); left > 0; left -= block.size())
      file.write(block.left(int(std::min<qint64>(left, block.size()))));
    file.write(tail);
    return file.fileName();
  }

  QTemporaryDir dir;
  IcalCalendarStore store;
};

TEST_F(IcalCalendarStoreTest, WeeklyEventLeavesOutExceptionsAndFollowsMovedAndCancelledInstances) {
  const QString weekly = event(QStringLiteral("weekly"),
                               QStringLiteral("SUMMARY:Team\n"
                                              "DTSTART;TZID=Europe/Berlin:20260105T100000\n"
                                              "DTEND;TZID=Europe/Berlin:20260105T103000\n"
                                              "RRULE:FREQ=WEEKLY\n"
                                              "EXDATE;TZID=Europe/Berlin:20260202T100000\n"));
  const QString moved = event(QStringLiteral("weekly"),
                              QStringLiteral("SUMMARY:Team (moved)\n"
                                             "RECURRENCE-ID;TZID=Europe/Berlin:20260209T100000\n"
                                             "DTSTART;TZID=Europe/Berlin:20260209T150000\n"
                                             "DTEND;TZID=Europe/Berlin:20260209T153000\n"));
  const QString cancelled = event(
      QStringLiteral("weekly"), QStringLiteral("SUMMARY:Team\nSTATUS:CANCELLED\n"
                                               "RECURRENCE-ID;TZID=Europe/Berlin:20260216T100000\n"
                                               "DTSTART;TZID=Europe/Berlin:20260216T100000\n"
                                               "DTEND;TZID=Europe/Berlin:20260216T103000\n"));
  const QString movedIn = event(QStringLiteral("weekly"),
                                QStringLiteral("SUMMARY:Team (early)\n"
                                               "RECURRENCE-ID;TZID=Europe/Berlin:20260223T100000\n"
                                               "DTSTART;TZID=Europe/Berlin:20260216T101500\n"
                                               "DTEND;TZID=Europe/Berlin:20260216T104500\n"));
  store.setSources(
      {write(QStringLiteral("work.ics"), calendar(weekly + moved + cancelled + movedIn, true))});

  const QList<CalendarEvent> regular = hourFrom(local(2026, 1, 12, 9, 45));
  ASSERT_EQ(regular.size(), 1);
  EXPECT_EQ(regular[0].title, QStringLiteral("Team"));
  EXPECT_EQ(regular[0].start, local(2026, 1, 12, 10));
  EXPECT_EQ(regular[0].end, local(2026, 1, 12, 10, 30));
  EXPECT_FALSE(regular[0].allDay);

  EXPECT_TRUE(hourFrom(local(2026, 2, 2, 9, 45)).isEmpty()) << "EXDATE";
  EXPECT_TRUE(hourFrom(local(2026, 2, 9, 9, 45)).isEmpty()) << "moved out of the hour";
  const QList<CalendarEvent> movedHour = hourFrom(local(2026, 2, 9, 14, 30));
  ASSERT_EQ(movedHour.size(), 1);
  EXPECT_EQ(movedHour[0].title, QStringLiteral("Team (moved)"));
  EXPECT_EQ(movedHour[0].start, local(2026, 2, 9, 15));
  // The cancelled instance is gone; another one moved into its hour.
  const QList<CalendarEvent> sixteenth = hourFrom(local(2026, 2, 16, 9, 50));
  ASSERT_EQ(sixteenth.size(), 1);
  EXPECT_EQ(sixteenth[0].title, QStringLiteral("Team (early)"));
  EXPECT_TRUE(hourFrom(local(2026, 2, 23, 9, 45)).isEmpty()) << "moved out of its own week";
  EXPECT_EQ(stateOf(dir.filePath(QStringLiteral("work.ics"))).status, Status::Read);
}

TEST_F(IcalCalendarStoreTest, WeeklyMeetingStaysAtNineAcrossTheChangeToSummerTime) {
  const QString zoned =
      event(QStringLiteral("zoned"), QStringLiteral("SUMMARY:Zoned\n"
                                                    "DTSTART;TZID=Europe/Berlin:20260316T090000\n"
                                                    "DURATION:PT1H\nRRULE:FREQ=WEEKLY;COUNT=10\n"));
  const QString floating = event(QStringLiteral("floating"),
                                 QStringLiteral("SUMMARY:Floating\n"
                                                "DTSTART:20260316T090000\nDTEND:20260316T093000\n"
                                                "RRULE:FREQ=WEEKLY\n"));
  store.setSources({write(QStringLiteral("a.ics"), calendar(zoned + floating, true))});
  for (const QDate day : {QDate(2026, 3, 23), QDate(2026, 3, 30), QDate(2026, 11, 2)}) {
    const QList<CalendarEvent> events = ask(local(day.year(), day.month(), day.day(), 0),
                                            local(day.year(), day.month(), day.day(), 23));
    QStringList seen;
    for (const CalendarEvent& e : events) {
      EXPECT_EQ(e.start, QDateTime(day, QTime(9, 0), Qt::LocalTime)) << e.title.toStdString();
      seen << e.title;
    }
    // The counted rule has ended by November.
    const QStringList expected =
        day.month() == 11 ? QStringList{QStringLiteral("Floating")}
                          : QStringList{QStringLiteral("Floating"), QStringLiteral("Zoned")};
    EXPECT_EQ(seen, expected) << day.toString(Qt::ISODate).toStdString();
  }
}

TEST_F(IcalCalendarStoreTest, ReadsUtcFloatingZonedAndAllDayTimes) {
  const QString body =
      event(QStringLiteral("u"), QStringLiteral("SUMMARY:UTC\nDTSTART:20260302T080000Z\n"
                                                "DTEND:20260302T083000Z\n")) +
      event(QStringLiteral("f"), QStringLiteral("SUMMARY:Floating\nDTSTART:20260302T091000\n")) +
      event(QStringLiteral("z"), QStringLiteral("SUMMARY:System zone\n"
                                                "DTSTART;TZID=America/New_York:20260302T032000\n"
                                                "DTEND;TZID=America/New_York:20260302T040000\n")) +
      event(QStringLiteral("d"), QStringLiteral("SUMMARY:Holiday\nDTSTART;VALUE=DATE:20260302\n")) +
      event(QStringLiteral("x"), QStringLiteral("SUMMARY:Mars\n"
                                                "DTSTART;TZID=Mars/Olympus:20260302T093000\n")) +
      // Extra dates: a period by its start in its own zone, one in a zone not
      // known in the start's.
      event(QStringLiteral("r"),
            QStringLiteral("SUMMARY:Extra\nDTSTART;TZID=Europe/Berlin:20260223T100000\n"
                           "RDATE;VALUE=PERIOD;TZID=America/New_York:20260302T034500/PT2H\n"
                           "RDATE;TZID=Venus/Maxwell:20260302T095000\n"));
  store.setSources({write(QStringLiteral("mixed.ics"), calendar(body))});
  test::ConsoleCapture console;
  const QList<CalendarEvent> events = hourFrom(local(2026, 3, 2, 9));
  QStringList titles;
  for (const CalendarEvent& e : events)
    titles << e.title;
  ASSERT_EQ(titles, (QStringList{QStringLiteral("Holiday"), QStringLiteral("UTC"),
                                 QStringLiteral("Floating"), QStringLiteral("System zone"),
                                 QStringLiteral("Mars"), QStringLiteral("Extra"),
                                 QStringLiteral("Extra")}));
  EXPECT_TRUE(events[0].allDay);
  EXPECT_EQ(events[0].end, local(2026, 3, 3, 0)) << "a date without an end lasts one day";
  EXPECT_EQ(events[1].start, local(2026, 3, 2, 9));
  EXPECT_EQ(events[2].start, local(2026, 3, 2, 9, 10));
  EXPECT_EQ(events[2].end, events[2].start) << "a date-time without an end lasts no time";
  EXPECT_EQ(events[3].start, local(2026, 3, 2, 9, 20));
  EXPECT_EQ(events[3].end, local(2026, 3, 2, 10));
  EXPECT_EQ(events[4].start, local(2026, 3, 2, 9, 30)) << "an unknown zone reads as local time";
  EXPECT_EQ(events[5].start, local(2026, 3, 2, 9, 45));
  EXPECT_EQ(events[6].start, local(2026, 3, 2, 9, 50));
  hourFrom(local(2026, 3, 2, 9, 1));
  EXPECT_EQ(console.lines().filter(QStringLiteral("Mars/Olympus")).size(), 1);
}

TEST_F(IcalCalendarStoreTest, ParsesAFileAgainOnlyAfterItChanged) {
  const QString path =
      write(QStringLiteral("one.ics"),
            calendar(event(QStringLiteral("a"), QStringLiteral("SUMMARY:First\n"
                                                               "DTSTART:20260302T093000\n"))));
  store.setSources({dir.path()});
  EXPECT_TRUE(store.eventsBetween(local(2026, 3, 2, 9), local(2026, 3, 2, 10)).isEmpty());
  EXPECT_TRUE(store.isReading()) << "the answer comes back from the worker";
  ASSERT_EQ(hourFrom(local(2026, 3, 2, 9)).size(), 1);
  hourFrom(local(2026, 3, 2, 9, 0).addSecs(15));
  // A day later the answer is expanded anew from the parsed file; until it
  // lands the store says it is reading.
  store.eventsBetween(local(2026, 3, 5, 9), local(2026, 3, 5, 10));
  EXPECT_TRUE(store.isReading());
  hourFrom(local(2026, 3, 5, 9));
  EXPECT_EQ(store.parseCount(), 1);
  EXPECT_FALSE(store.isReading());

  write(QStringLiteral("one.ics"),
        calendar(event(QStringLiteral("a"), QStringLiteral("SUMMARY:Second, longer title\n"
                                                           "DTSTART:20260302T094000\n"))));
  const QList<CalendarEvent> events = hourFrom(local(2026, 3, 2, 9));
  EXPECT_EQ(store.parseCount(), 2);
  ASSERT_EQ(events.size(), 1);
  EXPECT_EQ(events[0].title, QStringLiteral("Second, longer title"));
  EXPECT_EQ(stateOf(path).status, Status::Read);
}

TEST_F(IcalCalendarStoreTest, DamagedBinaryMissingAndOversizedFilesGiveNoEventsAndSayWhy) {
  const QString good =
      write(QStringLiteral("good.ics"),
            calendar(event(QStringLiteral("g"), QStringLiteral("SUMMARY:Still here\n"
                                                               "DTSTART:20260302T093000\n"))));
  const QString damaged = write(QStringLiteral("damaged.ics"),
                                QStringLiteral("BEGIN:VEVENT\r\nSUMMARY:no calendar\r\n"));
  const QString binary =
      write(QStringLiteral("binary.ics"), QByteArray("BEGIN:VCALENDAR\r\n\0\x01\x02\xff", 22));
  const QString huge = dir.filePath(QStringLiteral("huge.ics"));
  {
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(65LL * 1024 * 1024)); // sparse: nothing is written
  }
  const QString missing = dir.filePath(QStringLiteral("gone.ics"));
  store.setSources({good, damaged, binary, huge, missing});
  test::ConsoleCapture console;
  const QList<CalendarEvent> events = hourFrom(local(2026, 3, 2, 9));
  hourFrom(local(2026, 3, 2, 9, 0).addSecs(15));
  ASSERT_EQ(events.size(), 1);
  EXPECT_EQ(events[0].title, QStringLiteral("Still here"));
  EXPECT_EQ(stateOf(damaged).status, Status::NotICalendar);
  EXPECT_EQ(stateOf(binary).status, Status::NotICalendar);
  EXPECT_EQ(stateOf(huge).status, Status::TooLarge);
  EXPECT_EQ(stateOf(missing).status, Status::Missing);
  EXPECT_EQ(stateOf(missing).reason, QStringLiteral("the file does not exist"));
  // One line per file version, however often the store is asked.
  for (const QString& path : {damaged, binary, huge, missing})
    EXPECT_EQ(console.lines().filter(path).size(), 1) << path.toStdString();
  EXPECT_EQ(store.parseCount(), 3);
}

TEST_F(IcalCalendarStoreTest, APipeACountedRuleAndAHugeLineNeitherBlockNorHideTheGoodCalendar) {
  const QString good =
      write(QStringLiteral("good.ics"),
            calendar(event(QStringLiteral("g"), QStringLiteral("SUMMARY:Good\n"
                                                               "DTSTART:20260302T093000\n"))));
  const QString pipe = dir.filePath(QStringLiteral("pipe.ics"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  // One line of 60 MB, in an event that keeps its other lines.
  QByteArray huge = calendar(event(QStringLiteral("h"), QStringLiteral("SUMMARY:Huge\n"
                                                                       "DTSTART:20260302T094000\n"
                                                                       "DESCRIPTION:@\n")))
                        .toUtf8();
  huge.replace("@", QByteArray(60 * 1024 * 1024, 'y'));
  const QString hugeLine = write(QStringLiteral("line.ics"), huge);
  huge = {};
  // Counted from long ago: only the deadline or a stop ends its expansion.
  const QString counted =
      write(QStringLiteral("count.ics"),
            calendar(event(QStringLiteral("c"),
                           QStringLiteral("SUMMARY:Often\nDTSTART:19900101T000000Z\n"
                                          "RRULE:FREQ=SECONDLY;COUNT=2000000000\n"))));
  auto busy = std::make_unique<IcalCalendarStore>();
  busy->setSources({pipe, hugeLine, good, counted});
  QSignalSpy read(busy.get(), &CalendarStore::sourcesRead);
  QList<CalendarEvent> events = busy->eventsBetween(local(2026, 3, 2, 9), local(2026, 3, 2, 10));
  while (events.size() < 2 && read.wait(10000))
    events = busy->eventsBetween(local(2026, 3, 2, 9), local(2026, 3, 2, 10));
  ASSERT_EQ(events.size(), 2);
  EXPECT_EQ(events[0].title, QStringLiteral("Good"));
  EXPECT_EQ(events[1].title, QStringLiteral("Huge")) << "the huge line alone is left out";
  const QList<CalendarSourceState> states = busy->sourceStates();
  const auto state = [&](const QString& path) {
    return *std::find_if(states.begin(), states.end(), [&](auto& s) { return s.path == path; });
  };
  EXPECT_EQ(state(pipe).status, Status::Unreadable);
  EXPECT_EQ(state(pipe).reason, QStringLiteral("it is a pipe (FIFO), not a calendar file"));
  EXPECT_EQ(state(good).status, Status::Read);
  EXPECT_TRUE(busy->hasReadsInProgress()) << "the counted rule is still being expanded";
  kr::test::StepTimer quitting;
  busy.reset();
  EXPECT_LT(quitting.elapsed(), quitting.limit(1000));
}

TEST_F(IcalCalendarStoreTest, LargeCalendarsShareOneBudgetAndAFreedShareLetsTheNextIn) {
  constexpr qint64 k47MB = 47LL * 1024 * 1024;
  const QStringList paths{writeLarge(QStringLiteral("a.ics"), k47MB),
                          writeLarge(QStringLiteral("b.ics"), k47MB),
                          writeLarge(QStringLiteral("c.ics"), k47MB)};
  store.setSources(paths);
  QList<CalendarEvent> events = hourFrom(local(2026, 3, 2, 9));
  ASSERT_EQ(events.size(), 1);
  EXPECT_EQ(events[0].title, QStringLiteral("a.ics"));
  for (const QString& path : {paths[1], paths[2]}) {
    EXPECT_EQ(stateOf(path).status, Status::OverBudget);
    EXPECT_EQ(stateOf(path).reason,
              QStringLiteral("with the calendars listed before it, more than the 64 MB all "
                             "calendars together may hold"));
  }
  store.setSources({paths[1], paths[2]});
  events = hourFrom(local(2026, 3, 2, 9));
  ASSERT_EQ(events.size(), 1);
  EXPECT_EQ(events[0].title, QStringLiteral("b.ics"));
  EXPECT_EQ(stateOf(paths[2]).status, Status::OverBudget);
}

TEST_F(IcalCalendarStoreTest, RepeatingEventsKeepABoundedNumberOfOccurrences) {
  // Weekly since 1601, each occurrence lasting 425 years: about 22,000 run now.
  const QString centuries =
      event(QStringLiteral("long"), QStringLiteral("SUMMARY:Centuries\nDTSTART:16010305T091000Z\n"
                                                   "DTEND:20260305T091000Z\nRRULE:FREQ=WEEKLY\n"));
  const QString secondly =
      event(QStringLiteral("often"), QStringLiteral("SUMMARY:Often\nDTSTART:20260302T090000Z\n"
                                                    "RRULE:FREQ=SECONDLY;COUNT=2000000000\n"));
  store.setSources({write(QStringLiteral("a.ics"), calendar(centuries + secondly))});
  const QList<CalendarEvent> events = hourFrom(local(2026, 3, 2, 10));
  int often = 0;
  QDateTime latestStart;
  for (const CalendarEvent& e : events) {
    if (e.title == QStringLiteral("Often"))
      ++often;
    else
      latestStart = std::max(latestStart, e.start);
  }
  EXPECT_EQ(events.size() - often, IcalCalendarReader::kMaximumOccurrencesPerEvent / 2 + 1)
      << "the last that still run, and the one starting in the hour";
  EXPECT_EQ(latestStart, local(2026, 3, 2, 10, 10));
  EXPECT_EQ(often, IcalCalendarReader::kMaximumOccurrencesPerEvent / 2) << "the first in range";
  EXPECT_EQ(stateOf(dir.filePath(QStringLiteral("a.ics"))).status, Status::Read);

  // Every minute since the year 1, each lasting to the year 9999: the last
  // that run into the hour are found without going through the two thousand
  // years before, and the file's other events stay.
  const QString ages = event(QStringLiteral("ages"),
                             QStringLiteral("SUMMARY:Ages\nDTSTART:00010101T000000Z\n"
                                            "DTEND:99991231T000000Z\nRRULE:FREQ=MINUTELY\n"));
  const QString good =
      event(QStringLiteral("good"), QStringLiteral("SUMMARY:Good\nDTSTART:20260302T103000\n"));
  store.setSources({write(QStringLiteral("b.ics"), calendar(ages + good))});
  kr::test::StepTimer expanding;
  const QList<CalendarEvent> aged = hourFrom(local(2026, 3, 2, 10));
  EXPECT_LT(expanding.elapsed(), expanding.limit(2000));
  EXPECT_EQ(stateOf(dir.filePath(QStringLiteral("b.ics"))).status, Status::Read);
  const auto agesRunning = std::count_if(aged.begin(), aged.end(), [](const CalendarEvent& e) {
    return e.title == QStringLiteral("Ages");
  });
  EXPECT_EQ(aged.size() - agesRunning, 1) << "the good one";
  EXPECT_GE(agesRunning, IcalCalendarReader::kMaximumOccurrencesPerEvent / 2);
  EXPECT_LE(agesRunning, IcalCalendarReader::kMaximumOccurrencesPerEvent);
}

TEST_F(IcalCalendarStoreTest, AWallClockTimeThatOccursTwiceIsItsFirstOccurrence) {
  // The clocks go back from 03:00 to 02:00 on 2026-10-25 in Berlin.
  const QString zoned =
      event(QStringLiteral("z"), QStringLiteral("SUMMARY:Zoned\n"
                                                "DTSTART;TZID=Europe/Berlin:20261025T022000\n"));
  const QString floating =
      event(QStringLiteral("f"), QStringLiteral("SUMMARY:Floating\nDTSTART:20261025T022000\n"));
  const QString weekly =
      event(QStringLiteral("w"), QStringLiteral("SUMMARY:Weekly\nRRULE:FREQ=WEEKLY\n"
                                                "DTSTART;TZID=Europe/Berlin:20261018T022000\n"));
  store.setSources({write(QStringLiteral("a.ics"), calendar(zoned + floating + weekly, true))});
  const QDateTime first(QDate(2026, 10, 25), QTime(0, 20), Qt::UTC); // 02:20 summer time
  const QList<CalendarEvent> events = ask(first.addSecs(-600), first.addSecs(7200));
  ASSERT_EQ(events.size(), 3);
  for (const CalendarEvent& e : events)
    EXPECT_EQ(e.start, first) << e.title.toStdString();
}

// A time in the hour skipped when the clocks go forward is read with the
// offset before the change, at the start and at the end, and the event keeps
// the length it was written with.
TEST_F(IcalCalendarStoreTest, ATimeInTheSkippedHourIsReadWithTheOffsetBeforeIt) {
  test::ZoneScope berlin("Europe/Berlin");
  // 2026-03-29: Berlin goes from 02:00 to 03:00 (01:00 UTC); 2026-03-08: New
  // York goes from 02:00 to 03:00 (07:00 UTC).
  const auto lines = [](const char* zone, const char* day, const char* start, const char* end) {
    const QString at =
        zone ? QStringLiteral(";TZID=%1:").arg(QLatin1String(zone)) : QStringLiteral(":");
    return QStringLiteral("DTSTART%1%2T%3\nDTEND%1%2T%4\n")
        .arg(at, QLatin1String(day), QLatin1String(start), QLatin1String(end));
  };
  const QString zoned =
      event(QStringLiteral("z"), QStringLiteral("SUMMARY:Zoned\n") +
                                     lines("Europe/Berlin", "20260329", "023000", "033000"));
  const QString floating =
      event(QStringLiteral("f"),
            QStringLiteral("SUMMARY:Floating\n") + lines(nullptr, "20260329", "023000", "033000"));
  const QString endSkipped =
      event(QStringLiteral("e"), QStringLiteral("SUMMARY:End skipped\n") +
                                     lines(nullptr, "20260329", "013000", "023000"));
  const QString weekly =
      event(QStringLiteral("w"), QStringLiteral("SUMMARY:Weekly\nRRULE:FREQ=WEEKLY\n") +
                                     lines("Europe/Berlin", "20260322", "023000", "033000"));
  const QString system =
      event(QStringLiteral("n"), QStringLiteral("SUMMARY:New York\n") +
                                     lines("America/New_York", "20260308", "023000", "033000"));
  store.setSources({write(QStringLiteral("with-zone.ics"), calendar(zoned + weekly, true)),
                    write(QStringLiteral("without.ics"), calendar(floating + endSkipped)),
                    write(QStringLiteral("system.ics"), calendar(system))});

  const QDateTime change(QDate(2026, 3, 29), QTime(1, 0), Qt::UTC);
  const QList<CalendarEvent> events = ask(change.addSecs(-3 * 3600), change.addSecs(3 * 3600));
  QMap<QString, CalendarEvent> byTitle;
  for (const CalendarEvent& e : events)
    byTitle.insert(e.title, e);
  ASSERT_EQ(byTitle.keys(), (QStringList{QStringLiteral("End skipped"), QStringLiteral("Floating"),
                                         QStringLiteral("Weekly"), QStringLiteral("Zoned")}));
  for (const QString& title :
       {QStringLiteral("Zoned"), QStringLiteral("Floating"), QStringLiteral("Weekly")}) {
    EXPECT_EQ(byTitle[title].start, change.addSecs(1800)) << title.toStdString(); // 03:30 CEST
    EXPECT_EQ(byTitle[title].end, change.addSecs(5400)) << title.toStdString();
  }
  EXPECT_EQ(byTitle[QStringLiteral("End skipped")].start, change.addSecs(-1800)); // 01:30 CET
  EXPECT_EQ(byTitle[QStringLiteral("End skipped")].end, change.addSecs(1800));

  const QDateTime newYork(QDate(2026, 3, 8), QTime(7, 0), Qt::UTC);
  const QList<CalendarEvent> there = ask(newYork.addSecs(-3 * 3600), newYork.addSecs(3 * 3600));
  ASSERT_EQ(there.size(), 1);
  EXPECT_EQ(there.first().start, newYork.addSecs(1800)); // 03:30 EDT
  EXPECT_EQ(there.first().end, newYork.addSecs(5400));
}

} // namespace
} // namespace kr

namespace kr {

// A zone whose observance repeats every hour from 1601 would have the zone
// library work out every change up to 2026, hours of work for one event:
// such a rule is left out, and the event is still read, in the zone's offset.
TEST_F(IcalCalendarStoreTest, AZoneRuleRepeatingHourlyNeitherHoldsTheReadNorHidesTheEvent) {
  const QString zone = QStringLiteral(
      "BEGIN:VTIMEZONE\nTZID:Hourly\n"
      "BEGIN:STANDARD\nTZOFFSETFROM:+0000\nTZOFFSETTO:+0000\n"
      "DTSTART:16010101T000000\nRRULE:FREQ=HOURLY\nEND:STANDARD\n"
      "BEGIN:DAYLIGHT\nTZOFFSETFROM:+0000\nTZOFFSETTO:+0000\n"
      "DTSTART:16010101T003000\nRRULE:FREQ=YEARLY;BYMONTH=1,2,3,4,5,6,7,8,9,10,11,12;"
      "BYMONTHDAY=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15\nEND:DAYLIGHT\nEND:VTIMEZONE\n");
  const QString path = write(
      QStringLiteral("hourly.ics"),
      calendar(zone + event(QStringLiteral("e"),
                            QStringLiteral("SUMMARY:Meeting\nDTSTART;TZID=Hourly:20260302T090000\n"
                                           "DURATION:PT1H\n"))));
  store.setSources({path});
  kr::test::StepTimer timer;
  const QList<CalendarEvent> events = ask(local(2026, 3, 1, 0), local(2026, 3, 4, 0));
  EXPECT_LT(timer.elapsed(), timer.limit(2000));
  ASSERT_EQ(events.size(), 1);
  EXPECT_EQ(events.first().title, QStringLiteral("Meeting"));
  EXPECT_EQ(stateOf(path).status, Status::Read);
}

} // namespace kr

namespace kr {

// Rules that libical would search years ahead or back for, and rules stepping
// within a day from a start long before: each beside an event of the range,
// read at once, its occurrences in the range those of its steps from its start.
TEST_F(IcalCalendarStoreTest, ARuleMatchingOnlyFarAheadNeitherHoldsTheReadNorHidesTheOthers) {
  struct Case {
    const char* lines; // of the event "Seldom"
    int occurrences;   // in the range
    QDateTime first;
  };
  const Case cases[] = {
      {"DTSTART:20261026T150000\nRRULE:FREQ=HOURLY;BYMONTH=3;BYDAY=-1SU\n", 1,
       local(2026, 10, 26, 15)},
      {"DTSTART:20261026T150000\nRRULE:FREQ=MINUTELY;BYMONTH=3;BYDAY=-1SU\n", 1,
       local(2026, 10, 26, 15)},
      {"DTSTART:20261026T150000\nRRULE:FREQ=HOURLY;COUNT=40;BYMONTH=3;BYDAY=-1SU\n", 1,
       local(2026, 10, 26, 15)},
      // A thousand years long: the search back for occurrences still running
      // does not go through them hour by hour.
      {"DTSTART:16010101T000000\nDTEND:26020101T000000\n"
       "RRULE:FREQ=HOURLY;BYMONTH=3;BYDAY=-1SU\n",
       1, local(1601, 1, 1, 0)},
      // Every Sunday of March at ten since 2020, each running until 2030.
      {"DTSTART:20200329T100000\nDTEND:20300101T000000\n"
       "RRULE:FREQ=HOURLY;BYMONTH=3;BYDAY=SU;BYHOUR=10\n",
       28, local(2020, 3, 29, 10)},
      {"DTSTART:20260101T100000\nRRULE:FREQ=HOURLY;INTERVAL=5\n", 9, local(2026, 10, 26, 3)},
      {"DTSTART:20260101T221300\nRRULE:FREQ=MINUTELY;INTERVAL=97\n", 29,
       local(2026, 10, 26, 1, 20)},
      // On the zone's clock, also after the clocks went back (on the 25th).
      {"DTSTART;TZID=Europe/Berlin:20261020T103000\nRRULE:FREQ=HOURLY;INTERVAL=2\n", 24,
       local(2026, 10, 26, 0, 30)},
  };
  for (int i = 0; i < int(std::size(cases)); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.lines);
    const QString path =
        write(QStringLiteral("seldom-%1.ics").arg(i),
              calendar(event(QStringLiteral("s"),
                             QStringLiteral("SUMMARY:Seldom\n") + QLatin1String(c.lines)) +
                           event(QStringLiteral("m"),
                                 QStringLiteral("SUMMARY:Meeting\nDTSTART:20261027T090000\n")),
                       true));
    store.setSources({path});
    kr::test::StepTimer timer;
    const QList<CalendarEvent> events = ask(local(2026, 10, 26, 0), local(2026, 10, 28, 0));
    EXPECT_LT(timer.elapsed(), timer.limit(1000));
    QList<CalendarEvent> seldom;
    std::copy_if(events.begin(), events.end(), std::back_inserter(seldom),
                 [](const CalendarEvent& e) { return e.title == QStringLiteral("Seldom"); });
    EXPECT_EQ(events.size() - seldom.size(), 1) << "the meeting";
    ASSERT_EQ(seldom.size(), c.occurrences);
    EXPECT_EQ(seldom.first().start, c.first);
    EXPECT_EQ(stateOf(path).status, Status::Read);
  }
}

// Past the deadline for working out the repeating events, those not worked
// out are left out, the others given; those counted from their start, which
// may take long, are worked out last. The one cut after others had their share
// is tried first at the next read, and left out for good once it alone has
// used the whole deadline.
TEST_F(IcalCalendarStoreTest, RepeatingEventsPastTheDeadlineAloneAreLeftOut) {
  const QString path = write(
      QStringLiteral("late.ics"),
      calendar(
          event(QStringLiteral("c"), QStringLiteral("SUMMARY:Counted\n"
                                                    "DTSTART:19900101T000000Z\n"
                                                    "RRULE:FREQ=SECONDLY;COUNT=2000000000\n")) +
          event(QStringLiteral("w"), QStringLiteral("SUMMARY:Weekly\n"
                                                    "DTSTART:20260105T093000\n"
                                                    "RRULE:FREQ=WEEKLY\n")) +
          event(QStringLiteral("o"), QStringLiteral("SUMMARY:Once\nDTSTART:20260302T100000\n"))));
  IcalCalendarReader reader(500);
  const QStringList weeklyAndOnce{QStringLiteral("Weekly"), QStringLiteral("Once")};
  const struct {
    QStringList titles;
    int late;
  } reads[] = {{weeklyAndOnce, 1}, {{QStringLiteral("Once")}, 2}, {weeklyAndOnce, 1}};
  for (const auto& expected : reads) {
    const CalendarFileReading reading = reader.read(path, CalendarFileFingerprint::of(path),
                                                    local(2026, 3, 2, 0), local(2026, 3, 3, 0));
    EXPECT_EQ(reading.status, Status::Read);
    EXPECT_EQ(reading.lateEvents, expected.late);
    QStringList titles;
    for (const CalendarEvent& e : reading.events)
      titles << e.title;
    EXPECT_EQ(titles, expected.titles);
    EXPECT_EQ(reading.notes.filter(QStringLiteral("left out")).size(), 1);
  }
}

// On a busy machine the deadline, which covers all of a file's repeating
// events, may run out in a cheap one reached last: it is worked out first at
// the next read. One cut while it had the deadline to itself stays out.
TEST_F(IcalCalendarStoreTest, AnEventTheDeadlineCutAfterOthersIsTriedFirstAtTheNextRead) {
  constexpr qint64 kDeadline = 5000;
  // A stopwatch that jumps past the deadline the `jumpAt`-th time it is read.
  struct Watch {
    qint64 now = 0;
    int reads = 0;
    int jumpAt = 0;
  };
  const auto stopwatchOf = [](Watch& watch) {
    return [&watch] {
      if (++watch.reads == watch.jumpAt)
        watch.now += kDeadline + 1;
      return watch.now;
    };
  };
  const auto weekly = [](const char* uid, const char* title, const char* time) {
    return event(QString::fromLatin1(uid),
                 QStringLiteral("SUMMARY:%1\nDTSTART:20260105T%2\nRRULE:FREQ=WEEKLY\n")
                     .arg(QLatin1String(title), QLatin1String(time)));
  };
  const QString two = write(QStringLiteral("two.ics"), calendar(weekly("a", "First", "093000") +
                                                                weekly("b", "Second", "103000")));
  const QString one = write(QStringLiteral("one.ics"), calendar(weekly("c", "Alone", "113000")));
  const auto readOf = [](IcalCalendarReader& reader, const QString& path) {
    const CalendarFileReading reading = reader.read(path, CalendarFileFingerprint::of(path),
                                                    local(2026, 3, 2, 0), local(2026, 3, 3, 0));
    QStringList titles;
    for (const CalendarEvent& e : reading.events)
      titles << e.title;
    return QStringLiteral("%1 late %2, noted %3")
        .arg(titles.join(u' '))
        .arg(reading.lateEvents)
        .arg(reading.notes.filter(QStringLiteral("left out")).size());
  };
  QStringList seen;
  for (const QString& path : {two, one}) {
    // The last time a read looks at the stopwatch, it is working out the
    // file's last repeating event.
    Watch counted;
    IcalCalendarReader(kDeadline, stopwatchOf(counted))
        .read(path, CalendarFileFingerprint::of(path), local(2026, 3, 2, 0), local(2026, 3, 3, 0));
    Watch watch;
    watch.jumpAt = counted.reads;
    IcalCalendarReader reader(kDeadline, stopwatchOf(watch));
    for (int time = 0; time < 3; ++time)
      seen << readOf(reader, path);
  }
  EXPECT_EQ(seen.join(u'\n').toStdString(),
            QStringList({QStringLiteral("First late 1, noted 1"),
                         QStringLiteral("First Second late 0, noted 0"),
                         QStringLiteral("First Second late 0, noted 0"),
                         QStringLiteral(" late 1, noted 1"), QStringLiteral(" late 1, noted 1"),
                         QStringLiteral(" late 1, noted 1")})
                .join(u'\n')
                .toStdString());
}

} // namespace kr
