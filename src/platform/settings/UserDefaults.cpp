#include "platform/settings/UserDefaults.h"

#include "platform/OrderedWorker.h"
#include "platform/QnLog.h"
#include "platform/files/SupportPaths.h"
#include "platform/settings/StoredSettingsCheck.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <QRegularExpression>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kr {

namespace {

constexpr int kWriteIntervalMilliseconds = 1000;

std::unique_ptr<UserDefaults>& standardInstance() {
  static std::unique_ptr<UserDefaults> instance;
  return instance;
}

bool isNumeric(const QVariant& v) {
  switch (v.metaType().id()) {
  case QMetaType::Int:
  case QMetaType::UInt:
  case QMetaType::LongLong:
  case QMetaType::ULongLong:
  case QMetaType::Long:
  case QMetaType::ULong:
  case QMetaType::Short:
  case QMetaType::UShort:
  case QMetaType::Double:
  case QMetaType::Float:
    return true;
  default:
    return false;
  }
}

qint64 truncateToInteger(double d) {
  if (!std::isfinite(d))
    return 0;
  if (d >= static_cast<double>(std::numeric_limits<qint64>::max()))
    return std::numeric_limits<qint64>::max();
  if (d <= static_cast<double>(std::numeric_limits<qint64>::min()))
    return std::numeric_limits<qint64>::min();
  return static_cast<qint64>(d); // truncates toward zero
}

// The INI file keeps scalars as text; give them back their type.
QVariant restoreType(const QVariant& raw, const QVariant& registered) {
  if (raw.metaType().id() != QMetaType::QString)
    return raw;
  const QString text = raw.toString();
  switch (registered.metaType().id()) {
  case QMetaType::Bool:
    return UserDefaults::toBool(text);
  case QMetaType::Int:
  case QMetaType::LongLong:
  case QMetaType::UInt:
  case QMetaType::ULongLong: {
    bool ok = false;
    const qint64 i = text.toLongLong(&ok);
    return ok ? QVariant(i) : QVariant(UserDefaults::toInteger(text));
  }
  case QMetaType::Double:
  case QMetaType::Float:
    return UserDefaults::toDouble(text);
  case QMetaType::QString:
    return text;
  default:
    break;
  }
  if (text == QStringLiteral("true") || text == QStringLiteral("false"))
    return text == QStringLiteral("true");
  static const QRegularExpression integerPattern(QStringLiteral("^-?[0-9]{1,18}$"));
  if (integerPattern.match(text).hasMatch())
    return text.toLongLong();
  static const QRegularExpression doublePattern(
      QStringLiteral("^-?([0-9]+\\.[0-9]*|\\.[0-9]+)([eE][-+]?[0-9]+)?$"));
  if (doublePattern.match(text).hasMatch())
    return text.toDouble();
  return text;
}

// Why the settings file cannot be read; empty when it can, or is not there
// (a first launch). Only the file's kind is looked at, and a regular file is
// opened without blocking: a pipe or a device there would stop Qt's reader
// for good.
QString unreadableReason(const QString& filePath) {
  const QByteArray path = QFile::encodeName(filePath);
  struct stat info {};
  if (::lstat(path.constData(), &info) != 0)
    return errno == ENOENT ? QString() : QString::fromLocal8Bit(std::strerror(errno));
  const bool link = S_ISLNK(info.st_mode);
  if (link && ::stat(path.constData(), &info) != 0)
    return QStringLiteral("it is a link to %1, which cannot be reached (%2)")
        .arg(QFile::symLinkTarget(filePath), QString::fromLocal8Bit(std::strerror(errno)));
  const QString kind = S_ISDIR(info.st_mode)    ? QStringLiteral("a folder")
                       : S_ISFIFO(info.st_mode) ? QStringLiteral("a pipe")
                       : S_ISSOCK(info.st_mode) ? QStringLiteral("a socket")
                       : S_ISREG(info.st_mode)  ? QString()
                                                : QStringLiteral("a device");
  if (!kind.isEmpty()) {
    return link ? QStringLiteral("it is a link to %1, which is %2")
                      .arg(QFile::symLinkTarget(filePath), kind)
                : QStringLiteral("it is %1, not a file").arg(kind);
  }
  const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return QString::fromLocal8Bit(std::strerror(errno));
  ::close(fd);
  // The program's own settings take kilobytes (megabytes with a long pasted
  // objective); a file of hundreds of megabytes is something else put there,
  // whose reading would hold the start for many seconds and take its size in
  // memory several times over, perhaps more than the machine has.
  if (info.st_size > UserDefaults::kLargestSettingsFile) {
    return QStringLiteral("it is %1 MB, and a settings file is never larger than %2 MB")
        .arg(double(info.st_size) / (1024 * 1024), 0, 'f', 1)
        .arg(UserDefaults::kLargestSettingsFile / (1024 * 1024));
  }
  return {};
}

// The file is checked before Qt's reader decodes it: a damaged binary value
// must not take the program's memory (or its life) with it. None when the
// file cannot be read.
std::unique_ptr<QSettings> openSettings(const QString& filePath, QString* unreadable) {
  *unreadable = unreadableReason(filePath);
  if (!unreadable->isEmpty()) {
    platformLog(QStringLiteral("settings: %1 cannot be read: %2. The registered settings are "
                               "used, and no change is kept until the file can be read.")
                    .arg(filePath, *unreadable));
    return nullptr;
  }
  StoredSettingsCheck::setAsideUnreadableEntries(filePath);
  return std::make_unique<QSettings>(filePath, QSettings::IniFormat);
}

} // namespace

UserDefaults::UserDefaults(const QString& filePath, QObject* parent)
    : QObject(parent), filePath_(filePath), settings_(openSettings(filePath, &unreadable_)),
      writer_(std::make_unique<OrderedWorker>("settingsWriter")), writeTimer_(new QTimer(this)),
      lastWriteOk_(std::make_shared<std::atomic<bool>>(true)) {
  writeTimer_->setSingleShot(true);
  connect(writeTimer_, &QTimer::timeout, this, &UserDefaults::startWrite);
  if (QCoreApplication* app = QCoreApplication::instance())
    connect(app, &QCoreApplication::aboutToQuit, this, &UserDefaults::flush);
}

UserDefaults::~UserDefaults() { flush(); }

void UserDefaults::scheduleWrite() {
  // A file that could not be read is never written over: changes last the run.
  if (!settings_ || pending_.isEmpty() || writeTimer_->isActive())
    return;
  // Without an event loop to wait in (before the application exists, or on
  // another thread) the change is written straight away, still off this thread.
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || app->thread() != thread() || QThread::currentThread() != thread()) {
    startWrite();
    return;
  }
  // A burst of changes (typing, dragging) becomes one write.
  writeTimer_->start(kWriteIntervalMilliseconds);
}

void UserDefaults::startWrite() {
  writeTimer_->stop();
  if (!settings_ || pending_.isEmpty())
    return;
  const QHash<QString, QVariant> changes = std::exchange(pending_, {});
  for (auto it = changes.cbegin(); it != changes.cend(); ++it)
    inFlight_.insert(it.key(), it.value());
  const quint64 generation = ++writeGeneration_;
  sinceLastWrite_.start();
  const QString path = filePath_;
  writer_->async([this, changes, path, generation, ok = lastWriteOk_] {
    // What is there now must still be a settings file (or nothing): a link
    // turned to a device or a pipe put in its place since it was read is
    // never replaced, as replacing would put the settings where it stood.
    if (!kr::unreadableReason(path).isEmpty()) {
      ok->store(false);
      return;
    }
    // Written through a settings object of this thread; it updates the
    // cache that the reading object shares and replaces the file atomically.
    QSettings file(path, QSettings::IniFormat);
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
      if (it.value().isValid())
        file.setValue(it.key(), it.value());
      else
        file.remove(it.key());
    }
    file.sync();
    ok->store(file.status() == QSettings::NoError);
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
          if (generation == writeGeneration_)
            inFlight_.clear();
        },
        Qt::QueuedConnection);
  });
}

UserDefaults& UserDefaults::standard() {
  auto& instance = standardInstance();
  if (!instance) {
    instance = std::make_unique<UserDefaults>(SupportPaths::settingsFile());
    // The shared store outlives the application object; what it holds is
    // written while the application goes, when Qt can still write files.
    static bool routineAdded = false;
    if (!routineAdded && QCoreApplication::instance()) {
      routineAdded = true;
      qAddPostRoutine([] {
        if (standardInstance())
          standardInstance()->flush();
      });
    }
  }
  return *instance;
}

void UserDefaults::resetStandardForTesting() { standardInstance().reset(); }

void UserDefaults::registerDefaults(const QVariantMap& values) {
  for (auto it = values.cbegin(); it != values.cend(); ++it)
    registerDefault(it.key(), it.value());
}

void UserDefaults::registerDefault(const QString& key, const QVariant& value) {
  const QVariant before = object(key);
  registered_.insert(key, value);
  if (!hasStoredValue(key) && !sameValue(before, value))
    Q_EMIT changed(key);
}

QVariant UserDefaults::registeredValue(const QString& key) const { return registered_.value(key); }

QVariant UserDefaults::storedObject(const QString& key) const {
  QVariant raw;
  if (const auto change = pending_.constFind(key); change != pending_.constEnd())
    raw = change.value();
  else if (const auto writing = inFlight_.constFind(key); writing != inFlight_.constEnd())
    raw = writing.value();
  else
    raw = settings_ ? settings_->value(key) : QVariant();
  if (!raw.isValid())
    return {};
  const auto range = ranges_.constFind(key);
  if (range != ranges_.constEnd())
    return withinRange(key, raw, range.value());
  return restoreType(raw, registered_.value(key));
}

void UserDefaults::registerRange(const QString& key, qint64 minimum, qint64 maximum) {
  ranges_.insert(key, Range{minimum, maximum});
}

QVariant UserDefaults::withinRange(const QString& key, const QVariant& stored,
                                   const Range& range) const {
  // The settings file is the user's to edit: whatever it holds, a key with
  // a range reads as a number its controls can show and its users can take.
  bool isNumber = false;
  double value = 0.0;
  if (stored.metaType().id() == QMetaType::QString) {
    value = stored.toString().trimmed().toDouble(&isNumber);
  } else if (isNumeric(stored)) {
    value = stored.toDouble();
    isNumber = true;
  }
  isNumber = isNumber && std::isfinite(value);
  QVariant result;
  QString why;
  if (!isNumber || value < 0) {
    result = registered_.value(key);
    why = QStringLiteral("is not a usable number; the default %1 is used instead")
              .arg(toString(result));
  } else if (value > double(range.maximum)) {
    result = range.maximum;
    why = QStringLiteral("is above %1, which is used instead").arg(range.maximum);
  } else if (value < double(range.minimum)) {
    result = range.minimum;
    why = QStringLiteral("is below %1, which is used instead").arg(range.minimum);
  } else {
    return qint64(value);
  }
  const QString text = toString(stored);
  QMutexLocker locker(&reportedMutex_);
  if (!reported_.contains(key + u'=' + text)) {
    reported_.insert(key + u'=' + text);
    platformLog(QStringLiteral("settings: the stored value \"%1\" of \"%2\" %3")
                    .arg(text.left(40), key, why));
  }
  return result;
}

QVariant UserDefaults::object(const QString& key) const {
  const QVariant stored = storedObject(key);
  return stored.isValid() ? stored : registered_.value(key);
}

bool UserDefaults::hasStoredValue(const QString& key) const {
  if (const auto change = pending_.constFind(key); change != pending_.constEnd())
    return change.value().isValid();
  if (const auto writing = inFlight_.constFind(key); writing != inFlight_.constEnd())
    return writing.value().isValid();
  return settings_ && settings_->contains(key);
}

bool UserDefaults::defined(const QString& key) const {
  return hasStoredValue(key) || registered_.contains(key);
}

bool UserDefaults::boolValue(const QString& key) const { return toBool(object(key)); }

qint64 UserDefaults::integer(const QString& key) const { return toInteger(object(key)); }

double UserDefaults::doubleValue(const QString& key) const { return toDouble(object(key)); }

float UserDefaults::floatValue(const QString& key) const {
  return static_cast<float>(doubleValue(key));
}

QString UserDefaults::string(const QString& key) const { return toString(object(key)); }

QVariantList UserDefaults::array(const QString& key) const {
  const QVariant v = object(key);
  return v.metaType().id() == QMetaType::QVariantList ? v.toList() : QVariantList{};
}

void UserDefaults::setValue(const QString& key, const QVariant& value) {
  if (!value.isValid()) {
    remove(key);
    return;
  }
  const QVariant before = object(key);
  pending_.insert(key, value);
  scheduleWrite();
  if (!sameValue(before, value))
    Q_EMIT changed(key);
}

void UserDefaults::remove(const QString& key) {
  if (!hasStoredValue(key))
    return;
  const QVariant before = object(key);
  pending_.insert(key, QVariant());
  scheduleWrite();
  if (!sameValue(before, object(key)))
    Q_EMIT changed(key);
}

bool UserDefaults::synchronize() {
  // Soon, but not more often than once a second.
  if (!pending_.isEmpty() &&
      (!sinceLastWrite_.isValid() || sinceLastWrite_.elapsed() >= kWriteIntervalMilliseconds))
    startWrite();
  else
    scheduleWrite();
  return settings_ && lastWriteOk_->load();
}

bool UserDefaults::flush() {
  startWrite();
  writer_->drain();
  inFlight_.clear();
  return settings_ && lastWriteOk_->load();
}

QString UserDefaults::filePath() const { return filePath_; }

QStringList UserDefaults::storedKeys() const {
  QSet<QString> keys;
  if (settings_) {
    for (const QString& key : settings_->allKeys())
      keys.insert(key);
  }
  for (const auto* changes : {&inFlight_, &pending_}) {
    for (auto it = changes->cbegin(); it != changes->cend(); ++it) {
      if (it.value().isValid())
        keys.insert(it.key());
      else
        keys.remove(it.key());
    }
  }
  QStringList list(keys.cbegin(), keys.cend());
  list.sort();
  return list;
}

bool UserDefaults::toBool(const QVariant& value) {
  if (!value.isValid())
    return false;
  if (value.metaType().id() == QMetaType::Bool)
    return value.toBool();
  if (isNumeric(value))
    return value.toDouble() != 0.0;
  if (value.metaType().id() == QMetaType::QString) {
    const QString text = value.toString().trimmed();
    if (text.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0 ||
        text.compare(QStringLiteral("yes"), Qt::CaseInsensitive) == 0)
      return true;
    return text.toDouble() != 0.0;
  }
  return false;
}

qint64 UserDefaults::toInteger(const QVariant& value) {
  if (!value.isValid())
    return 0;
  switch (value.metaType().id()) {
  case QMetaType::Bool:
    return value.toBool() ? 1 : 0;
  case QMetaType::Int:
  case QMetaType::LongLong:
  case QMetaType::Long:
  case QMetaType::Short:
    return value.toLongLong();
  case QMetaType::UInt:
  case QMetaType::ULongLong:
  case QMetaType::ULong:
  case QMetaType::UShort:
    return static_cast<qint64>(value.toULongLong());
  case QMetaType::Double:
  case QMetaType::Float:
    return truncateToInteger(value.toDouble());
  case QMetaType::QString: {
    bool ok = false;
    const QString text = value.toString().trimmed();
    const qint64 i = text.toLongLong(&ok);
    return ok ? i : truncateToInteger(text.toDouble());
  }
  default:
    return 0;
  }
}

double UserDefaults::toDouble(const QVariant& value) {
  if (!value.isValid())
    return 0.0;
  if (value.metaType().id() == QMetaType::Bool)
    return value.toBool() ? 1.0 : 0.0;
  if (isNumeric(value))
    return value.toDouble();
  if (value.metaType().id() == QMetaType::QString)
    return value.toString().trimmed().toDouble();
  return 0.0;
}

QString UserDefaults::toString(const QVariant& value) {
  if (!value.isValid())
    return {};
  if (value.metaType().id() == QMetaType::QString)
    return value.toString();
  if (value.metaType().id() == QMetaType::Bool)
    return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
  if (isNumeric(value))
    return value.toString();
  return {};
}

bool UserDefaults::sameValue(const QVariant& a, const QVariant& b) {
  if (a.isValid() != b.isValid())
    return false;
  if (!a.isValid())
    return true;
  const bool aScalar = isNumeric(a) || a.metaType().id() == QMetaType::Bool;
  const bool bScalar = isNumeric(b) || b.metaType().id() == QMetaType::Bool;
  if (aScalar && bScalar)
    return toDouble(a) == toDouble(b);
  if (aScalar != bScalar)
    return toString(a) == toString(b) && a.metaType() == b.metaType();
  return a == b;
}

} // namespace kr
