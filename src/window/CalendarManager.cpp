#include "window/CalendarManager.h"

#include "engine/Clock.h"
#include "platform/settings/UserDefaults.h"

#include <algorithm>
#include <cmath>

namespace kr {

namespace {

const QString kCalendarFiles = QStringLiteral("calendarFiles");

QStringList calendarFiles() {
  UserDefaults& defaults = UserDefaults::standard();
  if (!defaults.registeredValue(kCalendarFiles).isValid())
    defaults.registerDefault(kCalendarFiles, QStringList());
  // A list of one is stored as plain text.
  return defaults.object(kCalendarFiles).toStringList();
}

} // namespace

CalendarManager::CalendarManager() { calendarFiles(); }

CalendarManager::~CalendarManager() { setCalendarEventStore(nullptr); }

CalendarManager& CalendarManager::sharedInstance() {
  static CalendarManager manager;
  return manager;
}

void CalendarManager::setCalendarEventStore(CalendarStore* store) {
  QObject::disconnect(readConnection_);
  calendarEventStore_ = store;
  lastQueryDate = kDistantPast;
  oldResult.clear();
  if (store) {
    // A read that finished may change the answer: ask at the next refresh,
    // rather than show no events for up to 15 seconds.
    readConnection_ = QObject::connect(store, &CalendarStore::sourcesRead, store,
                                       [this] { lastQueryDate = kDistantPast; });
  }
}

bool CalendarManager::isReadingCalendars() const {
  return calendarEventStore_ && calendarEventStore_->isReading();
}

QList<CalendarEvent> CalendarManager::fetchCalendarEventsForNext60Minutes() {
  const double now = Clock::now();
  if (isCalendarQueryStillRunning || std::abs(lastQueryDate - now) < kMinimumQueryInterval)
    return oldResult;
  lastQueryDate = now;
  isCalendarQueryStillRunning = true;
  QList<CalendarEvent> events;
  if (calendarEventStore_) {
    calendarEventStore_->setSources(calendarFiles());
    // In UTC: comparing with a local time would convert it anew each time.
    const QDateTime from = Clock::dateFromReferenceSeconds(now).toUTC();
    events = calendarEventStore_->eventsBetween(from, from.addSecs(3600));
    std::sort(events.begin(), events.end(), &CalendarEvent::comesBefore);
  }
  oldResult = events;
  isCalendarQueryStillRunning = false;
  return events;
}

} // namespace kr
