#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QTimeZone>

namespace kr {

// Turns local dates and times of one time zone into date-times, as
// QDateTime(date, time, zone) does, but faster for runs of nearby times (a
// log folder): it remembers the stretch between two of the zone's offset
// changes that the last conversion fell in, and inside it converts by the
// known offset. Times near the ends of that stretch, or before 1970, take
// the full conversion. Not thread-safe: one per thread.
class LocalTimeConverter {
public:
  explicit LocalTimeConverter(QTimeZone zone);

  QDateTime dateTime(QDate date, QTime time);

private:
  QTimeZone zone_;
  qint64 offsetFromUntil_[2] = {0, 0}; // the remembered stretch, UTC milliseconds
  qint64 offsetMSecs_ = 0;
  bool known_ = false;
};

} // namespace kr
