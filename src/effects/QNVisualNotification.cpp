#include "effects/QNVisualNotification.h"

#include "platform/DesktopNotifierAPI.h"
#include "platform/QnLog.h"
#include "platform/SmartTimerWrapper.h"

#include <QPointer>

namespace kr {

QNVisualNotification::QNVisualNotification(DesktopNotifierAPI& notifier,
                                           ActiveProvider applicationIsActive, QObject* parent)
    : QObject(parent), notifier_(notifier), applicationIsActive_(std::move(applicationIsActive)) {}

QNVisualNotification::~QNVisualNotification() {
  if (removalTimer_)
    removalTimer_->stop();
}

void QNVisualNotification::displayNotification(const QString& title, const QString& description,
                                               double delay, bool sticky) {
  const quint64 generation = ++generation_;
  removeWhenDelivered_ = false;
  if (removalTimer_)
    removalTimer_->stop();
  removalTimer_.reset();

  DesktopNotification n;
  n.title = title;
  n.body = description;
  n.sticky = sticky;
  n.replacesId = currentId_;
  if (sticky) {
    const bool active = applicationIsActive_ && applicationIsActive_();
    n.actionLabel = active ? QStringLiteral("Hide") : QStringLiteral("Bring To Front");
  }
  QPointer<QNVisualNotification> self(this);
  notifier_.notify(n, [self, generation](quint32 id, const QString& error) {
    if (self)
      self->delivered(generation, id, error);
  });
  if (!sticky) {
    removalTimer_ = SmartTimerWrapper::wrapTimer(
        delay == 0.0 ? 3.0 : delay, false,
        [this, generation](SmartTimerWrapper&) { removeCurrent(generation); });
  }
}

void QNVisualNotification::delivered(quint64 generation, quint32 id, const QString& error) {
  if (!error.isEmpty()) {
    if (!reportedFailure_) {
      reportedFailure_ = true;
      platformLog(QStringLiteral("No desktop notifications: %1").arg(error));
    }
    return;
  }
  if (generation != generation_) {
    // A reply for a notification that a newer one already replaced.
    if (id != 0 && id != currentId_)
      notifier_.close(id);
    return;
  }
  currentId_ = id;
  if (removeWhenDelivered_)
    removeCurrent(generation);
}

void QNVisualNotification::removeCurrent(quint64 generation) {
  if (generation != generation_)
    return;
  if (currentId_ == 0) {
    removeWhenDelivered_ = true; // the desktop has not answered yet
    return;
  }
  notifier_.close(currentId_);
  currentId_ = 0;
  removeWhenDelivered_ = false;
}

} // namespace kr
