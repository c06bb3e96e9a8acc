#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <optional>

namespace kr {

// An instant and the local zone's offset from UTC there.
struct LocalInstant {
  qint64 msecs = 0; // since 1970 (UTC)
  int offsetSeconds = 0;
  // The local day of the instant.
  QDate localDate() const;
  // The local hour of the day (0 to 23).
  int localHour() const;
  // The local date and time as "yyyy-MM-dd HH:mm:ss" (seconds truncated, as
  // QLocale::c() writes them); nothing for a year outside 1 to 9999, which
  // that form cannot hold in four digits.
  std::optional<QString> localText() const;
};

// The system's time zone, for turning clock times into local dates and times.
// Qt's own local-time conversions go through the C library, which examines the
// zone file at every conversion; this zone is read once and again only after
// it changed: TZ is compared at each use, and the folder holding /etc/localtime
// is watched (on the GUI thread, once a Qt application exists). Usable from
// any thread.
class LocalTimeZone {
public:
  LocalTimeZone() = delete;

  static QTimeZone current();
  // The same instant as local date and time.
  static QDateTime toLocal(const QDateTime& date);
  static QDateTime fromMSecsSinceEpoch(qint64 msecs);
  // Midnight (or the first moment) of a local day.
  static QDateTime startOfDay(const QDate& day);
  static QDateTime dateTime(const QDate& day, const QTime& time);

  // Forgets the zone; the next use reads it again.
  static void refresh();
  // Counts the readings of the zone.
  static int readings();
  // Watches `file` (and the folder holding it) instead of /etc/localtime.
  static void watch(const QString& file);
  static const QString& systemZoneFile();
};

// Turns many local dates and times into instants, as QDateTime does in the
// system zone, without its several zone look-ups for each one: between two
// transitions of the zone the offset is one, so each stretch between them is
// looked up once (and shared by every user of the zone until it changes).
// Local times within two days of a transition, where a time may be skipped
// or repeated, are left to the caller. One instance belongs to one thread.
class LocalClockTimes {
public:
  // Takes the system zone as it is now.
  LocalClockTimes();

  const QTimeZone& zone() const { return zone_; }
  // What QDateTime(day, time, zone()) stands for, where the zone keeps one
  // offset for two days either side; nothing nearer a transition (where the
  // caller decides which instant a skipped or repeated time is), without a
  // valid zone, or for an invalid day or time.
  std::optional<LocalInstant> instantAwayFromTransitions(const QDate& day, const QTime& time);
  // The zone's offset from UTC at an instant (milliseconds since 1970), as
  // QDateTime::toTimeZone(zone()) gives it; nothing without a valid zone or
  // outside the dates QDateTime knows. The stretch between the transitions
  // around the last instant asked is kept, so instants asked in order cost a
  // comparison each.
  std::optional<int> offsetAt(qint64 msecs);

  // Local milliseconds (since 1970-01-01 00:00 local) that map to UTC by one
  // offset throughout.
  struct Stretch {
    qint64 from = 0;
    qint64 to = 0; // exclusive
    int offsetSeconds = 0;
    bool contains(qint64 local) const { return local >= from && local < to; }
  };

private:
  QTimeZone zone_;
  quint64 generation_ = 0;
  Stretch last_;
  Stretch lastInstants_;         // in milliseconds since 1970 (UTC), not local
  qint64 dayWithoutStretch_ = 0; // a day near a transition, as a Julian day
};

} // namespace kr
