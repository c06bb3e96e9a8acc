#include "platform/linux/tray/TrayStatusItem.h"

#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QMetaObject>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace kr {

TrayStatusItem::TrayStatusItem(QObject* parent)
    : QObject(parent), icon_(std::make_unique<QSystemTrayIcon>()) {
  connect(icon_.get(), &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) {
            Click click;
            if (reason == QSystemTrayIcon::Trigger)
              click = Click::left;
            else if (reason == QSystemTrayIcon::Context)
              click = Click::right;
            else
              return;
            // Handled after the tray's mouse event, never inside it.
            QMetaObject::invokeMethod(
                this, [this, click] { clicked(click); }, Qt::QueuedConnection);
          });
}

TrayStatusItem::~TrayStatusItem() = default;

bool TrayStatusItem::isAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

QString TrayStatusItem::unavailableReason() const {
  return isAvailable() ? QString()
                       : QStringLiteral("the desktop has no system tray (notification area)");
}

void TrayStatusItem::show() {
  if (isAvailable())
    icon_->show();
}

void TrayStatusItem::setImage(const QImage& image) {
  icon_->setIcon(QIcon(QPixmap::fromImage(image)));
}

void TrayStatusItem::setToolTip(const QString& text) { icon_->setToolTip(text); }

// The tray pops the menu up itself on a right click.
void TrayStatusItem::setMenu(QMenu* menu) { icon_->setContextMenu(menu); }

void TrayStatusItem::popUpMenu() {
  if (QMenu* menu = icon_->contextMenu())
    menu->popup(QCursor::pos());
}

QRect TrayStatusItem::geometry() const { return icon_->geometry(); }

bool TrayStatusItem::showMessage(const QString& title, const QString& body, double seconds) {
  if (!isAvailable() || !icon_->isVisible())
    return false;
  icon_->showMessage(title, body, icon_->icon(), qRound(seconds * 1000.0));
  return true;
}

} // namespace kr
