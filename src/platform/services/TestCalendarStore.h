#pragma once

#include "platform/services/CalendarStore.h"

namespace kr {

// A calendar store for tests: holds the events it is given, counts the
// questions it is asked and reads instantly unless told otherwise.
class TestCalendarStore final : public CalendarStore {
  Q_OBJECT
public:
  using CalendarStore::CalendarStore;

  void setSources(const QStringList& paths) override { sources = paths; }
  QList<CalendarEvent> eventsBetween(const QDateTime& from, const QDateTime& to) override;
  QList<CalendarSourceState> sourceStates() const override { return states; }
  bool isReading() const override { return reading; }

  // Ends a pretended read: clears `reading` and announces it.
  void finishReading();

  QList<CalendarEvent> events;
  QList<CalendarSourceState> states;
  QStringList sources;
  bool reading = false;
  int queryCount = 0;
};

} // namespace kr
