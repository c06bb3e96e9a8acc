#pragma once

#include "platform/services/CalendarStore.h"

#include <QWidget>

namespace kr {

class CalendarManager;
class EventView;

// The strip of a page that shows the next two events of the coming hour on a
// timeline from two minutes ahead (x = 7) to an hour ahead (the width less 7):
// the next event at the bottom, the one after it at the top.
class CalendarView : public QWidget {
  Q_OBJECT
public:
  static constexpr int kHeight = 66;

  static CalendarView* createCalendarView();

  // Hides both events; called once after creation.
  void prepare();
  // Reads the events again (not while the page hides the strip) and lays
  // them out.
  void updateState();

  // The manager asked; the shared one unless a test sets another.
  CalendarManager* calendarManager = nullptr;

  const QList<CalendarEvent>& calendarEvents() const { return calendarEvents_; }
  double tickDelta() const { return tickDelta_; }
  EventView* topEventView() const { return topEventView_; }
  EventView* bottomEventView() const { return bottomEventView_; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  CalendarView();
  bool isOnShownSection() const;
  void configure(EventView* view, int index, double now);

  QList<CalendarEvent> calendarEvents_;
  double tickDelta_ = 0.0;
  bool reading_ = false;
  EventView* topEventView_ = nullptr;
  EventView* bottomEventView_ = nullptr;
};

} // namespace kr
