#pragma once

#include "platform/StatusItem.h"

#include <QObject>

#include <memory>

class QSystemTrayIcon;

namespace kr {

// The status item on the desktop's tray (StatusNotifierItem or the XEmbed
// system tray, whichever Qt finds).
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
  std::unique_ptr<QSystemTrayIcon> icon_;
};

} // namespace kr
