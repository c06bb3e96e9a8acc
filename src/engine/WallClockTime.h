#pragma once

#include "platform/LocalTimeZone.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QTimeZone>

#include <optional>

namespace kr {

// A day and time of day as the log writes them: what the local clock read,
// without its zone. The hour the clocks go back is read twice, so such a
// reading stands for two instants; the hour they skip going forward is never
// read, so such a reading stands for none. Every reader of log dates turns a
// reading into its instant here, so that all of them read one text alike.
struct WallClockTime {
  QDate day;
  QTime time;

  // What an entry says of its slice's length, in seconds: the planned length
  // ("#duration") and the seconds worked ("#actualDuration"); nothing for a
  // field the entry lacks.
  struct SliceLengths {
    std::optional<double> planned;
    std::optional<double> worked;
  };

  // The instant of a reading of its own (a slice's start, any date read
  // alone) in `zone`: of two, the first; for a reading the clocks skipped, the
  // instant they moved on (its clock then reads the end of the skipped hour).
  // Nothing for an invalid day, time or zone.
  std::optional<LocalInstant> instantIn(const QTimeZone& zone) const;
  // The instant of the end of a slice that started at `startMSecs` (since
  // 1970, UTC): of two, the one not before the start whose distance from it
  // comes nearest to one of `lengths` (to none: the nearer to the start), the
  // first on a tie or when both lie before the start. One whose distance is
  // shorter than the seconds worked is ruled out first, unless both are (an
  // entry edited by hand). The hour the clocks go back holds no zone in the
  // text: a slice wholly inside it reads as its first occurrence, start and
  // end alike.
  std::optional<LocalInstant> endInstantIn(const QTimeZone& zone, qint64 startMSecs,
                                           const SliceLengths& lengths) const;
  // The same as dates in `zone`; invalid where there is no instant. Without
  // a valid zone the C library's local time reads them, as it wrote them.
  QDateTime dateIn(const QTimeZone& zone) const;
  QDateTime endDateIn(const QTimeZone& zone, qint64 startMSecs, const SliceLengths& lengths) const;
};

} // namespace kr
