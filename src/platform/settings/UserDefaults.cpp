#include "platform/settings/UserDefaults.h"

#include "platform/OrderedWorker.h"
#include "platform/QnLog.h"
#include "platform/files/SupportPaths.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <cmath>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

namespace kr {

namespace {

constexpr int kWriteIntervalMilliseconds = 1000;
// A writer of the file holds its lock for milliseconds.
constexpr int kLockWaitMilliseconds = 1000;
// Changes that could not be written are tried again this often.
constexpr int kRetryMilliseconds = 5000;
constexpr int kLongestWrite = 5000;

std::unique_ptr<UserDefaults>& standardInstance() {
  static std::unique_ptr<UserDefaults> instance;
  return instance;
}

// The file's values; none when it cannot be read (then it is never written).
std::optional<SettingsFile::Values> readSettings(const QString& filePath, QString* unreadable,
                                                 SettingsFile::Texts* handWritten) {
  std::optional<SettingsFile::Values> values =
      SettingsFile::read(filePath, unreadable, handWritten);
  if (!values) {
    platformLog(QStringLiteral("settings: %1 cannot be read: %2. The registered settings are "
                               "used, and no change is kept until the file can be read.")
                    .arg(filePath, *unreadable));
  }
  return values;
}

} // namespace

struct UserDefaults::Outcomes {
  struct Outcome {
    quint64 generation;
    SettingsFile::Values changes;
    SettingsFile::WriteResult result;
  };
  std::mutex mutex;
  std::condition_variable done;
  std::vector<Outcome> list;
  quint64 finished = 0;
  // The last write that had the lock: once it has, only the disk is waited for.
  quint64 locked = 0;
};

UserDefaults::UserDefaults(const QString& filePath, QObject* parent)
    : QObject(parent), filePath_(filePath),
      stored_(readSettings(filePath, &unreadable_, &handWritten_)),
      outcomes_(std::make_shared<Outcomes>()),
      writer_(std::make_unique<OrderedWorker>("settingsWriter")), writeTimer_(new QTimer(this)),
      retryTimer_(new QTimer(this)) {
  writeTimer_->setSingleShot(true);
  connect(writeTimer_, &QTimer::timeout, this, &UserDefaults::startWrite);
  retryTimer_->setSingleShot(true);
  connect(retryTimer_, &QTimer::timeout, this, &UserDefaults::startWrite);
  if (QCoreApplication* app = QCoreApplication::instance()) {
    underApplication_ = true;
    connect(app, &QCoreApplication::aboutToQuit, this, &UserDefaults::flush);
  }
}

UserDefaults::~UserDefaults() {
  // The shared store goes after the application: what its last flush could
  // not write stays unwritten (and was named then).
  if (!underApplication_ || QCoreApplication::instance())
    flush();
}

void UserDefaults::scheduleWrite() {
  // A file that could not be read is never written over: changes last the run.
  if (!stored_ || pending_.isEmpty() || writeTimer_->isActive())
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
  retryTimer_->stop();
  if (!stored_ || pending_.isEmpty())
    return;
  SettingsFile::Values changes = std::exchange(pending_, {});
  // Hand-written texts of keys read as text go with it, written as text
  // (Qt's writer would give back what its reader made of them).
  for (auto it = handWritten_.cbegin(); it != handWritten_.cend(); ++it) {
    if (registered_.value(it.key()).metaType().id() == QMetaType::QString &&
        !changes.contains(it.key()) && !inFlight_.contains(it.key()))
      changes.insert(it.key(), it.value());
  }
  const quint64 generation = ++writeGeneration_;
  for (auto it = changes.cbegin(); it != changes.cend(); ++it)
    inFlight_.insert(it.key(), Unwritten{it.value(), generation});
  sinceLastWrite_.start();
  writer_->async([this, changes, path = filePath_, generation, outcomes = outcomes_] {
    SettingsFile::WriteResult result = SettingsFile::write(
        path, changes, std::chrono::milliseconds(kLockWaitMilliseconds), [&outcomes, generation] {
          const std::lock_guard<std::mutex> lock(outcomes->mutex);
          outcomes->locked = generation;
        });
    {
      const std::lock_guard<std::mutex> lock(outcomes->mutex);
      outcomes->list.push_back({generation, changes, std::move(result)});
      outcomes->finished = generation;
    }
    outcomes->done.notify_all();
    QMetaObject::invokeMethod(this, &UserDefaults::takeOutcomes, Qt::QueuedConnection);
  });
}

void UserDefaults::takeOutcomes() {
  const bool canRetry = QCoreApplication::instance() && QThread::currentThread() == thread();
  std::vector<Outcomes::Outcome> list;
  {
    const std::lock_guard<std::mutex> lock(outcomes_->mutex);
    list.swap(outcomes_->list);
  }
  for (const Outcomes::Outcome& outcome : list) {
    const bool written = outcome.result.written;
    for (auto it = outcome.changes.cbegin(); it != outcome.changes.cend(); ++it) {
      if (written && it.value().isValid())
        stored_->insert(it.key(), it.value());
      else if (written)
        stored_->remove(it.key());
      if (written)
        handWritten_.remove(it.key());
      const auto writing = inFlight_.constFind(it.key());
      if (writing == inFlight_.constEnd() || writing->generation != outcome.generation)
        continue; // a later write has it
      inFlight_.erase(writing);
      // Kept until it can be written, unless changed again meanwhile.
      if (!written && !pending_.contains(it.key()))
        pending_.insert(it.key(), it.value());
    }
    if (written)
      heldLockProblem_.clear();
    if (written && !writeProblem_.isEmpty()) {
      platformLog(QStringLiteral("settings: %1 is written again").arg(filePath_));
      writeProblem_.clear();
      lastSaidNotWritten_.clear();
    } else if (!written && writeProblem_.isEmpty() && outcome.result.lockHeld &&
               heldLockProblem_.isEmpty() && canRetry) {
      // Another copy of the program may hold the file's lock a little
      // longer than it is waited for: the retry comes before anything is
      // said.
      heldLockProblem_ = outcome.result.why;
      platformLog(QStringLiteral("settings: %1; the write is tried again in %2 s")
                      .arg(heldLockProblem_)
                      .arg(kRetryMilliseconds / 1000));
    } else if (!written && writeProblem_.isEmpty()) {
      writeProblem_ = outcome.result.why;
      platformLog(QStringLiteral("settings: changes cannot be kept for now, as %1. They are kept "
                                 "in memory and written as soon as that can be done.")
                      .arg(writeProblem_));
      Q_EMIT cannotWrite(writeProblem_);
    }
  }
  if ((!writeProblem_.isEmpty() || !heldLockProblem_.isEmpty()) && !pending_.isEmpty() &&
      !retryTimer_->isActive() && canRetry)
    retryTimer_->start(kRetryMilliseconds);
}

void UserDefaults::sayNotWritten() {
  QStringList keys = pending_.keys();
  for (auto it = inFlight_.cbegin(); it != inFlight_.cend(); ++it)
    keys.append(it.key());
  keys.sort();
  if (keys.isEmpty() || keys == lastSaidNotWritten_)
    return;
  lastSaidNotWritten_ = keys;
  const QString why = !writeProblem_.isEmpty() ? writeProblem_
                      : !heldLockProblem_.isEmpty()
                          ? heldLockProblem_
                          : QStringLiteral("the write did not end in time");
  platformLog(QStringLiteral("settings: these changes were not written to %1, as %2: %3")
                  .arg(filePath_, why, keys.join(QStringLiteral(", "))));
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
  if (!hasStoredValue(key) && !StoredValue::same(before, value))
    Q_EMIT changed(key);
}

QVariant UserDefaults::registeredValue(const QString& key) const { return registered_.value(key); }

QVariant UserDefaults::storedObject(const QString& key) const {
  QVariant raw;
  if (const auto change = pending_.constFind(key); change != pending_.constEnd())
    raw = change.value();
  else if (const auto writing = inFlight_.constFind(key); writing != inFlight_.constEnd())
    raw = writing->value;
  else
    raw = stored_ ? stored_->value(key) : QVariant();
  if (!raw.isValid())
    return {};
  const auto range = ranges_.constFind(key);
  if (range != ranges_.constEnd())
    return withinRange(key, raw, range.value());
  const QVariant registered = registered_.value(key);
  if (registered.metaType().id() == QMetaType::QString) {
    if (const std::optional<QString> text = handWrittenText(key))
      return *text;
  }
  return StoredValue::withType(raw, registered);
}

std::optional<QString> UserDefaults::handWrittenText(const QString& key) const {
  const auto text = handWritten_.constFind(key);
  if (text == handWritten_.constEnd() || pending_.contains(key) || inFlight_.contains(key))
    return std::nullopt;
  return *text;
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
  } else if (StoredValue::isNumeric(stored)) {
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
    return writing->value.isValid();
  return stored_ && stored_->contains(key);
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

QString UserDefaults::string(const QString& key) const {
  if (std::optional<QString> text = handWrittenText(key))
    return *std::move(text);
  return toString(object(key));
}

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
  if (!StoredValue::same(before, value))
    Q_EMIT changed(key);
}

void UserDefaults::remove(const QString& key) {
  if (!hasStoredValue(key))
    return;
  const QVariant before = object(key);
  pending_.insert(key, QVariant());
  scheduleWrite();
  if (!StoredValue::same(before, object(key)))
    Q_EMIT changed(key);
}

bool UserDefaults::synchronize() {
  // Soon, but not more often than once a second.
  if (!pending_.isEmpty() && !retryTimer_->isActive() &&
      (!sinceLastWrite_.isValid() || sinceLastWrite_.elapsed() >= kWriteIntervalMilliseconds))
    startWrite();
  else
    scheduleWrite();
  return stored_ && writeProblem_.isEmpty();
}

bool UserDefaults::flush() {
  if (!stored_)
    return false;
  startWrite();
  const quint64 last = writeGeneration_;
  {
    // A write a flush already gave up on is not waited for again: a quit
    // flushes more than once, and waits once.
    const auto limit = std::chrono::milliseconds(abandoned_ == last ? 0 : kFlushLimitMilliseconds);
    std::unique_lock<std::mutex> lock(outcomes_->mutex);
    const auto done = [&] { return outcomes_->finished >= last; };
    bool ended = outcomes_->done.wait_for(lock, limit, done);
    // A write that has the lock has only the disk left: megabytes of pasted
    // objective are let finish.
    if (!ended && outcomes_->locked > outcomes_->finished)
      ended = outcomes_->done.wait_for(lock, std::chrono::milliseconds(kLongestWrite), done);
    if (!ended)
      abandoned_ = last;
  }
  takeOutcomes();
  if (pending_.isEmpty() && inFlight_.isEmpty())
    return writeProblem_.isEmpty();
  sayNotWritten();
  return false;
}

void UserDefaults::waitForWritesForTesting() {
  startWrite();
  const quint64 last = writeGeneration_;
  std::unique_lock<std::mutex> lock(outcomes_->mutex);
  outcomes_->done.wait(lock, [&] { return outcomes_->finished >= last; });
}

void UserDefaults::keepDamagedCopy(const QString& key) {
  if (!stored_)
    return;
  // On the writer's thread, before any write that replaces the value.
  writer_->async([path = filePath_, key] {
    SettingsFile::keepDamaged(path,
                              QStringLiteral("the stored value of \"%1\" cannot be read").arg(key));
  });
}

QString UserDefaults::filePath() const { return filePath_; }

QStringList UserDefaults::storedKeys() const {
  QSet<QString> keys;
  if (stored_) {
    for (auto it = stored_->cbegin(); it != stored_->cend(); ++it)
      keys.insert(it.key());
  }
  for (auto it = inFlight_.cbegin(); it != inFlight_.cend(); ++it) {
    if (it->value.isValid())
      keys.insert(it.key());
    else
      keys.remove(it.key());
  }
  for (auto it = pending_.cbegin(); it != pending_.cend(); ++it) {
    if (it.value().isValid())
      keys.insert(it.key());
    else
      keys.remove(it.key());
  }
  QStringList list(keys.cbegin(), keys.cend());
  list.sort();
  return list;
}

} // namespace kr
