#pragma once

#include "platform/linux/calendar/CalendarFileFingerprint.h"
#include "platform/services/CalendarStore.h"

#include <map>
#include <memory>
#include <mutex>

namespace kr {

class IcalCalendarReader;
class SerialQueue;
struct CalendarFileReading;

// The user's calendars as .ics files: each source is a file or a folder whose
// .ics files are read (one level deep). A file is parsed on a worker thread,
// and again only after it changed (modification time, size, inode); the
// result replaces the previous one on this object's thread. Answers come from
// the latest results, expanded on the worker for a few days around the time
// asked about and given in UTC, so a question never waits for a parse and
// never converts a local time. Destroying the store asks a running read to
// stop and waits for it at most half a second.
class IcalCalendarStore final : public CalendarStore {
  Q_OBJECT
public:
  explicit IcalCalendarStore(QObject* parent = nullptr);
  ~IcalCalendarStore() override;

  void setSources(const QStringList& paths) override;
  QList<CalendarEvent> eventsBetween(const QDateTime& from, const QDateTime& to) override;
  QList<CalendarSourceState> sourceStates() const override;
  bool isReading() const override;

  // How many times a file was parsed (for tests and measurements).
  int parseCount() const;
  // Whether a read was handed to the worker and has not come back.
  bool hasReadsInProgress() const;

private:
  struct File {
    CalendarSourceState state;
    CalendarFileFingerprint print; // the version of the last answer
    CalendarFileFingerprint asked; // the version of the read in progress
    bool inProgress = false;
    bool hasAnswer = false;
    bool covers = false; // the answer covers the range last asked
    QDateTime from, to;  // the range `events` covers
    QList<CalendarEvent> events;
    QString loggedReason;
  };

  QStringList calendarFiles() const;
  void refresh(const QString& path, File& file, const QDateTime& from, const QDateTime& to);
  void settle(File& file, CalendarSourceState::Status status, const QString& reason);
  void receive(const QString& path, const CalendarFileFingerprint& print, const QDateTime& from,
               const QDateTime& to, const CalendarFileReading& reading);

  QStringList sources_;
  std::map<QString, File> files_;
  std::shared_ptr<IcalCalendarReader> reader_;
  std::unique_ptr<SerialQueue> queue_;
  // How a read on the worker finds the store, if it is still there.
  struct Link {
    std::mutex mutex;
    IcalCalendarStore* store = nullptr;
  };
  std::shared_ptr<Link> link_;
};

} // namespace kr
