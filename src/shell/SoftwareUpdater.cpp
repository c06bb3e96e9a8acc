#include "shell/SoftwareUpdater.h"

#include "platform/files/FileOperations.h"

#include "engine/Clock.h"
#include "platform/QnLog.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/services/UrlOpenerAPI.h"
#include "platform/settings/UserDefaults.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>

namespace kr {

namespace {

const QString kAutomaticChecksKey = QStringLiteral("SUEnableAutomaticChecks");
const QString kIntervalKey = QStringLiteral("SUScheduledCheckInterval");
const QString kLastCheckTimeKey = QStringLiteral("SULastCheckTime");

// A long wait is taken in steps, so a changed clock is noticed within a day.
constexpr double kLongestWait = 86400.0;
// What an alert shows of a text built from the feed or the server's answer.
constexpr qsizetype kLongestAlertText = 2000;

QString shortenedForAlert(const QString& text) {
  if (text.size() <= kLongestAlertText)
    return text;
  return text.left(kLongestAlertText - 1) + QChar(0x2026);
}

// One part of a version text: a period, a run of digits or a run of anything else.
struct VersionPart {
  enum Kind { text, period, number } kind; // in the order they compare across kinds
  QStringView value;
};

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

QList<VersionPart> versionParts(QStringView version) {
  QList<VersionPart> parts;
  qsizetype i = 0;
  while (i < version.size()) {
    if (version.at(i) == QLatin1Char('.')) {
      parts.append({VersionPart::period, version.mid(i, 1)});
      ++i;
      continue;
    }
    const bool digits = isDigit(version.at(i));
    qsizetype end = i + 1;
    while (end < version.size() && version.at(end) != QLatin1Char('.') &&
           isDigit(version.at(end)) == digits)
      ++end;
    parts.append({digits ? VersionPart::number : VersionPart::text, version.mid(i, end - i)});
    i = end;
  }
  return parts;
}

// Compares runs of digits of any length by value.
int compareNumbers(QStringView a, QStringView b) {
  const auto significant = [](QStringView digits) {
    qsizetype zeros = 0;
    while (zeros < digits.size() - 1 && digits.at(zeros) == QLatin1Char('0'))
      ++zeros;
    return digits.mid(zeros);
  };
  a = significant(a);
  b = significant(b);
  if (a.size() != b.size())
    return a.size() < b.size() ? -1 : 1;
  const int order = a.compare(b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool isWebAddress(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  return url.isValid() && !url.host().isEmpty() &&
         (scheme == QLatin1String("https") || scheme == QLatin1String("http"));
}

} // namespace

int SoftwareUpdater::compareVersion(const QString& a, const QString& b) {
  const QList<VersionPart> left = versionParts(a);
  const QList<VersionPart> right = versionParts(b);
  const qsizetype shared = std::min(left.size(), right.size());
  for (qsizetype i = 0; i < shared; ++i) {
    const VersionPart& l = left.at(i);
    const VersionPart& r = right.at(i);
    if (l.kind != r.kind)
      return l.kind < r.kind ? -1 : 1;
    int order = 0;
    if (l.kind == VersionPart::number)
      order = compareNumbers(l.value, r.value);
    else if (l.kind == VersionPart::text)
      order = l.value.compare(r.value);
    if (order != 0)
      return order < 0 ? -1 : 1;
  }
  if (left.size() == right.size())
    return 0;
  // The longer one's first extra part: a suffix such as "b1" makes it older,
  // a further number newer.
  const bool leftLonger = left.size() > right.size();
  const bool suffix = (leftLonger ? left : right).at(shared).kind == VersionPart::text;
  return (leftLonger != suffix) ? 1 : -1;
}

bool SoftwareUpdater::hostSupportsItem(const AppcastItem& item, const QString& systemVersion) {
  const QString minimum = item.minimumSystemVersion.trimmed();
  if (minimum.isEmpty())
    return true;
  // An unknown release meets no minimum.
  return !systemVersion.isEmpty() && compareVersion(minimum, systemVersion) <= 0;
}

std::optional<AppcastItem> SoftwareUpdater::bestValidUpdate(const QList<AppcastItem>& items,
                                                            const QString& systemVersion) {
  std::optional<AppcastItem> best;
  for (const AppcastItem& item : items) {
    qn_log(
        QStringLiteral("version %1 minimum %2").arg(item.versionString, item.minimumSystemVersion));
    if (!hostSupportsItem(item, systemVersion))
      continue;
    if (!best || compareVersion(item.versionString, best->versionString) > 0)
      best = item;
  }
  return best;
}

QString SoftwareUpdater::versionIdFromOsRelease(const QByteArray& text) {
  for (const QByteArray& raw : text.split('\n')) {
    const QByteArray line = raw.trimmed();
    if (!line.startsWith("VERSION_ID="))
      continue;
    QByteArray value = line.mid(int(sizeof("VERSION_ID=") - 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.mid(1, value.size() - 2);
    return QString::fromUtf8(value).trimmed();
  }
  return {};
}

QString SoftwareUpdater::systemVersionString() {
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    RegularFileReadOptions bounded;
    bounded.maximumSize = 64 * 1024;
    if (const std::optional<QByteArray> text =
            FileOperations::readRegularFile(QString::fromLatin1(path), nullptr, bounded))
      return versionIdFromOsRelease(*text);
  }
  return {};
}

SoftwareUpdater::SoftwareUpdater(UserDefaults& defaults, const QUrl& feedURL, QObject* parent)
    : QObject(parent), defaults_(defaults), feedURL_(feedURL),
      systemVersion_(systemVersionString()) {
  connect(&fetcher_, &UpdateFeedFetcher::finished, this, &SoftwareUpdater::feedArrived);
  connect(&defaults_, &UserDefaults::changed, this, [this](const QString& key) {
    if (key == kAutomaticChecksKey || key == kIntervalKey)
      scheduleNextCheck();
  });
}

SoftwareUpdater::~SoftwareUpdater() {
  if (timer_)
    timer_->stop();
  fetcher_.cancel();
}

void SoftwareUpdater::startAutomaticChecks() {
  automaticChecksStarted_ = true;
  scheduleNextCheck();
}

void SoftwareUpdater::checkForUpdates() {
  if (checking_) {
    // The check under way reports to the user now.
    checking_ = Kind::manual;
    return;
  }
  check(Kind::manual);
}

void SoftwareUpdater::setUpdateCheckInterval(qint64 seconds) {
  if (seconds <= 0)
    return;
  if (defaults_.integer(kIntervalKey) != seconds || !defaults_.hasStoredValue(kIntervalKey))
    defaults_.setValue(kIntervalKey, seconds);
  scheduleNextCheck();
}

double SoftwareUpdater::checkInterval() const {
  const qint64 stored = defaults_.integer(kIntervalKey);
  if (stored <= 0)
    return 86400.0; // a damaged setting: the registered day
  return std::max(kShortestInterval, static_cast<double>(stored));
}

void SoftwareUpdater::scheduleNextCheck() {
  if (timer_) {
    timer_->stop();
    timer_.reset();
  }
  nextCheck_.reset();
  if (!automaticChecksStarted_ || checking_ || !defaults_.boolValue(kAutomaticChecksKey))
    return;
  const double now = Clock::now();
  // Never checked (or the clock went back): the first check is one interval from now.
  if (!defaults_.hasStoredValue(kLastCheckTimeKey) ||
      defaults_.doubleValue(kLastCheckTimeKey) > now)
    defaults_.setValue(kLastCheckTimeKey, now);
  nextCheck_ = defaults_.doubleValue(kLastCheckTimeKey) + checkInterval();
  const double wait = std::clamp(*nextCheck_ - now, 0.0, kLongestWait);
  timer_ = Clock::timerWithSystemTimeInterval(wait, false, [this](SmartTimerWrapper&) {
    if (nextCheck_ && Clock::now() >= *nextCheck_)
      check(Kind::automatic);
    else
      scheduleNextCheck();
  });
}

void SoftwareUpdater::check(Kind kind) {
  if (timer_) {
    timer_->stop();
    timer_.reset();
  }
  nextCheck_.reset();
  checking_ = kind;
  defaults_.setValue(kLastCheckTimeKey, Clock::now());
  qn_log(QStringLiteral("checking for updates at %1").arg(feedURL_.toDisplayString()));
  fetcher_.fetch(feedURL_);
}

void SoftwareUpdater::feedArrived(const QByteArray& body, const QString& error) {
  const Kind kind = checking_.value_or(Kind::automatic);
  QString reason = error;
  std::optional<AppcastItem> best;
  if (reason.isEmpty()) {
    QString malformed;
    if (const auto items = Appcast::parse(body, &malformed))
      best = bestValidUpdate(*items, systemVersion_);
    else
      reason = QStringLiteral("The update feed could not be read: %1").arg(malformed);
  }
  // The alerts may run an event loop: the next check is planned after them.
  checking_.reset();
  const QString current = QCoreApplication::applicationVersion();
  if (!reason.isEmpty()) {
    reportFailure(kind, reason);
  } else if (best && compareVersion(best->versionString, current) > 0) {
    offer(*best);
  } else if (kind == Kind::manual) {
    Alert alert;
    alert.messageText = QStringLiteral("Korvane-R is up to date.");
    alert.informativeText =
        QStringLiteral("Version %1 is the newest version available.").arg(current);
    alert.buttons = {QStringLiteral("OK")};
    alert.style = Alert::Style::informational;
    AlertPresenterAPI::shared().runModal(alert);
  } else {
    qn_log(QStringLiteral("no update: Korvane-R %1 is the newest version").arg(current));
  }
  scheduleNextCheck();
  Q_EMIT checkFinished();
}

void SoftwareUpdater::reportFailure(Kind kind, const QString& reason) {
  if (kind == Kind::automatic) {
    qn_log(QStringLiteral("the automatic update check failed: %1").arg(shortenedForAlert(reason)));
    return;
  }
  Alert alert;
  alert.messageText = QStringLiteral("Korvane-R could not check for updates.");
  alert.informativeText = shortenedForAlert(reason);
  alert.buttons = {QStringLiteral("OK")};
  AlertPresenterAPI::shared().runModal(alert);
}

void SoftwareUpdater::offer(const AppcastItem& item) {
  Alert alert;
  alert.messageText =
      shortenedForAlert(QStringLiteral("Korvane-R %1 is available.").arg(item.displayVersion()));
  alert.informativeText =
      QStringLiteral("You have version %1.").arg(QCoreApplication::applicationVersion());
  alert.style = Alert::Style::informational;
  if (!isWebAddress(item.infoURL)) {
    // Nothing else is opened: the alert says there is no page.
    if (!item.infoURL.isEmpty())
      qn_log(QStringLiteral("update feed: the download page \"%1\" is not a web address")
                 .arg(item.infoURL.toDisplayString()));
    alert.informativeText += QStringLiteral(" The update feed gives no download page.");
    alert.buttons = {QStringLiteral("OK")};
    AlertPresenterAPI::shared().runModal(alert);
    return;
  }
  alert.buttons = {QStringLiteral("Show Download Page"), QStringLiteral("Not Now")};
  alert.escapeButton = 1;
  if (AlertPresenterAPI::shared().runModal(alert) == 0)
    UrlOpenerAPI::shared().open(item.infoURL);
}

} // namespace kr
