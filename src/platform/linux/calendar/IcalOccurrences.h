#pragma once

#include "platform/services/CalendarStore.h"

#include <QSet>

#include <functional>

typedef struct icalcomponent_impl icalcomponent;
struct icaltimetype;

namespace kr {

// Instants of iCalendar times and the occurrences of one event. Every
// occurrence is given in UTC, so that comparing and sorting them later never
// converts a local time again.
namespace IcalOccurrences {

// Seconds since the epoch of a time: UTC, in its zone, or, without a zone
// (floating, or a date), as local time. A wall-clock time that occurs twice
// (the hour the clocks go back) is its first occurrence; one that does not
// occur (the hour skipped when they go forward) is read with the offset
// before the change, as the standard says.
qint64 instantOf(const icaltimetype& time);

// The single occurrence an event that does not repeat describes (or the
// occurrence an override moves); false when it has no start.
bool singleOccurrence(icalcomponent* event, CalendarEvent* occurrence);

// The key of an occurrence an override (RECURRENCE-ID) replaces.
QString occurrenceKey(const QString& uid, qint64 startSeconds);

struct Expansion {
  // The occurrences replaced by overrides, by occurrenceKey.
  const QSet<QString>* replaced = nullptr;
  // At most this many occurrences are kept: half of them the last that began
  // before the range and still run, half the first that begin in it.
  int maximumOccurrences = 1000;
  // Asked every few hundred steps; true ends the expansion.
  std::function<bool()> shouldStop;
  bool stopped = false;
  bool capped = false;
};

// The occurrences of a repeating event (RRULE, RDATE, less EXDATE) that
// overlap [from, to), in order. The event must sit in its calendar so that
// its zones resolve.
QList<CalendarEvent> expand(icalcomponent* event, const QDateTime& from, const QDateTime& to,
                            Expansion& expansion);

} // namespace IcalOccurrences

} // namespace kr
