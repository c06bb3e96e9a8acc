#include "platform/linux/tray/TrayStatusItem.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QMetaObject>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>

namespace kr {

namespace {

// The StatusNotifierItem host's registry on the session bus.
const QString kStatusNotifierWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// The window Qt embeds into an XEmbed tray; none for a StatusNotifierItem.
QWidget* embeddedIconWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->inherits("QSystemTrayIconSys") && widget->isVisible())
      return widget;
  }
  return nullptr;
}

// Where the X server shows a window, whatever it was embedded into. Qt knows
// an embedded window's place only within the tray that holds it.
QRect placeOnScreen(QWidget* window) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection())
    return {};
  xcb_connection_t* connection = x11->connection();
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
  if (!screens.rem)
    return {};
  const auto id = static_cast<xcb_window_t>(window->winId());
  xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
      connection, xcb_translate_coordinates(connection, id, screens.data->root, 0, 0), nullptr);
  if (!reply)
    return {};
  const QPoint nativeTopLeft(reply->dst_x, reply->dst_y);
  std::free(reply);
  // Back from device pixels to Qt's coordinates.
  const qreal ratio = window->devicePixelRatioF();
  return {QPoint(qRound(nativeTopLeft.x() / ratio), qRound(nativeTopLeft.y() / ratio)),
          window->size()};
}

} // namespace

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
  available_ = QSystemTrayIcon::isSystemTrayAvailable();
  followTheTray();
}

TrayStatusItem::~TrayStatusItem() = default;

void TrayStatusItem::followTheTray() {
  // An XEmbed tray takes the X11 tray selection when it starts.
  connect(&traySelection_, &X11TraySelection::ownerChanged, this,
          [this] { trayMayHaveChanged(kRechecks); });
  // A StatusNotifierItem host comes and goes with its watcher on the bus.
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected()) {
    auto* watcher = new QDBusServiceWatcher(kStatusNotifierWatcher, bus,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this] { trayMayHaveChanged(0); });
  }
}

void TrayStatusItem::trayMayHaveChanged(int rechecksLeft) {
  const bool available = QSystemTrayIcon::isSystemTrayAvailable();
  // Qt learns of an XEmbed tray from the tray's own announcement, which may
  // follow the change of the selection's owner a little later.
  if (rechecksLeft > 0 && traySelection_.isFollowing() && traySelection_.isOwned() != available) {
    QTimer::singleShot(kRecheckMs, this,
                       [this, rechecksLeft] { trayMayHaveChanged(rechecksLeft - 1); });
    return;
  }
  if (available && shown_ && !embeddedIconWindow()) {
    // Embedded into the tray that came.
    icon_->hide();
    icon_->show();
  }
  if (available == available_)
    return;
  available_ = available;
  availabilityChanged();
}

bool TrayStatusItem::isAvailable() const { return available_; }

QString TrayStatusItem::unavailableReason() const {
  return isAvailable() ? QString()
                       : QStringLiteral("the desktop has no system tray (notification area)");
}

void TrayStatusItem::show() {
  // Shown also without a tray: it appears when one comes.
  shown_ = true;
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

QRect TrayStatusItem::geometry() const {
  if (QWidget* embedded = embeddedIconWindow()) {
    const QRect place = placeOnScreen(embedded);
    if (!place.isEmpty())
      return place;
  }
  return icon_->geometry();
}

bool TrayStatusItem::showMessage(const QString& title, const QString& body, double seconds) {
  if (!isAvailable() || !icon_->isVisible())
    return false;
  icon_->showMessage(title, body, icon_->icon(), qRound(seconds * 1000.0));
  return true;
}

} // namespace kr
