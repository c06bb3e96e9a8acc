#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace kr {

class DesktopNotifierAPI;
class SmartTimerWrapper;

// Shows a text as a desktop notification. Only one is visible at a time: a
// new one replaces the one before. A sticky notification stays until the user
// dismisses it; any other is removed after its delay (3 s for a delay of 0).
class QNVisualNotification : public QObject {
  Q_OBJECT

public:
  using ActiveProvider = std::function<bool()>;

  // `applicationIsActive` tells which action a sticky notification offers.
  QNVisualNotification(DesktopNotifierAPI& notifier, ActiveProvider applicationIsActive,
                       QObject* parent = nullptr);
  ~QNVisualNotification() override;

  // Where a notification goes when the desktop cannot show it (no
  // notification server): the tray's message balloon, shown for `seconds` (0:
  // until clicked). Answers false when there is no tray either.
  using Fallback = std::function<bool(const QString& title, const QString& body, double seconds)>;

  void displayNotification(const QString& title, const QString& description, double delay,
                           bool sticky);
  // Withdraws the notification still shown, sticky or not (also one whose
  // delivery the desktop has not answered yet).
  void removeDeliveredNotifications();
  // The desktop's id of the notification now shown (0: none, or not yet answered).
  quint32 currentNotificationId() const { return currentId_; }
  // Installed by whoever owns the tray icon; empty: failures only say so on the console.
  void setFallback(Fallback fallback) { fallback_ = std::move(fallback); }

private:
  struct Shown {
    QString title;
    QString body;
    double seconds = 0.0; // 0: sticky
  };

  void delivered(quint64 generation, quint32 id, const QString& error);
  void failed(quint64 generation, const QString& error);
  void removeCurrent(quint64 generation);

  DesktopNotifierAPI& notifier_;
  ActiveProvider applicationIsActive_;
  // Each display counts up, so late replies and timers of replaced ones do nothing.
  quint64 generation_ = 0;
  quint32 currentId_ = 0;
  bool removeWhenDelivered_ = false;
  std::shared_ptr<SmartTimerWrapper> removalTimer_;
  bool reportedFailure_ = false;
  Fallback fallback_;
  // The notification of the current generation, for the fallback.
  Shown shown_;
};

} // namespace kr
