#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <memory>

namespace kr {

class BackingStoreDescriptor;
class UserDefaults;

// The writer of the daily log: counts the seconds worked in the running
// slice, fills the entry template with the slice's values and appends the
// entry to today's log file of this machine.
class Logger final : public QObject {
  Q_OBJECT

public:
  explicit Logger(UserDefaults& defaults, QObject* parent = nullptr);
  ~Logger() override;

  // Created on first use over the standard settings; lives for the run.
  static Logger& sharedLogger();

  // The log store; its folder holds the log files and its root begins their
  // names. The shared pointer stays valid for a reader even after a rebuild.
  const BackingStoreDescriptor& systemLogBackingStoreDesc() const { return *store_; }
  std::shared_ptr<const BackingStoreDescriptor> systemLogBackingStore() const { return store_; }
  // Rebuilds the log store from "dropboxSync" and "dropboxLocation".
  void updateLogFileDescriptors();
  // The folder the log store uses with the current settings.
  QString logFolderFromSettings() const;

  void incrementActualSecondsWorked();
  qint64 actualSecondsWorked() const { return actualSecondsWorked_; }
  QDateTime startDate() const { return startDate_; }
  void setStartDate(const QDateTime& date) { startDate_ = date; }
  QDateTime endDate() const { return endDate_; }
  void setEndDate(const QDateTime& date) { endDate_ = date; }

  // "yyyy-MM-dd HH:mm:ss" in local time, Gregorian, ASCII digits.
  static QString formatDateForSystemLog(const QDateTime& date);
  // Reads that form (also with the digits of the user's locale); the distant
  // past when the text is not such a date. Safe on any thread.
  static QDateTime dateFromSystemLogString(const QString& text);
  static QDateTime distantPast();
  static QString concentrationLevelStringForTag(qint64 tag);
  static QString durationStringForTimeInterval(double seconds);

Q_SIGNALS:
  // The log store was rebuilt (its folder may have moved).
  void systemLogBackingStoreChanged();

private:
  void resetBackingStoreDescriptors();

  UserDefaults& defaults_;
  std::shared_ptr<BackingStoreDescriptor> store_;
  qint64 actualSecondsWorked_ = 0;
  QDateTime startDate_;
  QDateTime endDate_;
};

} // namespace kr
