#include "engine/Logger.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/Clock.h"
#include "engine/DailyNamingStrategy.h"
#include "platform/SupportPaths.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QLocale>

namespace kr {

namespace {
const QString kLogDateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
} // namespace

Logger::Logger(UserDefaults& defaults, QObject* parent)
    : QObject(parent), defaults_(defaults), startDate_(distantPast()), endDate_(distantPast()) {
  resetBackingStoreDescriptors();
}

Logger::~Logger() = default;

Logger& Logger::sharedLogger() {
  static Logger instance(UserDefaults::standard());
  return instance;
}

QString Logger::logFolderFromSettings() const {
  if (defaults_.boolValue(QStringLiteral("dropboxSync"))) {
    const QString dropbox =
        SupportPaths::expandTilde(defaults_.string(QStringLiteral("dropboxLocation")));
    return QDir::cleanPath(dropbox + QStringLiteral("/Korvane-R/System Logs"));
  }
  return BackingStoreManager::sharedManager().applicationSupportDirectory() +
         QStringLiteral("/System Logs");
}

void Logger::resetBackingStoreDescriptors() {
  auto store = std::make_shared<BackingStoreDescriptor>();
  store->setFolderPath(logFolderFromSettings());
  store->setRoot(QStringLiteral("System Log"));
  store->setNamingStrategy(std::make_unique<DailyNamingStrategy>());
  store->finishInitialization();
  store_ = std::move(store);
}

void Logger::updateLogFileDescriptors() {
  resetBackingStoreDescriptors();
  Q_EMIT systemLogBackingStoreChanged();
}

void Logger::incrementActualSecondsWorked() {
  if (actualSecondsWorked_ == 0)
    startDate_ = Clock::dateFromReferenceSeconds(Clock::now() - 1.0);
  endDate_ = Clock::nowAsDate();
  ++actualSecondsWorked_;
}

QString Logger::formatDateForSystemLog(const QDateTime& date) {
  return QLocale::c().toString(date.toLocalTime(), kLogDateFormat);
}

QDateTime Logger::dateFromSystemLogString(const QString& text) {
  QDateTime date = QLocale::c().toDateTime(text, kLogDateFormat);
  if (!date.isValid())
    date = QLocale::system().toDateTime(text, kLogDateFormat);
  return date.isValid() ? date : distantPast();
}

QDateTime Logger::distantPast() { return QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC); }

QString Logger::concentrationLevelStringForTag(qint64 tag) {
  switch (tag) {
  case 0:
    return QStringLiteral("distracted");
  case 1:
    return QStringLiteral("good");
  case 2:
    return QStringLiteral("highly focused");
  case 3:
    return QStringLiteral("experienced flow");
  default:
    return QStringLiteral("undefined");
  }
}

QString Logger::durationStringForTimeInterval(double seconds) {
  const qint64 total = seconds > 0 ? static_cast<qint64>(seconds) : 0;
  const qint64 parts[] = {total / 3600, (total / 60) % 60, total % 60};
  const char* singular[] = {"%1 hour", "%1 minute", "%1 second"};
  const char* plural[] = {"%1 hours", "%1 minutes", "%1 seconds"};
  QStringList words;
  for (int i = 0; i < 3; ++i) {
    if (parts[i] != 0)
      words << QString::fromLatin1(parts[i] == 1 ? singular[i] : plural[i]).arg(parts[i]);
  }
  return words.isEmpty() ? QStringLiteral("0 seconds") : words.join(u' ');
}

} // namespace kr
