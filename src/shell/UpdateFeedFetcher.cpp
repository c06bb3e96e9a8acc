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
  if (const QString refusal = refusalFor(url); !refusal.isEmpty()) {
    // Said later, as every other outcome is.
    QMetaObject::invokeMethod(
        this, [this, refusal] { Q_EMIT finished({}, refusal); }, Qt::QueuedConnection);
    return;
  }
  if (!network_)
    network_ = new QNetworkAccessManager(this);
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::UserVerifiedRedirectPolicy);
  request.setMaximumRedirectsAllowed(kMaximumRedirects);
  request.setHeader(QNetworkRequest::UserAgentHeader,
                    QStringLiteral("%1/%2").arg(QCoreApplication::applicationName(),
                                                QCoreApplication::applicationVersion()));
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  reply_ = network_->get(request);
  connect(reply_, &QNetworkReply::readyRead, this, &UpdateFeedFetcher::received);
  connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
    bool known = false;
    const qint64 length = reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (known && length > kMaximumBytes)
      finish({}, tooLarge());
  });
  connect(reply_, &QNetworkReply::redirected, this, &UpdateFeedFetcher::redirected);
  connect(reply_, &QNetworkReply::finished, this, &UpdateFeedFetcher::replyFinished);
  timeout_ = Clock::timerWithSystemTimeInterval(kTimeoutSeconds, false, [this](SmartTimerWrapper&) {
    finish({}, QStringLiteral("The server did not answer within %1 seconds.")
                   .arg(static_cast<int>(kTimeoutSeconds)));
  });
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
  if (!reply_)
    return;
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
  Q_EMIT reply_->redirectAllowed();
}

void UpdateFeedFetcher::replyFinished() {
  if (!reply_)
    return;
  received();
  if (!reply_)
    return; // too large
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
  Q_EMIT finished(kept, error);
}

void UpdateFeedFetcher::release() {
  if (timeout_) {
    timeout_->stop();
    timeout_.reset();
  }
  if (QNetworkReply* reply = reply_.data()) {
    reply_.clear();
    disconnect(reply, nullptr, this, nullptr);
    // Not from inside the reply's own signal: the reply goes next, and its
    // request with it. Aborting it instead could race an error the reply
    // is about to report, which the network code takes as a second error.
    reply->deleteLater();
  }
}

} // namespace kr
