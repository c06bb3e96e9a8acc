#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace kr {

// A notification as the desktop shows it.
struct DesktopNotification {
  QString title;
  QString body;
  // Label of a single action button; empty for none.
  QString actionLabel;
  // Shown until the user dismisses it.
  bool sticky = false;
  // Identifier of a notification of ours that this one replaces (0: none).
  quint32 replacesId = 0;
};

// The desktop's notification service.
class DesktopNotifierAPI {
public:
  // The identifier the desktop gave the notification, or 0 with an error text.
  using Reply = std::function<void(quint32 id, const QString& error)>;

  virtual ~DesktopNotifierAPI() = default;
  // False where no notification server can be reached; `unavailableReason()` says why.
  virtual bool isAvailable() const = 0;
  virtual QString unavailableReason() const = 0;
  // Delivers asynchronously; `reply` runs on the main thread once the desktop answered.
  virtual void notify(const DesktopNotification& notification, Reply reply) = 0;
  virtual void close(quint32 id) = 0;
};

} // namespace kr
