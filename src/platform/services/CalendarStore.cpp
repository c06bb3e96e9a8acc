#include "platform/services/CalendarStore.h"

#include <tuple>

namespace kr {

bool CalendarEvent::comesBefore(const CalendarEvent& a, const CalendarEvent& b) {
  const qint64 aStart = a.start.toMSecsSinceEpoch();
  const qint64 bStart = b.start.toMSecsSinceEpoch();
  const qint64 aEnd = a.end.toMSecsSinceEpoch();
  const qint64 bEnd = b.end.toMSecsSinceEpoch();
  return std::tie(aStart, aEnd, a.title) < std::tie(bStart, bEnd, b.title);
}

bool CalendarEvent::overlaps(const QDateTime& from, const QDateTime& to) const {
  // An event without length overlaps the range it lies in.
  if (start == end)
    return start >= from && start < to;
  return start < to && end > from;
}

CalendarStore::~CalendarStore() = default;

} // namespace kr
