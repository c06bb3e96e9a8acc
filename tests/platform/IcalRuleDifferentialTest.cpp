// Runs in Berlin's time.
#include "platform/linux/calendar/IcalCalendarReader.h"
#include "platform/linux/calendar/IcalOccurrences.h"

#include "support/BerlinZone.h"
#include "support/ZoneScope.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <libical/ical.h>

#include <algorithm>
#include <cstring>

namespace kr {
namespace {

const test::ProgramZone berlin("Europe/Berlin");

QByteArray calendarOf(const char* lines) {
  QByteArray text = QByteArray("BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//test//EN\n") +
                    test::kBerlinZone +
                    "BEGIN:VEVENT\nUID:e\nDTSTAMP:20260101T000000Z\nSUMMARY:E\n" + lines +
                    "END:VEVENT\nEND:VCALENDAR\n";
  return text.replace("\n", "\r\n");
}

// The starts of the occurrences overlapping [from, to) as libical's iterator
// gives them, followed from the event's start to the range's end, with the
// reader's limit: the last half of those begun before the range, the first
// half of those within it.
QStringList plainExpansion(const QByteArray& text, qint64 from, qint64 to) {
  icalcomponent* calendar = icalparser_parse_string(text.constData());
  icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
  const icaltimetype dtstart = icalcomponent_get_dtstart(event);
  const icaltimetype dtend = icalcomponent_get_dtend(event);
  auto endOf = [&](const icaltimetype& start) {
    if (!dtstart.is_date)
      return IcalOccurrences::instantOf(start) + IcalOccurrences::instantOf(dtend) -
             IcalOccurrences::instantOf(dtstart);
    const int days = QDate(dtstart.year, dtstart.month, dtstart.day)
                         .daysTo(QDate(dtend.year, dtend.month, dtend.day));
    const QDate last = QDate(start.year, start.month, start.day).addDays(std::max(days, 1));
    return QDateTime(last, QTime(0, 0), Qt::LocalTime).toSecsSinceEpoch();
  };
  QList<qint64> excluded;
  for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
       p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY))
    excluded << IcalOccurrences::instantOf(icalproperty_get_datetime_with_component(p, event));
  QList<qint64> starts;
  auto take = [&](const icaltimetype& time) {
    const qint64 start = IcalOccurrences::instantOf(time);
    const qint64 end = endOf(time);
    if (!excluded.contains(start) && (start == end ? start >= from : end > from) && start < to)
      starts << start;
    return start < to;
  };
  take(dtstart);
  for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY); p;
       p = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
    icalrecur_iterator* it = icalrecur_iterator_new(icalproperty_get_rrule(p), dtstart);
    for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t) && take(t);
         t = icalrecur_iterator_next(it)) {
    }
    icalrecur_iterator_free(it);
  }
  for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY); p;
       p = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY))
    take(icalproperty_get_datetime_with_component(p, event));
  icalcomponent_free(calendar);
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
  const int half = IcalCalendarReader::kMaximumOccurrencesPerEvent / 2;
  const auto within = std::lower_bound(starts.begin(), starts.end(), from);
  QStringList kept;
  for (auto at = within - std::min<qsizetype>(within - starts.begin(), half);
       at != starts.end() && at - within < half; ++at)
    kept << QDateTime::fromSecsSinceEpoch(*at, Qt::UTC).toString(Qt::ISODate);
  return kept;
}

// Each rule read for a week, a month, and a stretch over a year's end and a
// clock change gives the occurrences libical's own iterator gives, however
// the reader jumps ahead and skips the days, hours and minutes the rule
// leaves out.
TEST(IcalRuleDifferentialTest, ARuleReadsAsLibicalFollowsItFromItsStart) {
  const char* const cases[] = {
      "DTSTART:20250110T093000\nDURATION:PT1H\nRRULE:FREQ=DAILY\n",
      "DTSTART:20250110T093000\nDURATION:PT1H\nRRULE:FREQ=DAILY;INTERVAL=3\n",
      "DTSTART;TZID=Europe/Berlin:20250106T100000\nDURATION:PT30M\n"
      "RRULE:FREQ=WEEKLY;BYDAY=MO,WE,FR\n",
      "DTSTART:20250107T140000Z\nDURATION:PT1H\nRRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=TU;WKST=SU\n",
      "DTSTART:20250131T080000\nRRULE:FREQ=MONTHLY;BYMONTHDAY=31\n",
      "DTSTART:20250131T080000\nDURATION:PT2H\nRRULE:FREQ=MONTHLY;BYMONTHDAY=-1\n",
      "DTSTART;TZID=Europe/Berlin:20250114T090000\nRRULE:FREQ=MONTHLY;BYDAY=2TU\n",
      "DTSTART:20250131T170000\nDURATION:PT1H\nRRULE:FREQ=MONTHLY;BYDAY=-1FR\n",
      "DTSTART:20250131T170000\nRRULE:FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1\n",
      "DTSTART:20240229T120000\nRRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=29\n",
      "DTSTART:20240409T120000\nRRULE:FREQ=YEARLY;BYYEARDAY=100,-300\n",
      "DTSTART:20250512T120000\nRRULE:FREQ=YEARLY;BYWEEKNO=1,10,20;BYDAY=MO\n",
      "DTSTART;TZID=Europe/Berlin:20250330T023000\nDURATION:PT1H\n"
      "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\n",
      "DTSTART:20250101T010000\nDURATION:PT30M\nRRULE:FREQ=HOURLY;INTERVAL=5\n",
      "DTSTART:20250101T090000Z\nRRULE:FREQ=HOURLY;BYHOUR=9,17\n",
      "DTSTART:20260101T001500\nDURATION:PT20M\nRRULE:FREQ=MINUTELY;INTERVAL=90\n",
      "DTSTART:20250101T204630\nRRULE:FREQ=MINUTELY;INTERVAL=7;BYHOUR=3,18;BYDAY=MO,SU\n",
      "DTSTART:20260101T000000Z\nRRULE:FREQ=MINUTELY;INTERVAL=13;BYMONTHDAY=1,-1;BYHOUR=9\n",
      "DTSTART:20250101T073000\nRRULE:FREQ=HOURLY;INTERVAL=11;UNTIL=20261227T000000Z\n",
      "DTSTART;TZID=Europe/Berlin:20250301T003000\nDURATION:PT1H\n"
      "RRULE:FREQ=HOURLY;INTERVAL=3;BYMONTH=3,10;BYDAY=SU\n",
      "DTSTART;TZID=Europe/Berlin:20250101T080000\nDURATION:PT45M\n"
      "RRULE:FREQ=DAILY;BYHOUR=8,20\n",
      "DTSTART;TZID=Europe/Berlin:20250101T080000\nRRULE:FREQ=DAILY;BYHOUR=8,20;"
      "UNTIL=20261101T000000Z\n",
      "DTSTART:20250110T093000\nRRULE:FREQ=DAILY;UNTIL=20260305\n",
      "DTSTART:20250110T093000\nRRULE:FREQ=WEEKLY;COUNT=62\n",
      "DTSTART:20250101T010000\nRRULE:FREQ=HOURLY;INTERVAL=7;COUNT=2000\n",
      "DTSTART;TZID=Europe/Berlin:20250106T100000\nDURATION:PT1H\nRRULE:FREQ=WEEKLY\n"
      "EXDATE;TZID=Europe/Berlin:20260302T100000,20261026T100000\n"
      "RDATE;TZID=Europe/Berlin:20260304T150000,20261230T150000\n",
      "DTSTART;VALUE=DATE:20250105\nDTEND;VALUE=DATE:20250106\nRRULE:FREQ=WEEKLY;BYDAY=SU,TH\n",
      "DTSTART;VALUE=DATE:20250301\nDTEND;VALUE=DATE:20250304\nRRULE:FREQ=MONTHLY\n",
      "DTSTART:20250227T220000\nDTEND:20250302T220000\nRRULE:FREQ=WEEKLY;INTERVAL=2\n",
      "DTSTART:20160301T100000\nDURATION:PT1H\nRRULE:FREQ=DAILY\n",
      "DTSTART:20160301T100000\nDURATION:PT1H\nRRULE:FREQ=HOURLY;BYHOUR=10;BYDAY=MO\n",
      "DTSTART;TZID=Europe/Berlin:20160301T100000\nDURATION:PT1H\n"
      "RRULE:FREQ=MONTHLY;BYDAY=-1SU,1MO\n",
      // An extra date in a zone of its own, and one floating (the start's
      // zone). (libical reads no time from a period: the store's test has it.)
      "DTSTART;TZID=Europe/Berlin:20250106T100000\nDURATION:PT1H\nRRULE:FREQ=WEEKLY\n"
      "RDATE;TZID=America/New_York:20260304T150000,20261221T150000\n"
      "RDATE:20260305T150000\n",
      // An end in another zone, from a start the clocks skipped.
      "DTSTART;TZID=Europe/Berlin:20250330T023000\n"
      "DTEND;TZID=America/New_York:20250330T080000\nRRULE:FREQ=DAILY\n",
      "DTSTART;TZID=Europe/Berlin:20250105T233000\n"
      "DTEND;TZID=America/New_York:20250105T183000\nRRULE:FREQ=WEEKLY;BYDAY=SU,TU\n",
      "DTSTART:20250101T090000\nRRULE:FREQ=YEARLY;BYMONTH=3,10;BYDAY=SU;BYSETPOS=1,-1\n",
      "DTSTART;TZID=Europe/Berlin:20240105T180000\n"
      "RRULE:FREQ=YEARLY;BYMONTH=3,12;BYDAY=MO,FR;BYSETPOS=2,-3\n",
      "DTSTART;VALUE=DATE:19620302\nDTEND;VALUE=DATE:19620303\nRRULE:FREQ=WEEKLY;BYDAY=MO,TH\n",
      "DTSTART;VALUE=DATE:19700301\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=1SU,-1WE\n",
      // Counted past the first piece of the walk.
      "DTSTART:20050103T090000\nDURATION:PT1H\nRRULE:FREQ=WEEKLY;BYDAY=MO,WE,FR;COUNT=4000\n",
      "DTSTART:20200101T080000\nRRULE:FREQ=DAILY;COUNT=3000\n",
      "DTSTART;TZID=Europe/Berlin:19500105T120000\nRRULE:FREQ=MONTHLY;BYDAY=MO,FR;"
      "BYSETPOS=1,-1;COUNT=2000\n",
  };
  const QDateTime ranges[][2] = {
      {QDateTime(QDate(2026, 3, 2), QTime(0, 0), Qt::LocalTime),
       QDateTime(QDate(2026, 3, 9), QTime(0, 0), Qt::LocalTime)},
      {QDateTime(QDate(2026, 3, 1), QTime(0, 0), Qt::LocalTime),
       QDateTime(QDate(2026, 4, 1), QTime(0, 0), Qt::LocalTime)},
      {QDateTime(QDate(2026, 10, 20), QTime(12, 0), Qt::LocalTime),
       QDateTime(QDate(2027, 1, 6), QTime(12, 0), Qt::LocalTime)},
  };
  QTemporaryDir dir;
  for (int i = 0; i < int(std::size(cases)); ++i) {
    const QByteArray text = calendarOf(cases[i]);
    QFile file(dir.filePath(QStringLiteral("%1.ics").arg(i)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    IcalCalendarReader reader;
    int found = 0;
    for (const auto& range : ranges) {
      SCOPED_TRACE(std::string(cases[i]) + range[0].toString(Qt::ISODate).toStdString());
      const CalendarFileReading reading = reader.read(
          file.fileName(), CalendarFileFingerprint::of(file.fileName()), range[0], range[1]);
      EXPECT_EQ(reading.status, CalendarSourceState::Status::Read);
      QStringList starts;
      for (const CalendarEvent& e : reading.events)
        starts << e.start.toString(Qt::ISODate);
      const QStringList expected =
          plainExpansion(text, range[0].toSecsSinceEpoch(), range[1].toSecsSinceEpoch());
      EXPECT_EQ(starts.join(' ').toStdString(), expected.join(' ').toStdString());
      found += int(expected.size());
    }
    // Only a leap day falls in none of the ranges.
    EXPECT_TRUE(found > 0 || std::strstr(cases[i], "BYMONTHDAY=29")) << cases[i];
  }
}

} // namespace
} // namespace kr
