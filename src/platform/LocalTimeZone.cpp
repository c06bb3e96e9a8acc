#include "platform/LocalTimeZone.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMutex>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace kr {

namespace {

struct ZoneCache {
  QMutex mutex;
  std::optional<QTimeZone> zone; // none: to be read
  std::optional<std::string> tz; // TZ when the zone was read (none: unset)
  int readings = 0;
  quint64 generation = 0; // counts the readings; the stretches belong to the last
  std::vector<LocalClockTimes::Stretch> stretches;
  QPointer<QFileSystemWatcher> watcher;
  QString watchedFile;
  bool watchWanted = true;
};

ZoneCache& cache() {
  static ZoneCache* const instance = new ZoneCache; // used until the very end
  return *instance;
}

std::optional<std::string> tzVariable() {
  const char* value = std::getenv("TZ");
  return value ? std::optional<std::string>(value) : std::nullopt;
}

bool onApplicationThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

void startWatching(ZoneCache& c, const QString& file) {
  delete c.watcher.data();
  c.watchedFile = file;
  auto* watcher = new QFileSystemWatcher(QCoreApplication::instance());
  c.watcher = watcher;
  // The file is mostly a link that is replaced, which only its folder sees;
  // a change of the file it points to is seen on the file.
  const QString folder = QFileInfo(file).absolutePath();
  watcher->addPath(folder);
  if (QFileInfo::exists(file))
    watcher->addPath(file);
  auto changed = [watcher, file] {
    LocalTimeZone::refresh();
    if (QFileInfo::exists(file) && !watcher->files().contains(file))
      watcher->addPath(file);
  };
  QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, watcher,
                   [changed](const QString&) { changed(); });
  QObject::connect(watcher, &QFileSystemWatcher::fileChanged, watcher,
                   [changed](const QString&) { changed(); });
}

QTimeZone currentZone(ZoneCache& c, quint64* generation) {
  if (c.watchWanted && !c.watcher && onApplicationThread()) {
    c.watchWanted = false;
    startWatching(c, c.watchedFile.isEmpty() ? LocalTimeZone::systemZoneFile() : c.watchedFile);
  }
  std::optional<std::string> tz = tzVariable();
  if (!c.zone || tz != c.tz) {
    c.zone = QTimeZone::systemTimeZone();
    c.tz = std::move(tz);
    ++c.readings;
    ++c.generation;
    c.stretches.clear();
  }
  if (generation)
    *generation = c.generation;
  return *c.zone;
}

constexpr qint64 kMSecsPerDay = 86400000;
constexpr qint64 kEpochJulianDay = 2440588; // 1970-01-01

// The instants (milliseconds since 1970, UTC) around `at` throughout which
// the zone keeps the offset it has at `at`: from its transition at or before
// `at` to the next one; none where the zone's transitions do not tell.
std::optional<LocalClockTimes::Stretch> offsetStretchAround(const QTimeZone& zone,
                                                            const QDateTime& at) {
  constexpr qint64 kNever = std::numeric_limits<qint64>::min();
  constexpr qint64 kEndless = std::numeric_limits<qint64>::max();
  const int offset = zone.offsetFromUtc(at);
  if (!zone.hasTransitions()) {
    // A zone of one offset throughout (UTC, a fixed offset).
    if (offset != zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(0, Qt::UTC)))
      return std::nullopt;
    return LocalClockTimes::Stretch{kNever, kEndless, offset};
  }
  const QTimeZone::OffsetData before = zone.previousTransition(at.addMSecs(1));
  const QTimeZone::OffsetData after = zone.nextTransition(at);
  qint64 start = kNever;
  if (before.atUtc.isValid()) {
    start = before.atUtc.toMSecsSinceEpoch();
    if (zone.offsetFromUtc(before.atUtc) != offset)
      return std::nullopt;
  } else if (zone.offsetFromUtc(QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC)) != offset) {
    return std::nullopt; // a zone file without transitions (Etc/UTC) has one offset
  }
  qint64 end = kEndless;
  if (after.atUtc.isValid()) {
    end = after.atUtc.toMSecsSinceEpoch();
    if (zone.offsetFromUtc(after.atUtc.addMSecs(-1)) != offset)
      return std::nullopt;
  } else if (zone.offsetFromUtc(QDateTime(QDate(9999, 1, 1), QTime(0, 0), Qt::UTC)) != offset) {
    return std::nullopt;
  }
  return LocalClockTimes::Stretch{start, end, offset};
}

// The stretch of local times around `local` that map to UTC by one offset,
// kept two days clear of the zone's transitions; none near a transition or
// where the zone's transitions are not known.
std::optional<LocalClockTimes::Stretch> stretchAround(const QTimeZone& zone, qint64 local) {
  constexpr qint64 kMargin = 2 * kMSecsPerDay;
  constexpr qint64 kNever = std::numeric_limits<qint64>::min();
  constexpr qint64 kEndless = std::numeric_limits<qint64>::max();
  // The instant of `local` lies within a day of `early` + 1 day.
  const QDateTime early = QDateTime::fromMSecsSinceEpoch(local - kMSecsPerDay, Qt::UTC);
  const std::optional<LocalClockTimes::Stretch> instants = offsetStretchAround(zone, early);
  if (!instants)
    return std::nullopt;
  const qint64 shift = qint64(instants->offsetSeconds) * 1000;
  const LocalClockTimes::Stretch stretch{
      instants->from == kNever ? kNever : instants->from + shift + kMargin,
      instants->to == kEndless ? kEndless : instants->to + shift - kMargin,
      instants->offsetSeconds};
  if (!stretch.contains(local))
    return std::nullopt;
  return stretch;
}

} // namespace

QDate LocalInstant::localDate() const {
  const qint64 local = msecs + qint64(offsetSeconds) * 1000;
  const qint64 days = local >= 0 ? local / kMSecsPerDay : -((-local - 1) / kMSecsPerDay) - 1;
  return QDate::fromJulianDay(days + kEpochJulianDay);
}

int LocalInstant::localHour() const {
  const qint64 local = msecs + qint64(offsetSeconds) * 1000;
  const qint64 inDay = ((local % kMSecsPerDay) + kMSecsPerDay) % kMSecsPerDay;
  return int(inDay / 3600000);
}

std::optional<QString> LocalInstant::localText() const {
  const qint64 local = msecs + qint64(offsetSeconds) * 1000;
  const qint64 days = local >= 0 ? local / kMSecsPerDay : -((-local - 1) / kMSecsPerDay) - 1;
  const qint64 inDay = local - days * kMSecsPerDay;
  int year = 0;
  int month = 0;
  int day = 0;
  QDate::fromJulianDay(days + kEpochJulianDay).getDate(&year, &month, &day);
  if (year < 1 || year > 9999)
    return std::nullopt;
  const int seconds = int(inDay / 1000);
  const int fields[] = {year / 100,     year % 100,        month,       day,
                        seconds / 3600, seconds / 60 % 60, seconds % 60};
  static constexpr char16_t kAfter[] = {0, u'-', u'-', u' ', u':', u':', 0};
  QString text(19, Qt::Uninitialized);
  QChar* out = text.data();
  for (int i = 0; i < 7; ++i) {
    *out++ = QChar(u'0' + fields[i] / 10);
    *out++ = QChar(u'0' + fields[i] % 10);
    if (kAfter[i])
      *out++ = QChar(kAfter[i]);
  }
  return text;
}

LocalClockTimes::LocalClockTimes() {
  ZoneCache& c = cache();
  const QMutexLocker lock(&c.mutex);
  zone_ = currentZone(c, &generation_);
}

std::optional<LocalInstant> LocalClockTimes::instantAwayFromTransitions(const QDate& day,
                                                                        const QTime& time) {
  if (!day.isValid() || !time.isValid() || !zone_.isValid())
    return std::nullopt;
  const qint64 local =
      (day.toJulianDay() - kEpochJulianDay) * kMSecsPerDay + time.msecsSinceStartOfDay();
  const qint64 localDay = day.toJulianDay();
  if (!last_.contains(local) && localDay != dayWithoutStretch_) {
    ZoneCache& c = cache();
    const QMutexLocker lock(&c.mutex);
    const bool shared = c.generation == generation_;
    const auto known = shared
                           ? std::find_if(c.stretches.begin(), c.stretches.end(),
                                          [local](const Stretch& s) { return s.contains(local); })
                           : c.stretches.end();
    if (known != c.stretches.end()) {
      last_ = *known;
    } else if (const auto found = stretchAround(zone_, local)) {
      last_ = *found;
      if (shared)
        c.stretches.push_back(*found);
    } else {
      dayWithoutStretch_ = localDay;
    }
  }
  if (last_.contains(local))
    return LocalInstant{local - qint64(last_.offsetSeconds) * 1000, last_.offsetSeconds};
  return std::nullopt;
}

std::optional<int> LocalClockTimes::offsetAt(qint64 msecs) {
  if (lastInstants_.contains(msecs))
    return lastInstants_.offsetSeconds;
  if (!zone_.isValid())
    return std::nullopt;
  const QDateTime at = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
  if (!at.isValid())
    return std::nullopt;
  // Where the transitions do not bound it, the stretch is this instant alone.
  lastInstants_ =
      offsetStretchAround(zone_, at).value_or(Stretch{msecs, msecs + 1, zone_.offsetFromUtc(at)});
  return lastInstants_.offsetSeconds;
}

const QString& LocalTimeZone::systemZoneFile() {
  static const QString file = QStringLiteral("/etc/localtime");
  return file;
}

QTimeZone LocalTimeZone::current() {
  ZoneCache& c = cache();
  const QMutexLocker lock(&c.mutex);
  return currentZone(c, nullptr);
}

QDateTime LocalTimeZone::toLocal(const QDateTime& date) {
  const QTimeZone zone = current();
  if (!zone.isValid())
    return date.toLocalTime();
  if (date.timeSpec() == Qt::TimeZone && date.timeZone() == zone)
    return date;
  return date.toTimeZone(zone);
}

QDateTime LocalTimeZone::fromMSecsSinceEpoch(qint64 msecs) {
  const QTimeZone zone = current();
  return zone.isValid() ? QDateTime::fromMSecsSinceEpoch(msecs, zone)
                        : QDateTime::fromMSecsSinceEpoch(msecs);
}

QDateTime LocalTimeZone::startOfDay(const QDate& day) {
  const QTimeZone zone = current();
  return zone.isValid() ? day.startOfDay(zone) : day.startOfDay();
}

QDateTime LocalTimeZone::dateTime(const QDate& day, const QTime& time) {
  const QTimeZone zone = current();
  return zone.isValid() ? QDateTime(day, time, zone) : QDateTime(day, time);
}

void LocalTimeZone::refresh() {
  ZoneCache& c = cache();
  const QMutexLocker lock(&c.mutex);
  c.zone.reset();
}

int LocalTimeZone::readings() {
  ZoneCache& c = cache();
  const QMutexLocker lock(&c.mutex);
  return c.readings;
}

void LocalTimeZone::watch(const QString& file) {
  ZoneCache& c = cache();
  const QMutexLocker lock(&c.mutex);
  c.zone.reset();
  c.watchedFile = file;
  c.watchWanted = !onApplicationThread();
  if (!c.watchWanted)
    startWatching(c, file);
}

} // namespace kr
