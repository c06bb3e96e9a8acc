#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace kr {

class SmartTimerWrapper;

// Fetches the update feed, and nothing else: over https only (plain http
// only from this computer itself), never following a redirect to a less safe
// address, through at most 5 redirects, at most 1 MiB (a longer reply is cut
// off there) and 30 seconds. The network access starts with the first fetch.
class UpdateFeedFetcher final : public QObject {
  Q_OBJECT

public:
  static constexpr qint64 kMaximumBytes = 1024 * 1024;
  static constexpr double kTimeoutSeconds = 30.0;

  explicit UpdateFeedFetcher(QObject* parent = nullptr);
  ~UpdateFeedFetcher() override;

  // Why the address may not be fetched; empty: it may.
  static QString refusalFor(const QUrl& url);

  // Starts fetching; `finished` follows once, later. A fetch in progress is
  // given up first.
  void fetch(const QUrl& url);
  bool isFetching() const;
  // Gives the fetch up without a `finished`.
  void cancel();

Q_SIGNALS:
  // The whole body on success (an empty error), else why there is none.
  void finished(const QByteArray& body, const QString& error);

private:
  void request(const QUrl& url);
  void received();
  void redirected(const QUrl& target);
  void replyFinished();
  void finish(const QByteArray& body, const QString& error);
  void tellLater(const QByteArray& body, const QString& error);
  void release();
  void dropReply();

  QNetworkAccessManager* network_ = nullptr;
  QPointer<QNetworkReply> reply_;
  QByteArray body_;
  int redirects_ = 0;
  // Counts the fetches given up or ended, so that one is told only once.
  quint64 fetches_ = 0;
  std::shared_ptr<SmartTimerWrapper> timeout_;
};

} // namespace kr
