#include "shell/UpdateFeedFetcher.h"

#include "engine/Clock.h"
#include "platform/SmartTimerWrapper.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace kr {

namespace {

constexpr int kMaximumRedirects = 5;
constexpr qint64 kReadAheadBytes = 64 * 1024;

bool isThisComputer(const QString& host) {
  if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
    return true;
  const QHostAddress address(host);
  return !address.isNull() && address.isLoopback();
}

QString tooLarge() {
  return QStringLiteral("The update feed is larger than %1 MiB.")
      .arg(UpdateFeedFetcher::kMaximumBytes / (1024 * 1024));
}

} // namespace

UpdateFeedFetcher::UpdateFeedFetcher(QObject* parent) : QObject(parent) {}

UpdateFeedFetcher::~UpdateFeedFetcher() { release(); }

QString UpdateFeedFetcher::refusalFor(const QUrl& url) {
  if (url.isEmpty())
    return QStringLiteral("No update feed is set.");
  if (!url.isValid() || url.host().isEmpty())
    return QStringLiteral("The update feed's address \"%1\" is not valid.")
        .arg(url.toDisplayString());
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String("https"))
    return {};
  if (scheme == QLatin1String("http") && isThisComputer(url.host()))
    return {};
  return QStringLiteral("The update feed's address \"%1\" is not a secure (https) one.")
      .arg(url.toDisplayString());
}

void UpdateFeedFetcher::fetch(const QUrl& url) {
  release();
  body_.clear();
  redirects_ = 0;
  if (const QString refusal = refusalFor(url); !refusal.isEmpty()) {
    tellLater({}, refusal);
    return;
  }
  if (!network_)
    network_ = new QNetworkAccessManager(this);
  request(url);
  timeout_ = Clock::timerWithSystemTimeInterval(kTimeoutSeconds, false, [this](SmartTimerWrapper&) {
    finish({}, QStringLiteral("The server did not answer within %1 seconds.")
                   .arg(static_cast<int>(kTimeoutSeconds)));
  });
}

void UpdateFeedFetcher::request(const QUrl& url) {
  QNetworkRequest request(url);
  // Redirects are followed here, each checked and counted: the network
  // code's own following lost count of a server redirecting to itself and
  // ended with neither an answer nor an error.
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::ManualRedirectPolicy);
  request.setHeader(QNetworkRequest::UserAgentHeader,
                    QStringLiteral("%1/%2").arg(QCoreApplication::applicationName(),
                                                QCoreApplication::applicationVersion()));
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  reply_ = network_->get(request);
  // The network thread reads no further ahead than this: with no limit it
  // reads on as fast as the server sends while this thread is busy, and a
  // feed that never ends would go on downloading until the reply's deletion
  // came round.
  reply_->setReadBufferSize(kReadAheadBytes);
  connect(reply_, &QNetworkReply::readyRead, this, &UpdateFeedFetcher::received);
  connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
    bool known = false;
    const qint64 length = reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (known && length > kMaximumBytes)
      finish({}, tooLarge());
  });
  connect(reply_, &QNetworkReply::finished, this, &UpdateFeedFetcher::replyFinished);
}

bool UpdateFeedFetcher::isFetching() const { return !reply_.isNull(); }

void UpdateFeedFetcher::cancel() {
  release();
  body_.clear();
}

void UpdateFeedFetcher::received() {
  if (!reply_)
    return;
  body_ += reply_->read(kMaximumBytes + 1 - body_.size());
  if (body_.size() > kMaximumBytes)
    finish({}, tooLarge());
}

void UpdateFeedFetcher::redirected(const QUrl& target) {
  if (++redirects_ > kMaximumRedirects) {
    finish({}, QStringLiteral("The server redirected too often."));
    return;
  }
  const QUrl from = reply_->url();
  const QUrl to = from.resolved(target);
  QString refusal = refusalFor(to);
  // From https, only to https.
  if (refusal.isEmpty() &&
      from.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 &&
      to.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0)
    refusal = QStringLiteral("The update feed redirects to the less secure address \"%1\".")
                  .arg(to.toDisplayString());
  if (!refusal.isEmpty()) {
    finish({}, refusal);
    return;
  }
  dropReply();
  body_.clear();
  request(to);
}

void UpdateFeedFetcher::replyFinished() {
  if (!reply_)
    return;
  received();
  if (!reply_)
    return; // too large
  if (const QVariant target = reply_->attribute(QNetworkRequest::RedirectionTargetAttribute);
      target.isValid()) {
    redirected(target.toUrl());
    return;
  }
  const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  const QString reason =
      reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
  if (status.isValid() && status.toInt() != 200) {
    finish({}, QStringLiteral("The server answered \"%1%2\".")
                   .arg(status.toInt())
                   .arg(reason.isEmpty() ? QString() : QStringLiteral(" ") + reason));
    return;
  }
  bool known = false;
  const qint64 length = reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
  if (known && body_.size() < length) {
    finish({}, QStringLiteral("The update feed arrived cut off: %1 of %2 bytes.")
                   .arg(body_.size())
                   .arg(length));
    return;
  }
  if (reply_->error() != QNetworkReply::NoError) {
    finish({}, reply_->errorString());
    return;
  }
  finish(body_, {});
}

void UpdateFeedFetcher::finish(const QByteArray& body, const QString& error) {
  release();
  const QByteArray kept = body;
  body_.clear();
  tellLater(kept, error);
}

void UpdateFeedFetcher::tellLater(const QByteArray& body, const QString& error) {
  // After the reply's deletion, queued before: what is told may run an event
  // loop of its own (an alert), and the reply must not go on downloading
  // meanwhile. A fetch given up or started again meanwhile is not told.
  QMetaObject::invokeMethod(
      this,
      [this, body, error, fetch = fetches_] {
        if (fetch == fetches_)
          Q_EMIT finished(body, error);
      },
      Qt::QueuedConnection);
}

void UpdateFeedFetcher::release() {
  ++fetches_;
  if (timeout_) {
    timeout_->stop();
    timeout_.reset();
  }
  dropReply();
}

void UpdateFeedFetcher::dropReply() {
  if (QNetworkReply* reply = reply_.data()) {
    reply_.clear();
    disconnect(reply, nullptr, this, nullptr);
    // Deleted, which ends its download, as soon as the window's thread
    // handles its events: not from within the reply's own signal, where this
    // may be, and not by deleteLater(), which would wait for the end of an
    // alert's event loop. Unlike an abort, a deletion cannot meet an error
    // the reply is about to report, which the network code would take as a
    // second error.
    QMetaObject::invokeMethod(
        reply, [reply] { delete reply; }, Qt::QueuedConnection);
  }
}

} // namespace kr
