#include "platform/linux/calendar/IcalCalendarStore.h"

#include "platform/QnLog.h"
#include "platform/SerialQueue.h"
#include "platform/linux/calendar/IcalCalendarReader.h"

#include <QDir>

#include <algorithm>

namespace kr {

namespace {

using Status = CalendarSourceState::Status;

// Answers are expanded for this much around the time asked about, so that
// the worker expands again only every other day.
constexpr qint64 kDaysBefore = 1;
constexpr qint64 kDaysAfter = 2;
// How long quitting waits for a running read.
constexpr std::chrono::milliseconds kStopLimit{500};

bool isCalendarFileName(const QString& name) {
  return name.endsWith(QLatin1String(".ics"), Qt::CaseInsensitive);
}

} // namespace

IcalCalendarStore::IcalCalendarStore(QObject* parent)
    : CalendarStore(parent), reader_(std::make_shared<IcalCalendarReader>()),
      queue_(std::make_unique<SerialQueue>(QStringLiteral("calendar files"))),
      link_(std::make_shared<Link>()) {
  link_->store = this;
}

IcalCalendarStore::~IcalCalendarStore() {
  {
    const std::lock_guard<std::mutex> lock(link_->mutex);
    link_->store = nullptr;
  }
  // A running read ends at its next check; quitting waits for it only briefly.
  reader_->requestStop();
  if (!queue_->stop(kStopLimit))
    platformLog(QStringLiteral("The calendar files were still being read; quitting without "
                               "waiting for them"));
}

int IcalCalendarStore::parseCount() const { return reader_->parseCount(); }

void IcalCalendarStore::setSources(const QStringList& paths) { sources_ = paths; }

QStringList IcalCalendarStore::calendarFiles() const {
  QStringList files;
  for (const QString& source : sources_) {
    if (source.isEmpty())
      continue;
    const QString path = QDir::cleanPath(QDir::fromNativeSeparators(source));
    // A folder that cannot be listed stands for itself, so its state says so.
    const QFileInfo info(path);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable()) {
      files.append(path);
      continue;
    }
    const QDir folder(path);
    const QStringList names = folder.entryList(QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& name : names) {
      if (isCalendarFileName(name))
        files.append(folder.filePath(name));
    }
  }
  files.removeDuplicates();
  return files;
}

QList<CalendarEvent> IcalCalendarStore::eventsBetween(const QDateTime& askedFrom,
                                                      const QDateTime& askedTo) {
  // The events are in UTC: so are the bounds, so that no comparison converts.
  const QDateTime from = askedFrom.toUTC();
  const QDateTime to = askedTo.toUTC();
  const QStringList paths = calendarFiles();
  bool forgot = false;
  for (auto it = files_.begin(); it != files_.end();) {
    if (paths.contains(it->first)) {
      ++it;
      continue;
    }
    queue_->async([reader = reader_, path = it->first] { reader->forget(path); });
    it = files_.erase(it);
    forgot = true;
  }
  QList<CalendarEvent> events;
  for (const QString& path : paths) {
    File& file = files_[path];
    file.state.path = path;
    // A file left out for want of room is read again once another goes.
    if (forgot && file.state.status == Status::OverBudget)
      file.print = {};
    refresh(path, file, from, to);
    for (const CalendarEvent& event : std::as_const(file.events)) {
      if (event.start >= to)
        break;
      if (event.overlaps(from, to))
        events.append(event);
    }
  }
  std::sort(events.begin(), events.end(), &CalendarEvent::comesBefore);
  return events;
}

void IcalCalendarStore::refresh(const QString& path, File& file, const QDateTime& from,
                                const QDateTime& to) {
  const CalendarFileFingerprint print = CalendarFileFingerprint::of(path);
  if (!print.exists || print.size > IcalCalendarReader::kMaximumBytes) {
    file.print = print;
    file.hasAnswer = true;
    file.covers = true;
    file.events.clear();
    if (!print.exists)
      settle(file, Status::Missing, QStringLiteral("the file does not exist"));
    else
      settle(file, Status::TooLarge,
             QStringLiteral("the file is larger than %1 MB")
                 .arg(IcalCalendarReader::kMaximumBytes / (1024 * 1024)));
    return;
  }
  const bool failed = file.hasAnswer && file.state.status != Status::Read;
  const bool covered = failed || (file.from <= from && to <= file.to);
  file.covers = file.hasAnswer && covered;
  const bool current = file.hasAnswer && file.print == print && covered;
  if (current || (file.inProgress && file.asked == print))
    return;
  file.inProgress = true;
  file.asked = print;
  const QDateTime rangeFrom = from.addDays(-kDaysBefore);
  const QDateTime rangeTo = from.addDays(kDaysAfter) > to ? from.addDays(kDaysAfter) : to;
  queue_->async([link = link_, reader = reader_, path, print, rangeFrom, rangeTo] {
    const CalendarFileReading reading = reader->read(path, print, rangeFrom, rangeTo);
    // The store may be gone by now (quitting does not wait for long).
    const std::lock_guard<std::mutex> lock(link->mutex);
    if (IcalCalendarStore* store = link->store) {
      QMetaObject::invokeMethod(
          store, [=] { store->receive(path, print, rangeFrom, rangeTo, reading); },
          Qt::QueuedConnection);
    }
  });
}

void IcalCalendarStore::receive(const QString& path, const CalendarFileFingerprint& print,
                                const QDateTime& from, const QDateTime& to,
                                const CalendarFileReading& reading) {
  const auto found = files_.find(path);
  if (found == files_.end())
    return;
  File& file = found->second;
  if (file.asked == print)
    file.inProgress = false;
  file.print = print;
  file.hasAnswer = true;
  file.from = from;
  file.to = to;
  file.covers = true;
  file.events = reading.events;
  if (reading.parsed) {
    // One line per version of the file, not per question.
    for (const QString& note : reading.notes)
      platformLog(QStringLiteral("Calendar file %1: %2").arg(path, note));
    file.loggedReason.clear();
  }
  settle(file, reading.status, reading.reason);
  Q_EMIT sourcesRead();
}

void IcalCalendarStore::settle(File& file, Status status, const QString& reason) {
  file.state.status = status;
  file.state.reason = reason;
  if (status == Status::Read || reason == file.loggedReason)
    return;
  file.loggedReason = reason;
  platformLog(QStringLiteral("Calendar file %1 gives no events: %2").arg(file.state.path, reason));
}

QList<CalendarSourceState> IcalCalendarStore::sourceStates() const {
  QList<CalendarSourceState> states;
  for (const auto& [path, file] : files_)
    states.append(file.state);
  return states;
}

bool IcalCalendarStore::hasReadsInProgress() const {
  for (const auto& [path, file] : files_) {
    if (file.inProgress)
      return true;
  }
  return false;
}

bool IcalCalendarStore::isReading() const {
  for (const auto& [path, file] : files_) {
    // Also after a jump of the clock, until the new range is read.
    if (!file.hasAnswer || (file.inProgress && !file.covers))
      return true;
  }
  return false;
}

} // namespace kr
