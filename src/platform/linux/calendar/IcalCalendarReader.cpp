#include "platform/linux/calendar/IcalCalendarReader.h"

#include <QFile>
#include <QSet>

#include <libical/ical.h>

#include <algorithm>

namespace kr {

namespace {

using Status = CalendarSourceState::Status;

// A time without a zone (floating) or a date means the same wall-clock time
// wherever the user is: read it as local time.
bool isWallClock(const icaltimetype& time) {
  return time.is_date || (time.zone == nullptr && !icaltime_is_utc(time));
}

QDateTime wallClock(const icaltimetype& time) {
  const QTime clock = time.is_date ? QTime(0, 0) : QTime(time.hour, time.minute, time.second);
  return QDateTime(QDate(time.year, time.month, time.day), clock, Qt::LocalTime);
}

QDateTime toDateTime(const icaltimetype& time) {
  if (isWallClock(time))
    return wallClock(time);
  if (icaltime_is_utc(time))
    return QDateTime(QDate(time.year, time.month, time.day),
                     QTime(time.hour, time.minute, time.second), Qt::UTC);
  return QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(time, time.zone), Qt::UTC);
}

// libical hands each occurrence's start as seconds, reading a wall-clock
// start as if it were UTC; turn those back into the wall-clock time.
QDateTime fromSpanStart(time_t seconds, const icaltimetype& start) {
  const QDateTime utc = QDateTime::fromSecsSinceEpoch(qint64(seconds), Qt::UTC);
  if (!isWallClock(start))
    return utc;
  return QDateTime(utc.date(), utc.time(), Qt::LocalTime);
}

icaltimetype utcTime(const QDateTime& date) {
  return icaltime_from_timet_with_zone(time_t(date.toSecsSinceEpoch()), 0,
                                       icaltimezone_get_utc_timezone());
}

bool hasProperty(icalcomponent* event, icalproperty_kind kind) {
  return icalcomponent_get_first_property(event, kind) != nullptr;
}

// A TZID that neither the file nor the system resolves leaves the time
// without a zone.
void noteUnknownZone(icalcomponent* event, const icaltimetype& start, QStringList* unknownZones) {
  icalproperty* property = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
  icalparameter* tzid =
      property ? icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER) : nullptr;
  if (!tzid || start.zone != nullptr || icaltime_is_utc(start) || start.is_date)
    return;
  const QString name = QString::fromUtf8(icalparameter_get_tzid(tzid));
  if (unknownZones && !unknownZones->contains(name))
    unknownZones->append(name);
}

// The end of the occurrence that starts at `start`: DTEND, else DURATION,
// else a day for a date and no time for a date-time.
QDateTime occurrenceEnd(icalcomponent* event, const icaltimetype& dtstart, const QDateTime& start) {
  if (hasProperty(event, ICAL_DTEND_PROPERTY)) {
    const icaltimetype dtend = icalcomponent_get_dtend(event);
    if (!icaltime_is_null_time(dtend)) {
      if (dtstart.is_date) {
        const qint64 days = QDate(dtstart.year, dtstart.month, dtstart.day)
                                .daysTo(QDate(dtend.year, dtend.month, dtend.day));
        return start.addDays(std::max<qint64>(days, 1));
      }
      return start.addSecs(std::max<qint64>(0, toDateTime(dtstart).secsTo(toDateTime(dtend))));
    }
  }
  if (icalproperty* duration = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
    const int seconds = icaldurationtype_as_int(icalproperty_get_duration(duration));
    if (dtstart.is_date && seconds % 86400 == 0)
      return start.addDays(std::max(seconds / 86400, 1));
    return start.addSecs(std::max(seconds, 0));
  }
  return dtstart.is_date ? start.addDays(1) : start;
}

QString occurrenceKey(icalcomponent* event, const QDateTime& start) {
  return QString::fromUtf8(icalcomponent_get_uid(event)) + QLatin1Char('\n') +
         QString::number(start.toSecsSinceEpoch());
}

struct Expansion {
  icalcomponent* event;
  icaltimetype dtstart;
  QString title;
  const QSet<QString>* replaced;
  QSet<qint64> seen;
  QList<CalendarEvent>* out;
  QDateTime from;
  QDateTime to;
};

void addOccurrence(Expansion& expansion, const QDateTime& start) {
  if (!expansion.seen.contains(start.toSecsSinceEpoch()) &&
      !expansion.replaced->contains(occurrenceKey(expansion.event, start))) {
    expansion.seen.insert(start.toSecsSinceEpoch());
    CalendarEvent occurrence{expansion.title, start,
                             occurrenceEnd(expansion.event, expansion.dtstart, start),
                             bool(expansion.dtstart.is_date)};
    if (occurrence.overlaps(expansion.from, expansion.to))
      expansion.out->append(occurrence);
  }
}

void onRecurrence(icalcomponent*, struct icaltime_span* span, void* data) {
  auto& expansion = *static_cast<Expansion*>(data);
  addOccurrence(expansion, fromSpanStart(span->start, expansion.dtstart));
}

} // namespace

IcalCalendarReader::IcalCalendarReader() {
  // A damaged file must give an error, never end the program.
  icalerror_set_errors_are_fatal(0);
}

IcalCalendarReader::~IcalCalendarReader() {
  for (auto& [path, file] : files_) {
    if (file.calendar)
      icalcomponent_free(file.calendar);
  }
}

void IcalCalendarReader::forget(const QString& path) {
  const auto found = files_.find(path);
  if (found == files_.end())
    return;
  if (found->second.calendar)
    icalcomponent_free(found->second.calendar);
  files_.erase(found);
}

CalendarFileReading IcalCalendarReader::read(const QString& path,
                                             const CalendarFileFingerprint& print,
                                             const QDateTime& from, const QDateTime& to) {
  CalendarFileReading reading;
  auto found = files_.find(path);
  if (found == files_.end() || !(found->second.print == print)) {
    forget(path);
    found = files_.emplace(path, parse(path, print)).first;
    reading.parsed = true;
  }
  const ParsedFile& file = found->second;
  reading.status = file.status;
  reading.reason = file.reason;
  reading.unknownZones = file.unknownZones;
  if (file.calendar)
    reading.events = occurrences(file.calendar, from, to, nullptr);
  return reading;
}

IcalCalendarReader::ParsedFile IcalCalendarReader::parse(const QString& path,
                                                         const CalendarFileFingerprint& print) {
  ++parseCount_;
  ParsedFile file;
  file.print = print;
  QFile device(path);
  if (!device.open(QIODevice::ReadOnly)) {
    file.status = Status::Unreadable;
    file.reason = QStringLiteral("the file cannot be read (%1)").arg(device.errorString());
    return file;
  }
  // Read one byte past the limit, so a file that grew after it was looked at
  // is still caught.
  const QByteArray data = device.read(kMaximumFileSize + 1);
  if (data.size() > kMaximumFileSize) {
    file.status = Status::TooLarge;
    file.reason = QStringLiteral("the file is larger than 64 MB");
    return file;
  }
  icalcomponent* calendar = nullptr;
  if (!data.contains('\0'))
    calendar = icalparser_parse_string(data.constData());
  if (calendar && icalcomponent_isa(calendar) != ICAL_VCALENDAR_COMPONENT) {
    icalcomponent_free(calendar);
    calendar = nullptr;
  }
  if (!calendar) {
    file.status = Status::NotICalendar;
    file.reason = QStringLiteral("the file is not an iCalendar file");
    return file;
  }
  file.calendar = calendar;
  for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
       event; event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
    noteUnknownZone(event, icalcomponent_get_dtstart(event), &file.unknownZones);
  return file;
}

QList<CalendarEvent> IcalCalendarReader::occurrences(icalcomponent* calendar, const QDateTime& from,
                                                     const QDateTime& to,
                                                     QStringList* unknownZones) {
  QList<CalendarEvent> result;
  // An occurrence moved elsewhere (RECURRENCE-ID) replaces the one it names.
  QSet<QString> replaced;
  QList<icalcomponent*> masters;
  for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
       event; event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
    const icaltimetype dtstart = icalcomponent_get_dtstart(event);
    if (icaltime_is_null_time(dtstart))
      continue;
    noteUnknownZone(event, dtstart, unknownZones);
    if (hasProperty(event, ICAL_RECURRENCEID_PROPERTY)) {
      icalproperty* property = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
      const icaltimetype id = icalproperty_get_datetime_with_component(property, event);
      replaced.insert(occurrenceKey(event, toDateTime(id)));
    }
    masters.append(event);
  }
  for (icalcomponent* event : masters) {
    if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
      continue;
    const bool isOverride = hasProperty(event, ICAL_RECURRENCEID_PROPERTY);
    const QSet<QString> none;
    Expansion expansion{event,
                        icalcomponent_get_dtstart(event),
                        QString::fromUtf8(icalcomponent_get_summary(event)),
                        isOverride ? &none : &replaced,
                        {},
                        &result,
                        from,
                        to};
    const QDateTime start = toDateTime(expansion.dtstart);
    const bool repeats =
        hasProperty(event, ICAL_RRULE_PROPERTY) || hasProperty(event, ICAL_RDATE_PROPERTY);
    if (isOverride || !repeats) {
      addOccurrence(expansion, start);
      continue;
    }
    // Start early enough for an occurrence that began before `from` and still
    // runs, and allow a day either way for wall-clock times read as UTC.
    const qint64 length = start.secsTo(occurrenceEnd(event, expansion.dtstart, start));
    icalcomponent_foreach_recurrence(event, utcTime(from.addSecs(-length - 86400)),
                                     utcTime(to.addSecs(86400)), &onRecurrence, &expansion);
  }
  std::sort(result.begin(), result.end(), &CalendarEvent::comesBefore);
  return result;
}

} // namespace kr
