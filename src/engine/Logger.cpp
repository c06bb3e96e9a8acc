#include "engine/Logger.h"
#include "platform/LocalTimeZone.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/Clock.h"
#include "engine/DailyNamingStrategy.h"
#include "engine/DataModel.h"
#include "engine/RTFHelper.h"
#include "engine/TaskManagerMarker.h"
#include "engine/TemplateTextHelper.h"
#include "platform/MacOSXVersion.h"
#include "platform/QnLog.h"
#include "platform/files/SupportPaths.h"
#include "platform/richtext/RichText.h"
#include "platform/services/FileBrowserAPI.h"
#include "platform/services/TaskManagerBridge.h"
#include "platform/settings/UserDefaults.h"

#include <QDir>
#include <QLocale>
#include <QRegularExpression>

namespace kr {

namespace {
const QString kLogDateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kLogDayFormat = QStringLiteral("yyyy-MM-dd");
const QString kLogTimeFormat = QStringLiteral("HH:mm:ss");

bool isLineEnd(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

// A value written on one line stays on one line, so it cannot start a
// keyword line of its own.
QString singleLine(QString value) {
  for (QChar& c : value) {
    if (isLineEnd(c))
      c = u' ';
  }
  return value;
}

// The objective's own trailing line ends would add empty lines to it when the
// entry is read back.
RichText withoutTrailingLineEnds(RichText text) {
  int end = text.length();
  while (end > 0 && isLineEnd(text.plainText().at(end - 1)))
    --end;
  return end == text.length() ? text : text.mid(0, end);
}
// The locale's own formats stand for the five styles: the long date without
// its weekday for the long style, with the month's short name for the
// medium one, and the long time without its zone for the medium time.
QString withoutToken(QString format, const QString& token) {
  const QRegularExpression pattern(
      QStringLiteral("[,\\s]*(?<![A-Za-z'])%1(?![A-Za-z'])[,.\\s]*").arg(token));
  const QRegularExpressionMatch match = pattern.match(format);
  if (!match.hasMatch())
    return format;
  // Between two other parts the separators after it stay.
  const bool inner = match.capturedStart() > 0 && match.capturedEnd() < format.size();
  const QString kept =
      inner ? match.captured().mid(match.captured().indexOf(token) + token.size()) : QString();
  return format.replace(match.capturedStart(), match.capturedLength(), kept).trimmed();
}

QString dateFormatFor(const QLocale& locale, Logger::DateFormatterStyle style) {
  using Style = Logger::DateFormatterStyle;
  const QString full = locale.dateFormat(QLocale::LongFormat);
  switch (style) {
  case Style::none:
    return {};
  case Style::shortStyle:
    return locale.dateFormat(QLocale::ShortFormat);
  case Style::medium:
    return withoutToken(full, QStringLiteral("dddd"))
        .replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
  case Style::longStyle:
    return withoutToken(full, QStringLiteral("dddd"));
  case Style::full:
    return full;
  }
  return {};
}

QString timeFormatFor(const QLocale& locale, Logger::DateFormatterStyle style) {
  using Style = Logger::DateFormatterStyle;
  switch (style) {
  case Style::none:
    return {};
  case Style::shortStyle:
    return locale.timeFormat(QLocale::ShortFormat);
  case Style::medium:
    return withoutToken(locale.timeFormat(QLocale::LongFormat), QStringLiteral("t"));
  case Style::longStyle:
  case Style::full:
    return locale.timeFormat(QLocale::LongFormat);
  }
  return {};
}
} // namespace

// The entry of a completed slice and the objective whose linked tasks are
// marked done once that entry is written.
struct Logger::PendingMarking {
  RichText entry;
  RichText objective;
};

Logger::Logger(UserDefaults& defaults, DataModel& dataModel, QObject* parent)
    : QObject(parent), defaults_(defaults), dataModel_(dataModel),
      bridge_(TaskManagerBridge::create()), startDate_(distantPast()), endDate_(distantPast()) {
  resetBackingStoreDescriptors();
}

Logger::~Logger() = default;

Logger& Logger::sharedLogger() {
  static Logger instance(UserDefaults::standard(), DataModel::shared());
  return instance;
}

QString Logger::logFolderFromSettings() const {
  if (defaults_.boolValue(QStringLiteral("dropboxSync"))) {
    const QString dropbox =
        SupportPaths::expandTilde(defaults_.string(QStringLiteral("dropboxLocation")));
    // The folder the Dropbox manager moves the logs into, under the
    // edition's own name.
    return QDir::cleanPath(dropbox + QLatin1Char('/') + MacOSXVersion::applicationFolderName() +
                           QStringLiteral("/System Logs"));
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
  QMutexLocker locker(&storeMutex_);
  if (store_)
    retiredStores_.push_back(std::move(store_));
  store_ = std::move(store);
}

const BackingStoreDescriptor& Logger::systemLogBackingStoreDesc() const {
  QMutexLocker locker(&storeMutex_);
  return *store_;
}

std::shared_ptr<BackingStoreDescriptor> Logger::currentStore() const {
  QMutexLocker locker(&storeMutex_);
  return store_;
}

std::shared_ptr<const BackingStoreDescriptor> Logger::systemLogBackingStore() const {
  QMutexLocker locker(&storeMutex_);
  return store_;
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

void Logger::resetActualSecondsWorked() {
  actualSecondsWorked_ = 0;
  dataModel_.resetCurrentTimeSliceExtensionDuration();
}

RichText Logger::prepareTimeSliceSystemLogEntryTextWithUUID(const QString& uuid) {
  TemplateTextHelper helper;
  helper.setData(BackingStoreManager::sharedManager().loadTemplateDataFromBundle(
      QString::fromLatin1(kEntryTemplateName)));
  helper.substitute(singleLine(uuid), QStringLiteral("uuid"));

  RichText objective =
      RTFHelper::sharedInstance().attributedStringFromData(dataModel_.objectiveData().data());
  // The entry's lines are a record: the objective's characters keep their
  // formats, its lines take the day's paragraphs.
  objective.clearParagraphFormats();
  helper.substituteRichText(withoutTrailingLineEnds(objective), QStringLiteral("objective"));
  const bool completed = dataModel_.completed();
  helper.substitute(completed ? QStringLiteral("YES") : QStringLiteral("NO"),
                    QStringLiteral("completed"));
  helper.substitute(QString::number(dataModel_.durationInMinutes() * 60),
                    QStringLiteral("duration"));
  helper.substitute(singleLine(dataModel_.tags()), QStringLiteral("tags"));
  helper.substitute(QString::number(actualSecondsWorked_), QStringLiteral("actualDuration"));
  // A slice without a counted second (finished right after a pause began)
  // still gets its own moment, never the dates of the slice before it.
  const QDateTime now = Clock::nowAsDate();
  helper.substitute(formatDateForSystemLog(actualSecondsWorked_ > 0 ? startDate_ : now),
                    QStringLiteral("startDate"));
  helper.substitute(formatDateForSystemLog(actualSecondsWorked_ > 0 ? endDate_ : now),
                    QStringLiteral("endDate"));
  helper.substitute(concentrationLevelStringForTag(dataModel_.focusRating()),
                    QStringLiteral("focusRating"));

  RichText entry = RTFHelper::sharedInstance().attributedStringFromData(helper.data());
  qn_log(QStringLiteral("text: %1").arg(entry.plainText()));
  // The tasks are marked only once the entry is in the log: a write that
  // fails and is tried again must neither lose nor repeat the marking.
  if (completed)
    pendingMarking_ = std::make_unique<PendingMarking>(PendingMarking{entry, objective});
  else
    pendingMarking_.reset();
  return entry;
}

void Logger::markLinkedTasksOfWrittenEntry(const RichText& entry) {
  if (!pendingMarking_ || !(pendingMarking_->entry == entry))
    return;
  const std::unique_ptr<PendingMarking> marking = std::move(pendingMarking_);
  performOmniFocusMarking(marking->objective);
  performTheHitListMarking(marking->objective);
  performThingsMarking(marking->objective);
}

bool Logger::writeToSystemLog(const RichText& entry, QString* error) {
  qn_log(QStringLiteral("writeToSystemLog [start]"));
  std::optional<OwnAppend> added;
  const bool written =
      BackingStoreManager::sharedManager().append(entry, *currentStore(), error, &added);
  qn_log(QStringLiteral("writeToUserLog [end]"));
  if (written) {
    markLinkedTasksOfWrittenEntry(entry);
    if (added)
      Q_EMIT systemLogAppended(*added);
    Q_EMIT systemLogWritten();
  }
  return written;
}

bool Logger::writeToSystemLogLater(const RichText& entry, std::function<void(bool written)> done) {
  qn_log(QStringLiteral("writeToSystemLog [start]"));
  return BackingStoreManager::sharedManager().appendLater(
      entry, *currentStore(), this,
      [this, entry, done = std::move(done)](bool written, const std::optional<OwnAppend>& added) {
        qn_log(QStringLiteral("writeToUserLog [end]"));
        if (written) {
          markLinkedTasksOfWrittenEntry(entry);
          if (added)
            Q_EMIT systemLogAppended(*added);
          Q_EMIT systemLogWritten();
        }
        done(written);
      });
}

bool Logger::isWritingToSystemLog() const {
  return BackingStoreManager::sharedManager().isAppending();
}

void Logger::revealLogFolder() {
  // The file browser tells the user itself when it cannot show the folder.
  FileBrowserAPI::shared().revealPath(currentStore()->folderPath());
}

QStringList Logger::linksOfText(const RichText& text) {
  QStringList links;
  for (const RichText::Run& run : text.runs()) {
    if (!run.format.link.isEmpty())
      links << run.format.link;
  }
  return links;
}

void Logger::performOmniFocusMarking(const RichText& objective) {
  TaskManagerMarker(*bridge_, defaults_).performOmniFocusMarking(linksOfText(objective));
}

void Logger::performTheHitListMarking(const RichText& objective) {
  TaskManagerMarker(*bridge_, defaults_).performTheHitListMarking(linksOfText(objective));
}

void Logger::performThingsMarking(const RichText& objective) {
  TaskManagerMarker(*bridge_, defaults_).performThingsMarking(linksOfText(objective));
}

void Logger::setTaskManagerBridge(std::unique_ptr<TaskManagerBridge> bridge) {
  bridge_ = std::move(bridge);
}

QString Logger::formatDateForSystemLog(const QDateTime& date) {
  return QLocale::c().toString(LocalTimeZone::toLocal(date), kLogDateFormat);
}

std::optional<WallClockTime> Logger::wallClockTimeFromSystemLogString(const QString& text) {
  // The day and the time are read apart: read as one local date and time, a
  // reading the clocks skipped would be refused.
  const qsizetype gap = text.indexOf(u' ');
  if (gap < 0)
    return std::nullopt;
  const QString day = text.left(gap);
  const QString time = text.mid(gap + 1);
  for (const QLocale& locale : {QLocale::c(), QLocale::system()}) {
    WallClockTime read{locale.toDate(day, kLogDayFormat), locale.toTime(time, kLogTimeFormat)};
    if (read.day.isValid() && read.time.isValid())
      return read;
  }
  return std::nullopt;
}

QDateTime Logger::dateFromSystemLogString(const QString& text) {
  const std::optional<WallClockTime> read = wallClockTimeFromSystemLogString(text);
  const QDateTime date = read ? read->dateIn(LocalTimeZone::current()) : QDateTime();
  return date.isValid() ? date : distantPast();
}

QDateTime Logger::dateFromSystemLogString(const QString& text, const QDateTime& start,
                                          const WallClockTime::SliceLengths& lengths) {
  const std::optional<WallClockTime> read = wallClockTimeFromSystemLogString(text);
  const QDateTime date =
      read ? read->endDateIn(LocalTimeZone::current(), start.toMSecsSinceEpoch(), lengths)
           : QDateTime();
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

QString Logger::localizedStringFromDate(const QDateTime& date, DateFormatterStyle dateStyle,
                                        DateFormatterStyle timeStyle) {
  const QLocale locale; // the user's, unless the program chose another
  const QDateTime local = LocalTimeZone::toLocal(date);
  QStringList parts;
  if (const QString format = dateFormatFor(locale, dateStyle); !format.isEmpty())
    parts << locale.toString(local.date(), format);
  if (const QString format = timeFormatFor(locale, timeStyle); !format.isEmpty())
    parts << locale.toString(local, format);
  return parts.join(QStringLiteral(", "));
}

} // namespace kr
