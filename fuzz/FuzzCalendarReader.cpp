// Reads a calendar file of arbitrary bytes through the calendar reader, for
// the range the calendar store asks (a day before to two days after now):
// the reader must neither crash nor block, and what it gives must lie in the
// range, in order, within the per-event and shared limits.
#include "platform/linux/calendar/IcalCalendarReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {
QString calendarPath() {
  static QTemporaryDir dir;
  return dir.path() + QStringLiteral("/calendar.ics");
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QCoreApplication app(*argc, *argv);
  qputenv("TZ", "Europe/Berlin");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    QFile file(calendarPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
      std::abort();
    file.write(reinterpret_cast<const char*>(data), qint64(size));
  }
  static int version = 0;
  kr::CalendarFileFingerprint print = kr::CalendarFileFingerprint::of(calendarPath());
  print.modifiedNanoseconds = ++version; // a new version each time: parsed again
  const QDateTime now(QDate(2026, 10, 25), QTime(1, 30), Qt::UTC);
  const QDateTime from = now.addDays(-1);
  const QDateTime to = now.addDays(2);
  // Half the deadline for working out the repeating events: a second read
  // of the same version may work out the events the first one did not reach,
  // and both together stay well within the fuzzer's time for one input.
  kr::IcalCalendarReader reader(kr::IcalCalendarReader::kExpansionDeadlineMilliseconds / 2);
  const kr::CalendarFileReading reading = reader.read(calendarPath(), print, from, to);
  if (reading.status != kr::CalendarSourceState::Status::Read && !reading.events.isEmpty())
    std::abort();
  if (reading.events.size() > kr::IcalCalendarReader::kMaximumOccurrences)
    std::abort();
  for (qsizetype i = 0; i < reading.events.size(); ++i) {
    const kr::CalendarEvent& event = reading.events[i];
    if (!event.overlaps(from, to) || event.end < event.start)
      std::abort();
    if (i > 0 && kr::CalendarEvent::comesBefore(event, reading.events[i - 1]))
      std::abort();
  }
  // The same version again is not parsed again and, unless the working out
  // of its repeating events ran out of time either time (a loaded machine),
  // gives the same answer.
  const kr::CalendarFileReading again = reader.read(calendarPath(), print, from, to);
  if (again.parsed)
    std::abort();
  if (again.status == reading.status && reading.lateEvents == 0 && again.lateEvents == 0 &&
      again.events != reading.events)
    std::abort();
  return 0;
}
