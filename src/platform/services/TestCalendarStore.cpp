#include "platform/services/TestCalendarStore.h"

namespace kr {

QList<CalendarEvent> TestCalendarStore::eventsBetween(const QDateTime& from, const QDateTime& to) {
  ++queryCount;
  QList<CalendarEvent> result;
  for (const CalendarEvent& event : events) {
    if (event.overlaps(from, to))
      result.append(event);
  }
  return result;
}

void TestCalendarStore::finishReading() {
  reading = false;
  Q_EMIT sourcesRead();
}

} // namespace kr
