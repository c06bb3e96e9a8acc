#include "platform/linux/calendar/IcalCalendarReader.h"

#include "platform/linux/calendar/CalendarLineReader.h"
#include "platform/linux/calendar/IcalOccurrences.h"
#include "platform/linux/calendar/IcalRuleWalk.h"

#include <QElapsedTimer>
#include <QFile>

#include <libical/ical.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr {

namespace {

using IcalOccurrences::countOf;
using Status = CalendarSourceState::Status;

QString megabytes(qint64 bytes) { return QString::number(bytes / (1024 * 1024)); }

// What a path that is not a regular file is, for the user.
QString kindOf(mode_t mode) {
  if (S_ISDIR(mode))
    return QStringLiteral("a folder");
  if (S_ISFIFO(mode))
    return QStringLiteral("a pipe (FIFO)");
  if (S_ISCHR(mode) || S_ISBLK(mode))
    return QStringLiteral("a device");
  if (S_ISSOCK(mode))
    return QStringLiteral("a socket");
  return QStringLiteral("not a regular file");
}

bool startsWith(const QByteArray& line, const char* prefix) {
  const qsizetype length = qsizetype(std::strlen(prefix));
  return line.size() >= length && qstrnicmp(line.constData(), prefix, length) == 0;
}

QByteArray componentName(const QByteArray& line) {
  return line.mid(line.indexOf(':') + 1).trimmed().toUpper();
}

// The start's zone was named but is known neither to the file nor to the
// system: the name, else empty.
QString unknownZone(icalcomponent* event) {
  icalproperty* property = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
  icalparameter* tzid =
      property ? icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER) : nullptr;
  const icaltimetype start = icalcomponent_get_dtstart(event);
  if (!tzid || start.zone != nullptr || icaltime_is_utc(start) || start.is_date)
    return {};
  return QString::fromUtf8(icalparameter_get_tzid(tzid));
}

void note(QStringList& notes, const QString& text) {
  if (!notes.contains(text) && notes.size() < 20)
    notes.append(text);
}

// Whether a rule of a time zone's observance changes the zone at most once a
// year, as the rules of real zones do. The zone library works out every
// change from the observance's start up to the time asked about, so a rule
// that repeats hourly from the year 1601 would hold a read for minutes.
bool changesAtMostYearly(const icalrecurrencetype& rule) {
  return rule.freq == ICAL_YEARLY_RECURRENCE && countOf(rule.by_month) <= 1 &&
         countOf(rule.by_hour) <= 1 && countOf(rule.by_minute) <= 1 &&
         countOf(rule.by_second) <= 1 && countOf(rule.by_year_day) == 0 &&
         countOf(rule.by_week_no) == 0 && countOf(rule.by_set_pos) <= 1 &&
         (countOf(rule.by_day) <= 1 || countOf(rule.by_month_day) > 0);
}

// Takes out of a zone the rules that would change it more often than once a
// year; true when there were any.
bool dropFrequentZoneRules(icalcomponent* zone) {
  bool dropped = false;
  for (icalcomponent* observance = icalcomponent_get_first_component(zone, ICAL_ANY_COMPONENT);
       observance; observance = icalcomponent_get_next_component(zone, ICAL_ANY_COMPONENT)) {
    std::vector<icalproperty*> frequent;
    for (icalproperty* rule = icalcomponent_get_first_property(observance, ICAL_RRULE_PROPERTY);
         rule; rule = icalcomponent_get_next_property(observance, ICAL_RRULE_PROPERTY)) {
      if (!changesAtMostYearly(icalproperty_get_rrule(rule)))
        frequent.push_back(rule);
    }
    for (icalproperty* rule : frequent) {
      icalcomponent_remove_property(observance, rule);
      icalproperty_free(rule);
    }
    dropped = dropped || !frequent.empty();
  }
  return dropped;
}

// How long working out a repeating event's occurrences may take (see
// ParsedFile::repeating): 0 in proportion to the range asked for, 1 to the
// days since its start, 2 to the hours, minutes or seconds since then.
int workOf(icalcomponent* event) {
  int work = 0;
  const icaltimetype dtstart = icalcomponent_get_dtstart(event);
  for (icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY); rule;
       rule = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
    const icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
    if (IcalOccurrences::RuleWalk(recurrence, dtstart).followedFromStart())
      work = std::max(work, recurrence.freq < ICAL_DAILY_RECURRENCE ? 2 : 1);
  }
  return work;
}

} // namespace

// One file's parse: lines in, events of the file out.
class IcalCalendarReader::Parse {
public:
  Parse(ParsedFile& file, qint64 occurrenceBudget) : file_(file), budget_(occurrenceBudget) {}

  // False ends the read: the file is no calendar, or holds too many events.
  bool line(const QByteArray& line) {
    // A byte order mark may precede the first line.
    const QByteArray text = first_ && line.startsWith("\xEF\xBB\xBF") ? line.mid(3) : line;
    first_ = false;
    if (startsWith(text, "BEGIN:")) {
      const QByteArray name = componentName(text);
      if (depth_ == 0) {
        if (name != "VCALENDAR")
          return refuse(Status::NotICalendar, QStringLiteral("the file is not an iCalendar file"));
        calendar_ = true;
      } else if (depth_ == 1) {
        kind_ = name == "VEVENT" ? Kind::Event : name == "VTIMEZONE" ? Kind::Zone : Kind::Other;
        chunk_.clear();
        tooLong_ = false;
      }
      ++depth_;
    } else if (startsWith(text, "END:")) {
      if (depth_ == 0)
        return true;
      --depth_;
      if (depth_ == 1 || depth_ == 0) {
        append(text);
        const bool going = finish();
        kind_ = Kind::None;
        return going;
      }
    } else if (depth_ == 0) {
      return true;
    }
    append(text);
    return true;
  }

  // After the last line: the events set aside until every zone was known.
  bool end() {
    if (!calendar_)
      return refuse(Status::NotICalendar, QStringLiteral("the file is not an iCalendar file"));
    const QList<QByteArray> waiting = std::exchange(waiting_, {});
    for (const QByteArray& text : waiting) {
      if (!event(text, /*last=*/true))
        return false;
    }
    return true;
  }

private:
  enum class Kind { None, Event, Zone, Other };

  void append(const QByteArray& text) {
    if (kind_ != Kind::Event && kind_ != Kind::Zone)
      return;
    if (tooLong_ || chunk_.size() + text.size() + 2 > kMaximumEventLength) {
      tooLong_ = true;
      chunk_.clear();
      return;
    }
    chunk_.append(text).append("\r\n");
  }

  bool finish() {
    if (kind_ != Kind::Event && kind_ != Kind::Zone)
      return true;
    if (tooLong_) {
      note(file_.notes, QStringLiteral("an event longer than %1 MB was left out")
                            .arg(megabytes(kMaximumEventLength)));
      return true;
    }
    if (kind_ == Kind::Zone) {
      icalcomponent* zone = icalparser_parse_string(chunk_.constData());
      if (zone && icalcomponent_isa(zone) == ICAL_VTIMEZONE_COMPONENT && zones_ < kMaximumZones) {
        if (dropFrequentZoneRules(zone))
          note(file_.notes,
               QStringLiteral(
                   "a time zone's rule that changes it more than once a year was left out"));
        icalcomponent_add_component(file_.zones, zone);
        ++zones_;
      } else if (zone) {
        icalcomponent_free(zone);
      }
      return true;
    }
    return event(chunk_, /*last=*/false);
  }

  bool event(const QByteArray& text, bool last) {
    icalcomponent* event = icalparser_parse_string(text.constData());
    if (!event)
      return true;
    if (icalcomponent_isa(event) != ICAL_VEVENT_COMPONENT) {
      icalcomponent_free(event);
      return true;
    }
    icalcomponent_add_component(file_.zones, event);
    const QString zone = unknownZone(event);
    bool going = true;
    if (!zone.isEmpty() && !last) {
      // Its zone may come later in the file.
      waiting_.append(text);
    } else {
      if (!zone.isEmpty())
        note(file_.notes, QStringLiteral("unknown time zone \"%1\", read as local time").arg(zone));
      going = take(event, text);
    }
    icalcomponent_remove_component(file_.zones, event);
    icalcomponent_free(event);
    return going;
  }

  bool take(icalcomponent* event, const QByteArray& text) {
    const bool cancelled = icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED;
    if (icalproperty* id = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY)) {
      // An occurrence moved elsewhere (or cancelled) replaces the one it names.
      const icaltimetype time = icalproperty_get_datetime_with_component(id, event);
      if (!icaltime_is_null_time(time) && icaltime_is_valid_time(time))
        file_.replaced.insert(IcalOccurrences::occurrenceKey(
            QString::fromUtf8(icalcomponent_get_uid(event)), IcalOccurrences::instantOf(time)));
    } else if (icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
               icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY)) {
      if (!cancelled)
        file_.repeating[workOf(event)].append(text);
      return withinBudget();
    }
    CalendarEvent occurrence;
    if (!cancelled && IcalOccurrences::singleOccurrence(event, &occurrence))
      file_.single.append(occurrence);
    return withinBudget();
  }

  bool withinBudget() {
    if (file_.occurrences() <= budget_)
      return true;
    return refuse(Status::OverBudget,
                  QStringLiteral("its events pass the %1 that all calendars together may hold")
                      .arg(kMaximumOccurrences));
  }

  bool refuse(Status status, const QString& reason) {
    file_.status = status;
    file_.reason = reason;
    return false;
  }

  ParsedFile& file_;
  qint64 budget_;
  int depth_ = 0;
  bool first_ = true;
  bool calendar_ = false;
  Kind kind_ = Kind::None;
  QByteArray chunk_;
  bool tooLong_ = false;
  int zones_ = 0;
  QList<QByteArray> waiting_;
};

IcalCalendarReader::IcalCalendarReader(qint64 expansionDeadlineMilliseconds, Stopwatch stopwatch)
    : expansionDeadline_(expansionDeadlineMilliseconds), stopwatch_(std::move(stopwatch)) {
  if (!stopwatch_) {
    QElapsedTimer clock;
    clock.start();
    stopwatch_ = [clock] { return clock.elapsed(); };
  }
  // A damaged file must give an error, never end the program.
  icalerror_set_errors_are_fatal(0);
}

IcalCalendarReader::~IcalCalendarReader() {
  for (auto& [path, file] : files_)
    release(file);
}

void IcalCalendarReader::release(ParsedFile& file) {
  if (file.zones)
    icalcomponent_free(file.zones);
  file.zones = nullptr;
}

void IcalCalendarReader::forget(const QString& path) {
  const auto found = files_.find(path);
  if (found == files_.end())
    return;
  release(found->second);
  files_.erase(found);
}

IcalCalendarReader::Budget IcalCalendarReader::budgetLeftBeside(const QString& path) const {
  Budget left{kMaximumBytes, kMaximumOccurrences};
  for (const auto& [other, file] : files_) {
    if (other == path || file.status != Status::Read)
      continue;
    left.bytes -= file.bytes;
    left.occurrences -= file.occurrences();
  }
  return left;
}

CalendarFileReading IcalCalendarReader::read(const QString& path,
                                             const CalendarFileFingerprint& print,
                                             const QDateTime& from, const QDateTime& to) {
  const qint64 began = stopwatch_();
  CalendarFileReading reading;
  if (stopping_) {
    reading.status = Status::Unreadable;
    reading.reason = QStringLiteral("reading was stopped");
    return reading;
  }
  const Budget budget = budgetLeftBeside(path);
  auto found = files_.find(path);
  if (found == files_.end() || !(found->second.print == print) ||
      found->second.status == Status::OverBudget) {
    forget(path);
    found = files_.emplace(path, parse(path, print, budget, began)).first;
    reading.parsed = true;
  }
  ParsedFile& file = found->second;
  if (file.status == Status::Read)
    reading.events = occurrences(file, from.toUTC(), to.toUTC(), budget, &reading.lateEvents);
  reading.status = file.status;
  reading.reason = file.reason;
  reading.notes = file.notes;
  if (file.status != Status::Read && file.zones) {
    // A file that gives no events keeps nothing but its state.
    release(file);
    ParsedFile kept;
    kept.print = file.print;
    kept.status = file.status;
    kept.reason = file.reason;
    kept.notes = file.notes;
    file = std::move(kept);
  }
  return reading;
}

IcalCalendarReader::ParsedFile IcalCalendarReader::parse(const QString& path,
                                                         const CalendarFileFingerprint& print,
                                                         const Budget& budget, qint64 began) {
  ++parseCount_;
  ParsedFile file;
  file.print = print;
  auto refuse = [&file](Status status, const QString& reason) {
    file.status = status;
    file.reason = reason;
    return std::move(file);
  };
  // Never waits: a pipe or a device opens without a writer, and is refused.
  const int fd =
      ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT)
      return refuse(Status::Missing, QStringLiteral("the file does not exist"));
    return refuse(Status::Unreadable, QStringLiteral("the file cannot be read (%1)")
                                          .arg(QString::fromLocal8Bit(std::strerror(error))));
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    return refuse(Status::Unreadable,
                  QStringLiteral("it is %1, not a calendar file").arg(kindOf(info.st_mode)));
  if (info.st_size > kMaximumBytes)
    return refuse(Status::TooLarge,
                  QStringLiteral("the file is larger than %1 MB").arg(megabytes(kMaximumBytes)));
  const QString overBudget =
      QStringLiteral("with the calendars listed before it, more than the %1 MB all calendars "
                     "together may hold")
          .arg(megabytes(kMaximumBytes));
  if (info.st_size > budget.bytes)
    return refuse(Status::OverBudget, overBudget);

  file.zones = icalcomponent_new(ICAL_VCALENDAR_COMPONENT);
  Parse parse(file, budget.occurrences);
  CalendarLineReader lines(fd, budget.bytes, kMaximumLineLength);
  bool late = false;
  const auto outcome = lines.read([&parse](const QByteArray& line) { return parse.line(line); },
                                  [&] {
                                    late = stopwatch_() - began > kReadDeadlineMilliseconds;
                                    return stopping_ || late;
                                  });
  file.bytes = lines.bytesRead();
  if (lines.skippedLines() > 0)
    note(file.notes, QStringLiteral("%1 lines longer than %2 KB were left out")
                         .arg(lines.skippedLines())
                         .arg(kMaximumLineLength / 1024));
  switch (outcome) {
  case CalendarLineReader::Outcome::Done:
    break;
  case CalendarLineReader::Outcome::Stopped:
    return refuse(late ? Status::TooSlow : Status::Unreadable,
                  late ? QStringLiteral("reading it took longer than %1 seconds")
                             .arg(kReadDeadlineMilliseconds / 1000)
                       : QStringLiteral("reading was stopped"));
  case CalendarLineReader::Outcome::ReadFailed:
    return refuse(Status::Unreadable,
                  QStringLiteral("the file cannot be read (%1)").arg(lines.error()));
  case CalendarLineReader::Outcome::Binary:
    return refuse(Status::NotICalendar, QStringLiteral("the file is not an iCalendar file"));
  case CalendarLineReader::Outcome::PastLimit:
    return refuse(Status::OverBudget, overBudget);
  }
  if (file.status != Status::Read || !parse.end())
    return file;
  std::sort(file.single.begin(), file.single.end(), &CalendarEvent::comesBefore);
  return file;
}

QList<CalendarEvent> IcalCalendarReader::occurrences(ParsedFile& file, const QDateTime& from,
                                                     const QDateTime& to, const Budget& budget,
                                                     int* lateEvents) {
  const qint64 began = stopwatch_();
  QList<CalendarEvent> result;
  for (const CalendarEvent& event : std::as_const(file.single)) {
    if (event.start >= to)
      break;
    if (event.overlaps(from, to))
      result.append(event);
  }
  bool late = false;
  IcalOccurrences::Expansion expansion;
  expansion.replaced = &file.replaced;
  expansion.maximumOccurrences = kMaximumOccurrencesPerEvent;
  expansion.shouldStop = [&] {
    late = late || stopwatch_() - began > expansionDeadline_;
    return stopping_ || late;
  };
  bool capped = false;
  // The repeating events not worked out by the deadline are left out, the
  // others given. The deadline covers them all, so the one it cut may be a
  // cheap one reached last: it is worked out first at the next read. Only one
  // cut while it had the deadline to itself (the first worked out) is left
  // out of this version of the file for good: it would take as long again.
  int lateNow = 0; // this time: not reached, or cut and tried again next time
  QList<QByteArray>* cutFrom = nullptr;
  qsizetype cutAt = 0;
  bool first = true;
  bool cutAlone = false;
  for (QList<QByteArray>& texts : file.repeating) {
    for (qsizetype i = 0; i < texts.size(); ++i) {
      if (expansion.shouldStop()) {
        ++lateNow;
        continue;
      }
      icalcomponent* event = icalparser_parse_string(texts.at(i).constData());
      if (!event)
        continue;
      icalcomponent_add_component(file.zones, event);
      expansion.stopped = false;
      expansion.capped = false;
      const bool alone = std::exchange(first, false);
      result.append(IcalOccurrences::expand(event, from, to, expansion));
      icalcomponent_remove_component(file.zones, event);
      icalcomponent_free(event);
      capped = capped || expansion.capped;
      if (expansion.stopped) {
        cutFrom = &texts;
        cutAt = i;
        cutAlone = alone;
      }
    }
  }
  if (cutFrom && late) {
    QByteArray cut = cutFrom->takeAt(cutAt);
    if (cutAlone) {
      ++file.lateEvents;
    } else {
      file.repeating[0].prepend(std::move(cut));
      ++lateNow;
    }
  }
  if (capped)
    note(file.notes, QStringLiteral("an event repeats too often within a few days; at most "
                                    "%1 of its occurrences are kept")
                         .arg(kMaximumOccurrencesPerEvent));
  *lateEvents = file.lateEvents + (late ? lateNow : 0);
  // Said while some are left out: an event tried again may be given next time.
  const QString lateNote = QStringLiteral("repeating events whose occurrences took longer than "
                                          "%1 seconds to work out were left out")
                               .arg(double(expansionDeadline_) / 1000);
  if (*lateEvents > 0)
    note(file.notes, lateNote);
  else
    file.notes.removeAll(lateNote);
  file.expanded = result.size();
  if (stopping_ || file.occurrences() > budget.occurrences) {
    file.status = stopping_ ? Status::Unreadable : Status::OverBudget;
    file.reason = stopping_ ? QStringLiteral("reading was stopped")
                            : QStringLiteral("its events pass the %1 that all calendars "
                                             "together may hold")
                                  .arg(kMaximumOccurrences);
    return {};
  }
  std::sort(result.begin(), result.end(), &CalendarEvent::comesBefore);
  return result;
}

} // namespace kr
