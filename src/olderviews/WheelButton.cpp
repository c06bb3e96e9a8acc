#include "olderviews/WheelButton.h"

#include "olderviews/WheelButtonCell.h"

#include <QLoggingCategory>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace kr {

namespace {
Q_LOGGING_CATEGORY(lcOlderViews, "kr.olderviews", QtInfoMsg)
} // namespace

WheelButton::WheelButton(QWidget* parent) : QPushButton(parent) {}

void WheelButton::setMyMenu(QMenu* menu) {
  if (myMenu_)
    disconnect(myMenu_, nullptr, this, nullptr);
  myMenu_ = menu;
  if (myMenu_)
    connect(myMenu_, &QMenu::aboutToHide, this, &WheelButton::menuDidClose);
}

void WheelButton::setCell(WheelButtonCell* cell) {
  cell_ = cell;
  update();
}

void WheelButton::awakeFromNib() { qCDebug(lcOlderViews, "awakeFromNib"); }

QPoint WheelButton::menuOrigin() const {
  const QPoint corner = geometry().bottomLeft() + QPoint(0, 1) + kMenuOffset;
  return parentWidget() ? parentWidget()->mapToGlobal(corner) : corner;
}

void WheelButton::mouseDown(QMouseEvent* event) {
  // Without a menu it is a plain button.
  if (!myMenu_ || event->button() != Qt::LeftButton) {
    QPushButton::mousePressEvent(event);
    return;
  }
  setDown(true);
  myMenu_->setActiveAction(nullptr);
  myMenu_->popup(menuOrigin());
  event->accept();
}

void WheelButton::menuDidClose() { setDown(false); }

void WheelButton::paintEvent(QPaintEvent* event) {
  if (!cell_) {
    QPushButton::paintEvent(event);
    return;
  }
  QStylePainter painter(this);
  if (isDown()) {
    // Pressed, the button shows the style's sunken panel under its wheel.
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawPrimitive(QStyle::PE_PanelButtonCommand, option);
  }
  cell_->drawBezelWithFrame(painter, QRectF(rect()), this);
}

} // namespace kr
