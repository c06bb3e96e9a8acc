#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

namespace kr {

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

} // namespace kr
