#pragma once

#include "platform/services/CalendarStore.h"

#include <QMetaObject>

namespace kr {

// Reads the events of the coming hour from the calendar store, at most once
// every 15 seconds however often the pages refresh. The sources are the paths
// stored under "calendarFiles".
class CalendarManager {
public:
  static constexpr double kDistantPast = -63113904000.0;
  static constexpr double kMinimumQueryInterval = 15.0;

  CalendarManager();
  ~CalendarManager();
  CalendarManager(const CalendarManager&) = delete;
  CalendarManager& operator=(const CalendarManager&) = delete;

  static CalendarManager& sharedInstance();

  // The store asked; none: there are no events. A finished read of the store
  // makes the next fetch ask again.
  void setCalendarEventStore(CalendarStore* store);
  CalendarStore* calendarEventStore() const { return calendarEventStore_; }

  // The events that start or run between now and an hour from now, sorted by
  // start (then end, then title).
  QList<CalendarEvent> fetchCalendarEventsForNext60Minutes();
  // True while the store has not read every source yet.
  bool isReadingCalendars() const;

  double lastQueryDate = kDistantPast;
  bool isCalendarQueryStillRunning = false;
  QList<CalendarEvent> oldResult;

private:
  CalendarStore* calendarEventStore_ = nullptr;
  QMetaObject::Connection readConnection_;
};

} // namespace kr
