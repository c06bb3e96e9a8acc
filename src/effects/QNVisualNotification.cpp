#include "effects/QNVisualNotification.h"

#include "platform/QnLog.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/services/DesktopNotifierAPI.h"

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

  shown_ = Shown{title, description, sticky ? 0.0 : (delay == 0.0 ? 3.0 : delay)};
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
    failed(generation, error);
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

void QNVisualNotification::failed(quint64 generation, const QString& error) {
  // Only the newest notification, and only while its time is not over.
  const bool stillWanted = generation == generation_ && !removeWhenDelivered_;
  const bool inTray =
      stillWanted && fallback_ && fallback_(shown_.title, shown_.body, shown_.seconds);
  if (reportedFailure_)
    return;
  reportedFailure_ = true;
  platformLog(inTray ? QStringLiteral("No desktop notifications (%1): they show as the tray "
                                      "icon's messages instead")
                           .arg(error)
                     : QStringLiteral("No desktop notifications: %1").arg(error));
}

void QNVisualNotification::removeDeliveredNotifications() {
  if (removalTimer_)
    removalTimer_->stop();
  removalTimer_.reset();
  removeCurrent(generation_);
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
