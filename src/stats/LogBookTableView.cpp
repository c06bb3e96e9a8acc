#include "stats/LogBookTableView.h"

#include "art/KorvaneStyleKit.h"
#include "stats/LogBookColumnView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace kr {

LogBookTableView::LogBookTableView(QWidget* parent) : QListView(parent) {
  setFrameShape(QFrame::NoFrame);
  setSpacing(0);
  setUniformItemSizes(false);
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFocusPolicy(Qt::NoFocus);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  verticalScrollBar()->setSingleStep(12);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // Rows are laid out in batches between events, so a long log never holds
  // the window up; the first batch is shown at once.
  setLayoutMode(QListView::Batched);
  setBatchSize(50);
  setResizeMode(QListView::Fixed);
  QPalette colours = palette();
  colours.setColor(QPalette::Base, KorvaneStyleKit::n2());
  setPalette(colours);
  viewport()->setAutoFillBackground(true);
  // A thin scroll bar over the rows' colour.
  verticalScrollBar()->setStyleSheet(
      QStringLiteral("QScrollBar:vertical { width: 7px; background: transparent; margin: 0; }"
                     "QScrollBar::handle:vertical { background: rgba(0, 0, 0, 90);"
                     " border-radius: 3px; min-height: 20px; }"
                     "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical"
                     " { height: 0; }"
                     "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical"
                     " { background: transparent; }"));
}

int LogBookTableView::columnWidth() const { return viewport()->width(); }

void LogBookTableView::relayoutRows() { scheduleDelayedItemsLayout(); }

void LogBookTableView::paintEvent(QPaintEvent* event) {
  {
    // The line along the left edge, under the rows.
    QPainter painter(viewport());
    painter.fillRect(QRectF(0, 0, 0.5, viewport()->height()), KorvaneStyleKit::n10());
  }
  QListView::paintEvent(event);
}

void LogBookTableView::resizeEvent(QResizeEvent* event) {
  QListView::resizeEvent(event);
  const int width = columnWidth();
  if (width != lastColumnWidth_) {
    lastColumnWidth_ = width;
    Q_EMIT columnWidthChanged(width);
  }
}

void LogBookTableView::showEvent(QShowEvent* event) {
  QListView::showEvent(event);
  // The rows were given no heights while hidden.
  relayoutRows();
}

void LogBookTableView::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && index.isValid()) {
    const QRect row = visualRect(index);
    const QRectF pullDown = LogBookColumnView::pullDownRect(row.width()).translated(row.topLeft());
    if (pullDown.contains(event->position())) {
      pressedPullDownRow_ = index.row();
      viewport()->update(row);
      Q_EMIT pullDownClicked(index.row(), viewport()->mapToGlobal(pullDown.bottomLeft().toPoint()));
      pressedPullDownRow_ = -1;
      viewport()->update(row);
      event->accept();
      return;
    }
  }
  QListView::mousePressEvent(event);
}

} // namespace kr
