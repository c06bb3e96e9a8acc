#pragma once

#include "platform/linux/calendar/CalendarFileFingerprint.h"
#include "platform/services/CalendarStore.h"

#include <QSet>

#include <array>
#include <atomic>
#include <functional>
#include <map>

typedef struct icalcomponent_impl icalcomponent;

namespace kr {

// What one read of a calendar file gave.
struct CalendarFileReading {
  CalendarSourceState::Status status = CalendarSourceState::Status::Read;
  QString reason;
  // The occurrences overlapping the asked range, sorted, in UTC.
  QList<CalendarEvent> events;
  // What the file's version holds that could not be followed (unknown time
  // zones, lines or events too long, events with too many occurrences).
  QStringList notes;
  // How many repeating events were left out because working them out took
  // longer than the deadline (this time, or before in this version of the
  // file); the file's other events are given. The deadline covers all of a
  // file's repeating events: the one it cut after others had their share is
  // worked out first at the next read; one it cut while it had the deadline
  // to itself stays out of this version of the file.
  int lateEvents = 0;
  // True when this read parsed the file (a new version), false when it reused
  // the parsed file.
  bool parsed = false;
};

// Reads iCalendar files with libical and expands their events into
// occurrences. A file is read a block at a time and parsed one event at a
// time; what is kept of it is the events that do not repeat (as occurrences)
// and the text of those that do (expanded for each range asked). All the
// files read share one budget of bytes and of occurrences; a file past it
// gives no events and says why. The repeating events whose occurrences take
// longer than a deadline to work out are left out. Not thread-safe, except
// requestStop: one thread (the store's worker) does all the reading.
class IcalCalendarReader {
public:
  // For all calendars together.
  static constexpr qint64 kMaximumBytes = 64LL * 1024 * 1024;
  static constexpr qint64 kMaximumOccurrences = 200000;
  // The occurrences of one repeating event kept for one range.
  static constexpr int kMaximumOccurrencesPerEvent = 1000;
  static constexpr int kMaximumLineLength = 256 * 1024;
  static constexpr int kMaximumEventLength = 1024 * 1024;
  static constexpr int kMaximumZones = 100;
  // How long reading one file, and then working out the occurrences of its
  // repeating events for one range, may take.
  static constexpr qint64 kReadDeadlineMilliseconds = 30000;
  static constexpr qint64 kExpansionDeadlineMilliseconds = 5000;

  // Milliseconds of a clock that never goes back, read for the deadlines.
  using Stopwatch = std::function<qint64()>;

  // Without a stopwatch, the system's monotonic clock.
  explicit IcalCalendarReader(qint64 expansionDeadlineMilliseconds = kExpansionDeadlineMilliseconds,
                              Stopwatch stopwatch = {});
  ~IcalCalendarReader();
  IcalCalendarReader(const IcalCalendarReader&) = delete;
  IcalCalendarReader& operator=(const IcalCalendarReader&) = delete;

  // The occurrences in [from, to) of the file in the version `print`
  // describes; the file is parsed again only when that version is new (or
  // was refused for the budget, which may have room now).
  CalendarFileReading read(const QString& path, const CalendarFileFingerprint& print,
                           const QDateTime& from, const QDateTime& to);
  // Lets go of a file no longer read, and of its share of the budget.
  void forget(const QString& path);
  // How many times a file was parsed.
  int parseCount() const { return parseCount_.load(); }
  // Asks a running read to end soon; every later read ends at once. Safe
  // from any thread.
  void requestStop() { stopping_ = true; }

private:
  struct ParsedFile {
    CalendarFileFingerprint print;
    CalendarSourceState::Status status = CalendarSourceState::Status::Read;
    QString reason;
    QStringList notes;
    qint64 bytes = 0;
    // A calendar holding the file's time zones, in which each event is
    // placed while it is worked out.
    icalcomponent* zones = nullptr;
    // The occurrences of the events that do not repeat, sorted.
    QList<CalendarEvent> single;
    // The text of each repeating event, by how long working it out may take:
    // in proportion to the range asked for; or, for a rule that must be
    // followed from its start however long ago (one that counts its
    // occurrences, or whose steps libical shifts by what came before), to
    // the days since then; or to the hours, minutes or seconds since then.
    // They are worked out in that order, but for one the deadline cut after
    // others had their share, put first.
    std::array<QList<QByteArray>, 3> repeating;
    QSet<QString> replaced;
    qint64 expanded = 0; // occurrences of the last expansion
    // Repeating events left out: working them out took longer than the
    // deadline.
    int lateEvents = 0;
    qint64 occurrences() const {
      return single.size() + repeating[0].size() + repeating[1].size() + repeating[2].size() +
             expanded;
    }
  };
  struct Budget {
    qint64 bytes;
    qint64 occurrences;
  };
  class Parse;

  Budget budgetLeftBeside(const QString& path) const;
  ParsedFile parse(const QString& path, const CalendarFileFingerprint& print, const Budget& budget,
                   qint64 began);
  QList<CalendarEvent> occurrences(ParsedFile& file, const QDateTime& from, const QDateTime& to,
                                   const Budget& budget, int* lateEvents);
  static void release(ParsedFile& file);

  qint64 expansionDeadline_;
  Stopwatch stopwatch_;
  std::map<QString, ParsedFile> files_;
  std::atomic<int> parseCount_{0};
  std::atomic<bool> stopping_{false};
};

} // namespace kr
