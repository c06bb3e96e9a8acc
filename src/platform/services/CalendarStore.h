#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace kr {

// One occurrence of a calendar event.
struct CalendarEvent {
  QString title;
  QDateTime start;
  QDateTime end;
  bool allDay = false;

  // Earlier start first; equal starts by end, then by title, so that the
  // order never depends on the order of the files. Cheap for times in UTC,
  // as a store gives them; a local time is converted at each comparison.
  static bool comesBefore(const CalendarEvent& a, const CalendarEvent& b);
  bool overlaps(const QDateTime& from, const QDateTime& to) const;
  bool operator==(const CalendarEvent& other) const = default;
};

// What became of one calendar file.
struct CalendarSourceState {
  // OverBudget: the calendars listed before it fill the budget all
  // calendars share; TooSlow: reading it took too long.
  enum class Status {
    Reading,
    Read,
    Missing,
    Unreadable,
    NotICalendar,
    TooLarge,
    OverBudget,
    TooSlow
  };
  QString path;
  Status status = Status::Reading;
  // Why the file gives no events; empty when it was read.
  QString reason;
};

// The user's calendars: the events overlapping a time range, read from the
// sources the user chose (files or folders of files). Reading may happen in
// the background; the store then announces each finished read.
class CalendarStore : public QObject {
  Q_OBJECT
public:
  using QObject::QObject;
  ~CalendarStore() override;

  // The files and folders to read; a folder stands for its calendar files.
  virtual void setSources(const QStringList& paths) = 0;
  // The events that overlap [from, to), as far as the sources have been read.
  virtual QList<CalendarEvent> eventsBetween(const QDateTime& from, const QDateTime& to) = 0;
  virtual QList<CalendarSourceState> sourceStates() const = 0;
  // True while a source has not been read yet: an empty answer then means
  // "not known yet" rather than "no events".
  virtual bool isReading() const = 0;

Q_SIGNALS:
  // A source was read (or read again); earlier answers may be out of date.
  void sourcesRead();
};

} // namespace kr
