#pragma once

#include "preferences/UpdatesPane.h"
#include "shell/Appcast.h"
#include "shell/UpdateFeedFetcher.h"

#include <QObject>
#include <QUrl>

#include <memory>
#include <optional>

namespace kr {

class SmartTimerWrapper;
class UserDefaults;

// Tells the user of newer releases: reads the update feed, picks the best
// item this computer's distribution release can run and offers its download
// page. Nothing is downloaded; installing is the package manager's. Checks
// run when asked and, while "SUEnableAutomaticChecks" is on, every
// "SUScheduledCheckInterval" seconds after the last ("SULastCheckTime").
class SoftwareUpdater final : public QObject, public SoftwareUpdaterAPI {
  Q_OBJECT

public:
  // The shortest interval between automatic checks.
  static constexpr double kShortestInterval = 3600.0;

  SoftwareUpdater(UserDefaults& defaults, const QUrl& feedURL, QObject* parent = nullptr);
  ~SoftwareUpdater() override;

  // From now on the automatic checks run as the settings say.
  void startAutomaticChecks();
  // A check the user asked for: every outcome is told, a failure with why.
  void checkForUpdates() override;
  void setUpdateCheckInterval(qint64 seconds) override;

  QUrl feedURL() const { return feedURL_; }
  void setFeedURL(const QUrl& url) { feedURL_ = url; }
  // This computer's release, compared with the items' minimums.
  void setSystemVersion(const QString& version) { systemVersion_ = version; }
  bool isChecking() const { return checking_.has_value(); }
  // When the next automatic check falls due; none while they are off.
  std::optional<double> nextCheckTime() const { return nextCheck_; }

  // The standard version comparison: -1 when a is older than b, 0 the same,
  // 1 newer. "1.0b1" < "1.0" < "1.0.1", "10.9" < "10.10".
  static int compareVersion(const QString& a, const QString& b);
  // Whether the item's minimum system version (none: every system) is at
  // most this computer's.
  static bool hostSupportsItem(const AppcastItem& item, const QString& systemVersion);
  // The newest item the host supports, the first of equals; none when none is.
  static std::optional<AppcastItem> bestValidUpdate(const QList<AppcastItem>& items,
                                                    const QString& systemVersion);
  // VERSION_ID of the os-release file; empty when there is none.
  static QString systemVersionString();
  static QString versionIdFromOsRelease(const QByteArray& text);

Q_SIGNALS:
  // A check is over and its outcome was told.
  void checkFinished();

private:
  enum class Kind { automatic, manual };
  void check(Kind kind);
  void feedArrived(const QByteArray& body, const QString& error);
  void reportFailure(Kind kind, const QString& reason);
  void offer(const AppcastItem& item);
  void scheduleNextCheck();
  double checkInterval() const;

  UserDefaults& defaults_;
  QUrl feedURL_;
  QString systemVersion_;
  UpdateFeedFetcher fetcher_;
  std::optional<Kind> checking_;
  bool automaticChecksStarted_ = false;
  std::shared_ptr<SmartTimerWrapper> timer_;
  std::optional<double> nextCheck_;
};

} // namespace kr
