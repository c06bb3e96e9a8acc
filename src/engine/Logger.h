#pragma once

#include "engine/OwnAppend.h"
#include "engine/WallClockTime.h"

#include <QDateTime>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kr {

class BackingStoreDescriptor;
class DataModel;
class RichText;
class TaskManagerBridge;
class UserDefaults;

// The writer of the daily log: counts the seconds worked in the running
// slice, fills the entry template with the slice's values and appends the
// entry to today's log file of this machine.
class Logger final : public QObject {
  Q_OBJECT

public:
  static constexpr const char* kEntryTemplateName = "system log time slice entry";

  Logger(UserDefaults& defaults, DataModel& dataModel, QObject* parent = nullptr);
  ~Logger() override;

  // Created on first use over the standard settings and the shared timer
  // settings; lives for the run. Main thread only.
  static Logger& sharedLogger();

  // One filled entry for the current slice: the template with the slice's
  // values from the timer settings and the worked seconds. A completed
  // slice's linked tasks are marked done once this entry has been written.
  RichText prepareTimeSliceSystemLogEntryTextWithUUID(const QString& uuid);
  // Appends the entry to today's log file. False, with the reason, when it was
  // not written (the user has been shown why). Writing the last prepared
  // entry marks its linked tasks done, once, however often the write had
  // to be tried.
  bool writeToSystemLog(const RichText& entry, QString* error = nullptr);
  // The same, with a large day written away from the window: `done` runs on
  // this thread once the entry has landed (or failed), with whether it was
  // written. Returns whether it is still being written; false when `done`
  // has run already.
  bool writeToSystemLogLater(const RichText& entry, std::function<void(bool written)> done);
  // Whether an entry is being written away from the window.
  bool isWritingToSystemLog() const;
  // Shows the log folder in the file browser.
  void revealLogFolder();

  // The log store; its folder holds the log files and its root begins their
  // names. Readable from any thread; a store replaced by a rebuild stays
  // valid for the rest of the run, so a reader never holds a dangling one.
  const BackingStoreDescriptor& systemLogBackingStoreDesc() const;
  std::shared_ptr<const BackingStoreDescriptor> systemLogBackingStore() const;
  // Rebuilds the log store from "dropboxSync" and "dropboxLocation".
  void updateLogFileDescriptors();
  // The folder the log store uses with the current settings.
  QString logFolderFromSettings() const;

  void incrementActualSecondsWorked();
  // Zero, and the slice's extension is dropped; the dates keep their values.
  void resetActualSecondsWorked();
  qint64 actualSecondsWorked() const { return actualSecondsWorked_; }
  QDateTime startDate() const { return startDate_; }
  void setStartDate(const QDateTime& date) { startDate_ = date; }
  QDateTime endDate() const { return endDate_; }
  void setEndDate(const QDateTime& date) { endDate_ = date; }

  // "yyyy-MM-dd HH:mm:ss" in local time, Gregorian, ASCII digits.
  static QString formatDateForSystemLog(const QDateTime& date);
  // Reads that form (also with the digits of the user's locale) as the
  // clock's reading; nothing when the text is not such a date.
  static std::optional<WallClockTime> wallClockTimeFromSystemLogString(const QString& text);
  // The date of such a text read alone (WallClockTime::instantIn); the
  // distant past when the text is not such a date. Safe on any thread.
  static QDateTime dateFromSystemLogString(const QString& text);
  // The same for the end of a slice that began at `start`, with the lengths
  // its entry gives (WallClockTime::endInstantIn).
  static QDateTime dateFromSystemLogString(const QString& text, const QDateTime& start,
                                           const WallClockTime::SliceLengths& lengths);
  static QDateTime distantPast();
  static QString concentrationLevelStringForTag(qint64 tag);
  static QString durationStringForTimeInterval(double seconds);
  // The lengths of the date and of the time in a localised date text; none
  // leaves that part out.
  enum class DateFormatterStyle { none, shortStyle, medium, longStyle, full };
  // The date (in local time) in the user's locale, its date and its time in
  // the given styles.
  static QString localizedStringFromDate(const QDateTime& date, DateFormatterStyle dateStyle,
                                         DateFormatterStyle timeStyle);

  // Task-manager links of a completed slice's objective.
  void performOmniFocusMarking(const RichText& objective);
  void performTheHitListMarking(const RichText& objective);
  void performThingsMarking(const RichText& objective);
  // The link of each run that carries one, in text order.
  static QStringList linksOfText(const RichText& text);
  void setTaskManagerBridge(std::unique_ptr<TaskManagerBridge> bridge);

Q_SIGNALS:
  // The log store was rebuilt (its folder may have moved).
  void systemLogBackingStoreChanged();
  // An entry was added in place at the end of a day of the log; told just
  // before systemLogWritten().
  void systemLogAppended(const kr::OwnAppend& append);
  // An entry was appended to the log.
  void systemLogWritten();

private:
  struct PendingMarking;

  void resetBackingStoreDescriptors();
  void markLinkedTasksOfWrittenEntry(const RichText& entry);
  std::shared_ptr<BackingStoreDescriptor> currentStore() const;

  UserDefaults& defaults_;
  DataModel& dataModel_;
  std::unique_ptr<TaskManagerBridge> bridge_;
  std::unique_ptr<PendingMarking> pendingMarking_;
  mutable QMutex storeMutex_;
  std::shared_ptr<BackingStoreDescriptor> store_;
  std::vector<std::shared_ptr<BackingStoreDescriptor>> retiredStores_;
  qint64 actualSecondsWorked_ = 0;
  QDateTime startDate_;
  QDateTime endDate_;
};

} // namespace kr
