#pragma once

#include "platform/CalendarStore.h"
#include "platform/linux/calendar/CalendarFileFingerprint.h"

#include <atomic>
#include <map>

typedef struct icalcomponent_impl icalcomponent;

namespace kr {

// What one read of a calendar file gave.
struct CalendarFileReading {
  CalendarSourceState::Status status = CalendarSourceState::Status::Read;
  QString reason;
  // The occurrences overlapping the asked range, sorted.
  QList<CalendarEvent> events;
  // Time zones named by the file that neither the file nor the system knows.
  QStringList unknownZones;
  // True when this read parsed the file (a new version), false when it reused
  // the parsed file.
  bool parsed = false;
};

// Reads iCalendar files with libical and expands their events into
// occurrences. Keeps each file parsed until it changes. Not thread-safe: one
// thread (the store's worker) does all the reading.
class IcalCalendarReader {
public:
  static constexpr qint64 kMaximumFileSize = 64LL * 1024 * 1024;

  IcalCalendarReader();
  ~IcalCalendarReader();
  IcalCalendarReader(const IcalCalendarReader&) = delete;
  IcalCalendarReader& operator=(const IcalCalendarReader&) = delete;

  // The occurrences in [from, to) of the file in the version `print`
  // describes; the file is parsed again only when that version is new.
  CalendarFileReading read(const QString& path, const CalendarFileFingerprint& print,
                           const QDateTime& from, const QDateTime& to);
  // Lets go of a file no longer read.
  void forget(const QString& path);
  // How many times a file was parsed.
  int parseCount() const { return parseCount_.load(); }

  // The occurrences in [from, to) of a parsed calendar.
  static QList<CalendarEvent> occurrences(icalcomponent* calendar, const QDateTime& from,
                                          const QDateTime& to, QStringList* unknownZones);

private:
  struct ParsedFile {
    CalendarFileFingerprint print;
    icalcomponent* calendar = nullptr;
    CalendarSourceState::Status status = CalendarSourceState::Status::Read;
    QString reason;
    QStringList unknownZones;
  };
  ParsedFile parse(const QString& path, const CalendarFileFingerprint& print);

  std::map<QString, ParsedFile> files_;
  std::atomic<int> parseCount_{0};
};

} // namespace kr
