#include "window/MainWindow.h"

#include "window/MainWindowController.h"

#include "kit/skins/KorvaneControlSkin.h"
#include "platform/FreedMemory.h"
#include "platform/QnLog.h"

#include <QApplication>
#include <QBackingStore>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

namespace kr {

std::unique_ptr<MainWindow> MainWindow::makeMainWindow(UserDefaults& defaults) {
  return std::unique_ptr<MainWindow>(new MainWindow(defaults));
}

MainWindow::MainWindow(UserDefaults& defaults)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QStringLiteral("Korvane-R"));
  setAttribute(Qt::WA_TranslucentBackground);
  // The pages draw their own dark backgrounds: their texts and controls take
  // the pages' colours, not the desktop's.
  KorvaneControlSkin::applyPagePalette(this);
  controller_ = std::make_unique<MainWindowController>(*this, defaults);
}

MainWindow::~MainWindow() {
  // The pages belong to their states: give them back before the children go.
  controller_->detachPage();
}

void MainWindow::toggleFullScreen() {
  qn_log(QStringLiteral("fullscreen"));
  zoom();
}

void MainWindow::zoom() {
  QScreen* screen = this->screen();
  if (!screen)
    return;
  const QSize frameExtra = frameGeometry().size() - size();
  QPoint corner;
  if (zoomed_) {
    zoomed_ = false;
    controller_->setZoomedHeight(0);
    corner = userTopLeft_;
  } else {
    const QRect area = screen->availableGeometry();
    userTopLeft_ = frameGeometry().topLeft();
    zoomed_ = true;
    controller_->setZoomedHeight(area.height() - frameExtra.height());
    corner = QPoint(userTopLeft_.x(), area.y());
  }
  // The layout has fixed the new size; the window system confirms it later.
  controller_->placeInsideScreen(QRectF(corner, minimumSize() + frameExtra));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (closeHandler_)
    closeHandler_();
  else
    hide();
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  // A place counts where the window shows at it. The window system's reports
  // for a hidden window, or for one shown again but not yet exposed (the
  // window manager may take it in at 0,0 of a frame it has not yet placed),
  // are not where the user has it.
  if (!isVisible())
    return;
  if (event->spontaneous() &&
      (awaitingPlacement_ || !windowHandle() || !windowHandle()->isExposed()))
    return;
  controller_->windowDidMove();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The window takes the fitting size of its page, held as its fixed size. A
  // size the window system reports late, for a page shown before (often one
  // the window was hidden on before the system answered), is stale: put the
  // page's size back, or the window would show the old page's size.
  const QSize fitting = minimumSize();
  const bool zoomed = windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
  if (!zoomed && fitting == maximumSize() && size() != fitting) {
    resize(fitting);
    return;
  }
  controller_->windowDidResize();
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) {
    QWindow* handle = windowHandle();
    if (handle && !watchingExposure_) {
      handle->installEventFilter(this);
      watchingExposure_ = true;
    }
    awaitingPlacement_ = handle != nullptr;
    // Back where it was, whatever the window system said while it was away.
    controller_->windowWillShow();
  }
  // Pages shown while the window was hidden may have changed its size, and
  // they are laid out only now: Tab follows the page as it is drawn.
  controller_->ensureThatWindowIsCompletelyOnScreen();
  controller_->recalculateKeyViewLoop();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle() && event->type() == QEvent::Expose && awaitingPlacement_ &&
      windowHandle()->isExposed()) {
    awaitingPlacement_ = false;
    // Where the window manager took the window in is not where it was put:
    // put it back.
    controller_->windowWasPlaced();
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  awaitingPlacement_ = false;
  // Hidden by the program (not minimized), the window keeps no picture of
  // itself while it waits: its backing store shrinks to a pixel, and the
  // next show draws the whole window afresh at its size.
  if (!event->spontaneous()) {
    if (QBackingStore* store = backingStore())
      store->resize(QSize(1, 1));
    returnFreedMemoryToSystemSoon();
  }
}

bool MainWindow::focusNextPrevChild(bool next) {
  // Sections shown or hidden since the page came change its order.
  controller_->recalculateKeyViewLoop();
  return QWidget::focusNextPrevChild(next);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  // Presses that no control took land here: the window is dragged by its
  // background, once the pointer has moved the drag distance with the button
  // held. A click, or a tap on a touchpad, leaves the window where it is.
  if (event->button() == Qt::LeftButton && windowHandle()) {
    backgroundDrag_ = BackgroundDrag{event->globalPosition().toPoint(), pos(), false};
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

namespace {

// Where the window system lets a program place its own windows. Elsewhere
// (Wayland) only the compositor's move can take a window along.
bool programPlacesWindows() {
  return !QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

} // namespace

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
  if (!backgroundDrag_ || !(event->buttons() & Qt::LeftButton) || !windowHandle()) {
    backgroundDrag_.reset();
    QWidget::mouseMoveEvent(event);
    return;
  }
  event->accept();
  const QPoint pointer = event->globalPosition().toPoint();
  BackgroundDrag& drag = *backgroundDrag_;
  if (!drag.moving && (pointer - drag.press).manhattanLength() < QApplication::startDragDistance())
    return;
  if (!programPlacesWindows()) {
    backgroundDrag_.reset();
    windowHandle()->startSystemMove();
    return;
  }
  // The window keeps the place it had under the pointer at the press, the
  // drag distance included: the window manager's own move would start from
  // where the pointer is when it takes over, and the window would trail the
  // pointer by the distance already dragged, by all of it after a quick
  // flick.
  drag.moving = true;
  move(drag.windowAtPress + pointer - drag.press);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && backgroundDrag_) {
    if (backgroundDrag_->moving)
      move(backgroundDrag_->windowAtPress + event->globalPosition().toPoint() -
           backgroundDrag_->press);
    backgroundDrag_.reset();
    event->accept();
    return;
  }
  QWidget::mouseReleaseEvent(event);
}

} // namespace kr
