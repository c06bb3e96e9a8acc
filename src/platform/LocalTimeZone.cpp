#include "platform/LocalTimeZone.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMutex>
#include <QPointer>
#include <QThread>

#include <cstdlib>
#include <optional>
#include <string>

namespace kr {

namespace {

struct ZoneCache {
  QMutex mutex;
  std::optional<QTimeZone> zone; // none: to be read
  std::optional<std::string> tz; // TZ when the zone was read (none: unset)
  int readings = 0;
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

} // namespace

const QString& LocalTimeZone::systemZoneFile() {
  static const QString file = QStringLiteral("/etc/localtime");
  return file;
}

QTimeZone LocalTimeZone::current() {
  ZoneCache& c = cache();
  const QMutexLocker lock(&c.mutex);
  if (c.watchWanted && !c.watcher && onApplicationThread()) {
    c.watchWanted = false;
    startWatching(c, c.watchedFile.isEmpty() ? systemZoneFile() : c.watchedFile);
  }
  std::optional<std::string> tz = tzVariable();
  if (!c.zone || tz != c.tz) {
    c.zone = QTimeZone::systemTimeZone();
    c.tz = std::move(tz);
    ++c.readings;
  }
  return *c.zone;
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
