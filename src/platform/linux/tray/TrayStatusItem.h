#pragma once

#include "platform/linux/tray/X11TraySelection.h"
#include "platform/services/StatusItem.h"

#include <QObject>

#include <memory>

class QSystemTrayIcon;

namespace kr {

// The status item on the desktop's tray (StatusNotifierItem or the XEmbed
// system tray, whichever Qt finds). It follows the tray: one that starts
// after the program gets the icon, and the item says when a tray comes or goes.
class TrayStatusItem final : public QObject, public StatusItem {
  Q_OBJECT

public:
  explicit TrayStatusItem(QObject* parent = nullptr);
  ~TrayStatusItem() override;

  bool isAvailable() const override;
  QString unavailableReason() const override;
  void show() override;
  void setImage(const QImage& image) override;
  void setToolTip(const QString& text) override;
  void setMenu(QMenu* menu) override;
  void popUpMenu() override;
  QRect geometry() const override;
  bool showMessage(const QString& title, const QString& body, double seconds) override;

private:
  static constexpr int kRechecks = 20;
  static constexpr int kRecheckMs = 50;

  void followTheTray();
  // Takes the tray's new state; with `rechecksLeft`, waits a little for Qt
  // to see what the X server already says.
  void trayMayHaveChanged(int rechecksLeft);

  std::unique_ptr<QSystemTrayIcon> icon_;
  X11TraySelection traySelection_;
  bool available_ = false;
  bool shown_ = false;
};

} // namespace kr
