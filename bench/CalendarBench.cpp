// A large calendar: 10,000 events over ten years, 1,000 of them repeating
// daily or weekly for ten years with removed and moved instances. Measures a
// full parse of the file (with the expansion of the days around now) and a
// question about the coming hour while the file stays unchanged, which is what
// the calendar strip asks every 15 seconds.
#include "platform/linux/calendar/IcalCalendarReader.h"
#include "platform/linux/calendar/IcalCalendarStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kEvents = 10000;
constexpr int kRepeating = 1000;
const QDateTime kNow(QDate(2026, 3, 2), QTime(10, 0), Qt::UTC);

QString stamp(const QDateTime& time) {
  return time.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
}

QByteArray generatedCalendar() {
  // The rules began five years ago and run for ten years.
  const QDateTime first = kNow.addYears(-5);
  QString text = QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n");
  for (int i = 0; i < kEvents; ++i) {
    const bool repeats = i < kRepeating;
    const QDateTime start =
        repeats ? first.addSecs(qint64(i % 10) * 3600)
                : first.addSecs(qint64(i) * 9 * 3600 * 3).addSecs(qint64(i % 4) * 900);
    text += QStringLiteral("BEGIN:VEVENT\r\nUID:event-%1\r\nDTSTAMP:%2\r\nSUMMARY:Event %1\r\n"
                           "DTSTART:%3\r\nDTEND:%4\r\n")
                .arg(i)
                .arg(stamp(first), stamp(start), stamp(start.addSecs(1800)));
    if (repeats) {
      const QDateTime until = first.addYears(10);
      text += i % 2 ? QStringLiteral("RRULE:FREQ=DAILY;UNTIL=%1\r\n").arg(stamp(until))
                    : QStringLiteral("RRULE:FREQ=WEEKLY;UNTIL=%1\r\n").arg(stamp(until));
      const int step = i % 2 ? 1 : 7;
      for (int k = 1; k <= 3; ++k)
        text += QStringLiteral("EXDATE:%1\r\n").arg(stamp(start.addDays(qint64(k) * 50 * step)));
    }
    text += QStringLiteral("END:VEVENT\r\n");
    if (repeats) {
      const int step = i % 2 ? 1 : 7;
      const QDateTime moved = start.addDays(qint64(77) * step);
      text += QStringLiteral("BEGIN:VEVENT\r\nUID:event-%1\r\nDTSTAMP:%2\r\nSUMMARY:Moved %1\r\n"
                             "RECURRENCE-ID:%3\r\nDTSTART:%4\r\nDTEND:%5\r\nEND:VEVENT\r\n")
                  .arg(i)
                  .arg(stamp(first), stamp(moved), stamp(moved.addSecs(7200)),
                       stamp(moved.addSecs(9000)));
    }
  }
  text += QStringLiteral("END:VCALENDAR\r\n");
  return text.toUtf8();
}

struct Calendar {
  Calendar() {
    QFile file(dir.filePath(QStringLiteral("big.ics")));
    if (file.open(QIODevice::WriteOnly))
      file.write(generatedCalendar());
    path = file.fileName();
  }
  QTemporaryDir dir;
  QString path;
};

Calendar& calendar() {
  static Calendar shared;
  return shared;
}

void BM_FullParse(benchmark::State& state) {
  kr::IcalCalendarReader reader;
  kr::CalendarFileFingerprint print = kr::CalendarFileFingerprint::of(calendar().path);
  qsizetype found = 0;
  for (auto _ : state) {
    ++print.modifiedNanoseconds; // a new version each time: parsed again
    const kr::CalendarFileReading reading =
        reader.read(calendar().path, print, kNow.addDays(-1), kNow.addDays(2));
    found = reading.events.size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["occurrences"] = double(found);
  state.counters["parses"] = reader.parseCount();
}
BENCHMARK(BM_FullParse)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_QueryUnchangedFile(benchmark::State& state) {
  kr::IcalCalendarStore store;
  store.setSources({calendar().path});
  QSignalSpy read(&store, &kr::CalendarStore::sourcesRead);
  store.eventsBetween(kNow, kNow.addSecs(3600));
  while (store.hasReadsInProgress() && read.wait(10000)) {
  }
  QDateTime now = kNow;
  qsizetype found = 0;
  for (auto _ : state) {
    now = now.addSecs(15);
    found = store.eventsBetween(now, now.addSecs(3600)).size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["events"] = double(found);
  state.counters["parses"] = store.parseCount();
}
BENCHMARK(BM_QueryUnchangedFile)->Unit(benchmark::kMicrosecond)->Iterations(1000);

} // namespace
