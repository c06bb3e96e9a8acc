#include "support/StepTimer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <ctime>

#include <unistd.h>

namespace kr::test {

namespace {

qint64 nowNs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

QList<int> threads() {
  QList<int> ids;
  const QStringList names =
      QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (const QString& name : names) {
    bool ok = false;
    const int id = name.toInt(&ok);
    if (ok)
      ids << id;
  }
  return ids;
}

} // namespace

// The kernel's scheduler statistics of a thread: nanoseconds run, nanoseconds
// waited on a run queue, time slices.
bool StepTimer::read(int thread, Counts* counts) {
  // The process's own statistics, not a user's file.
  QFile file(QStringLiteral("/proc/self/task/%1/schedstat").arg(thread));
  if (!file.open(QIODevice::ReadOnly))
    return false;
  const QList<QByteArray> fields = file.readAll().simplified().split(' ');
  if (fields.size() < 2)
    return false;
  counts->ranNs = fields[0].toLongLong();
  counts->readyNs = fields[1].toLongLong();
  return true;
}

void StepTimer::start() {
  atStart_.clear();
  for (const int thread : threads()) {
    Counts counts;
    if (read(thread, &counts))
      atStart_.emplace_back(thread, counts);
  }
  startedNs_ = nowNs();
}

qint64 StepTimer::elapsed() const { return (nowNs() - startedNs_) / 1000000; }

double StepTimer::slowness() const {
  constexpr double kMost = 8;
  long long ran = 0;
  long long ready = 0;
  bool readAny = false;
  // Threads alive at both ends count what they did in between; threads that
  // began meanwhile count whole; those that ended took their counts along.
  for (const int thread : threads()) {
    Counts now;
    if (!read(thread, &now))
      continue;
    readAny = true;
    const auto before = std::find_if(atStart_.begin(), atStart_.end(),
                                     [thread](const auto& entry) { return entry.first == thread; });
    if (before != atStart_.end()) {
      now.ranNs -= before->second.ranNs;
      now.readyNs -= before->second.readyNs;
    }
    ran += now.ranNs;
    ready += now.readyNs;
  }
  if (!readAny)
    return kMost;
  // A step that hardly ran and stood ready as little waited idle: nothing of
  // that is the machine's.
  constexpr long long kMillisecond = 1000000;
  const double threads = double(ran + ready) / double(std::max(ran, kMillisecond));
  // Threads that ended during the step (a pool that shares out the work of a
  // quit) took their counts with them: the machine's own load over the last
  // minute, its runnable jobs for each of its processors, stands in for them.
  return std::clamp(std::max(threads, machineLoad()), 1.0, kMost);
}

double StepTimer::machineLoad() {
  // The kernel's own figures, not a user's file.
  QFile file(QStringLiteral("/proc/loadavg"));
  if (!file.open(QIODevice::ReadOnly))
    return 1;
  const double load = file.readAll().split(' ').value(0).toDouble();
  const long processors = ::sysconf(_SC_NPROCESSORS_ONLN);
  return processors > 0 ? load / double(processors) : 1;
}

long long StepTimer::limit(long long milliseconds) const {
  return (long long)(double(timeLimit(milliseconds)) * slowness());
}

} // namespace kr::test
