#include "stats/LogBookTableView.h"

#include "art/KorvaneStyleKit.h"
#include "stats/LogBookColumnView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>
#include <climits>

namespace kr {

LogBookTableView::LogBookTableView(QWidget* parent) : QAbstractItemView(parent) {
  setFrameShape(QFrame::NoFrame);
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAutoScroll(false);
  setFocusPolicy(Qt::StrongFocus);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  verticalScrollBar()->setSingleStep(12);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
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

void LogBookTableView::setRowHeights(RowHeights* heights) {
  heights_ = heights;
  relayoutRows();
}

int LogBookTableView::columnWidth() const { return viewport()->width(); }

void LogBookTableView::relayoutRows() {
  // A hidden list waits until it is shown, at the width it has then.
  if (!isVisible()) {
    layoutPending_ = true;
    return;
  }
  layoutPending_ = false;
  const int rows = model() ? model()->rowCount(rootIndex()) : 0;
  const int width = columnWidth();
  QScrollBar* bar = verticalScrollBar();
  const bool atEnd = bar->value() > 0 && bar->value() >= bar->maximum();
  const int anchor = std::max(layout_.rowAt(bar->value()), 0);
  std::vector<int> estimates(std::size_t(rows), 1);
  if (heights_) {
    for (int row = 0; row < rows; ++row)
      estimates[std::size_t(row)] = heights_->estimatedRowHeight(row, width);
  }
  layout_.reset(std::move(estimates));
  {
    const QScopedValueRollback guard(settling_, true);
    updateScrollRange();
    bar->setValue(atEnd ? bar->maximum() : int(std::min<qint64>(layout_.top(anchor), INT_MAX)));
  }
  settleVisibleRows();
  viewport()->update();
}

void LogBookTableView::updateScrollRange() {
  QScrollBar* bar = verticalScrollBar();
  const int page = viewport()->height();
  bar->setPageStep(std::max(page, 1));
  bar->setRange(0, int(std::clamp<qint64>(layout_.totalHeight() - page, 0, INT_MAX)));
}

void LogBookTableView::measure(int row) {
  if (heights_)
    layout_.setMeasured(row, heights_->measuredRowHeight(row, columnWidth()));
}

void LogBookTableView::settleVisibleRows() {
  if (settling_ || !heights_ || !isVisible() || layout_.count() == 0)
    return;
  const QScopedValueRollback guard(settling_, true);
  QScrollBar* bar = verticalScrollBar();
  const qint64 page = viewport()->height();
  // Each round measures at least one row more, so it ends.
  for (;;) {
    const int value = bar->value();
    const bool atEnd = value > 0 && value >= bar->maximum();
    const int first = layout_.rowAt(value);
    // The row that stays in place: the first in view that was measured
    // before (rows coming in above it then push nothing), else the first.
    int kept = -1;
    for (int row = first; row < layout_.count() && layout_.top(row) < value + page; ++row) {
      if (layout_.isMeasured(row)) {
        kept = row;
        break;
      }
    }
    const qint64 keptAt = kept >= 0 ? layout_.top(kept) - value : 0;
    const qint64 within = value - layout_.top(first);
    bool measured = false;
    for (int row = first; row < layout_.count() && layout_.top(row) < value + page; ++row) {
      if (!layout_.isMeasured(row)) {
        measure(row);
        measured = true;
      }
    }
    if (!measured)
      break;
    updateScrollRange();
    qint64 target = 0;
    if (atEnd)
      target = bar->maximum();
    else if (kept >= 0)
      target = layout_.top(kept) - keptAt;
    else
      target = layout_.top(first) + std::min<qint64>(within, layout_.height(first) - 1);
    bar->setValue(int(std::clamp<qint64>(target, 0, INT_MAX)));
  }
  viewport()->update();
}

QRect LogBookTableView::visualRect(const QModelIndex& index) const {
  if (!index.isValid() || index.row() >= layout_.count())
    return {};
  const qint64 top = layout_.top(index.row()) - verticalOffset();
  if (top < INT_MIN / 2 || top > INT_MAX / 2)
    return {};
  return QRect(0, int(top), viewport()->width(), layout_.height(index.row()));
}

QModelIndex LogBookTableView::indexAt(const QPoint& point) const {
  if (!model() || layout_.count() == 0)
    return {};
  const qint64 y = qint64(verticalOffset()) + point.y();
  if (y < 0 || y >= layout_.totalHeight() || point.x() < 0 || point.x() >= viewport()->width())
    return {};
  return model()->index(layout_.rowAt(y), 0, rootIndex());
}

void LogBookTableView::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (!index.isValid() || index.row() >= layout_.count())
    return;
  const int row = index.row();
  QScrollBar* bar = verticalScrollBar();
  // Measuring the rows that come into view may move the row again: a few passes.
  for (int pass = 0; pass < 4; ++pass) {
    if (!layout_.isMeasured(row)) {
      measure(row);
      updateScrollRange();
    }
    const qint64 top = layout_.top(row);
    const qint64 height = layout_.height(row);
    const qint64 page = viewport()->height();
    const qint64 value = bar->value();
    qint64 target = value;
    switch (hint) {
    case PositionAtTop:
      target = top;
      break;
    case PositionAtBottom:
      target = top + height - page;
      break;
    case PositionAtCenter:
      target = top - (page - height) / 2;
      break;
    case EnsureVisible:
      if (top < value || height > page)
        target = top;
      else if (top + height > value + page)
        target = top + height - page;
      break;
    }
    target = std::clamp<qint64>(target, 0, bar->maximum());
    if (target == value)
      break;
    bar->setValue(int(target));
  }
  settleVisibleRows();
}

void LogBookTableView::reset() {
  QAbstractItemView::reset();
  relayoutRows();
}

QModelIndex LogBookTableView::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
  const int rows = layout_.count();
  if (!model() || rows == 0)
    return {};
  const QModelIndex current = currentIndex();
  const bool hasCurrent = current.isValid() && current.row() < rows;
  const qint64 value = verticalOffset();
  const qint64 page = viewport()->height();
  int row = hasCurrent ? current.row() : layout_.rowAt(value);
  switch (action) {
  case MoveUp:
  case MovePrevious:
    row = hasCurrent ? row - 1 : row;
    break;
  case MoveDown:
  case MoveNext:
    row = hasCurrent ? row + 1 : row;
    break;
  case MoveHome:
    row = 0;
    break;
  case MoveEnd:
    row = rows - 1;
    break;
  case MovePageUp:
    row = layout_.rowAt(layout_.top(row) - page);
    break;
  case MovePageDown:
    row = layout_.rowAt(layout_.top(row) + page);
    break;
  default:
    break;
  }
  return model()->index(std::clamp(row, 0, rows - 1), 0, rootIndex());
}

int LogBookTableView::verticalOffset() const { return verticalScrollBar()->value(); }

void LogBookTableView::updateGeometries() {
  updateScrollRange();
  QAbstractItemView::updateGeometries();
}

void LogBookTableView::scrollContentsBy(int, int) {
  settleVisibleRows();
  viewport()->update();
}

void LogBookTableView::setEmptyText(const QString& text) {
  if (emptyText_ == text)
    return;
  emptyText_ = text;
  viewport()->update();
}

void LogBookTableView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  // The line along the left edge, under the rows.
  painter.fillRect(QRectF(0, 0, 0.5, viewport()->height()), KorvaneStyleKit::n10());
  if (!model() || layout_.count() == 0) {
    if (!emptyText_.isEmpty()) {
      painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
      painter.drawText(viewport()->rect().adjusted(12, 12, -12, -12),
                       Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, emptyText_);
    }
    return;
  }
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  const QRect area = event->rect();
  for (int row = layout_.rowAt(qint64(verticalOffset()) + area.top()); row < layout_.count();
       ++row) {
    const QModelIndex index = model()->index(row, 0, rootIndex());
    option.rect = visualRect(index);
    if (option.rect.top() > area.bottom())
      break;
    itemDelegate()->paint(&painter, option, index);
  }
  // The current row, while the list has the keyboard focus.
  const QRect current = visualRect(currentIndex());
  if (hasFocus() && current.isValid() && current.intersects(area)) {
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(current).adjusted(1.5, 1.0, -1.5, -1.5));
  }
}

void LogBookTableView::resizeEvent(QResizeEvent* event) {
  QAbstractItemView::resizeEvent(event);
  const int width = columnWidth();
  if (width != lastColumnWidth_ || layoutPending_) {
    lastColumnWidth_ = width;
    relayoutRows();
  } else {
    settleVisibleRows();
  }
}

void LogBookTableView::showEvent(QShowEvent* event) {
  QAbstractItemView::showEvent(event);
  // Rows are laid out and measured only while shown.
  if (layoutPending_ || columnWidth() != lastColumnWidth_) {
    lastColumnWidth_ = columnWidth();
    relayoutRows();
  } else {
    settleVisibleRows();
  }
}

void LogBookTableView::openPullDown(int row) {
  const QRect rect = visualRect(model()->index(row, 0, rootIndex()));
  const QRectF pullDown = LogBookColumnView::pullDownRect(rect.width()).translated(rect.topLeft());
  pressedPullDownRow_ = row;
  viewport()->update(rect);
  Q_EMIT pullDownClicked(row, viewport()->mapToGlobal(pullDown.bottomLeft().toPoint()));
  pressedPullDownRow_ = -1;
  viewport()->update(rect);
}

void LogBookTableView::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && index.isValid()) {
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    const QRect row = visualRect(index);
    const QRectF pullDown = LogBookColumnView::pullDownRect(row.width()).translated(row.topLeft());
    if (pullDown.contains(event->position())) {
      openPullDown(index.row());
      event->accept();
      return;
    }
  }
  QAbstractItemView::mousePressEvent(event);
}

void LogBookTableView::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers =
      event->modifiers() & ~(Qt::KeypadModifier | Qt::ControlModifier);
  std::optional<CursorAction> action;
  ScrollHint hint = EnsureVisible;
  switch (event->key()) {
  case Qt::Key_Home:
    action = MoveHome;
    hint = PositionAtTop;
    break;
  case Qt::Key_End:
    action = MoveEnd;
    hint = PositionAtBottom;
    break;
  case Qt::Key_Up:
    action = MoveUp;
    break;
  case Qt::Key_Down:
    action = MoveDown;
    break;
  case Qt::Key_PageUp:
    action = MovePageUp;
    break;
  case Qt::Key_PageDown:
    action = MovePageDown;
    break;
  case Qt::Key_Return:
  case Qt::Key_Enter:
  case Qt::Key_Space:
  case Qt::Key_Menu:
    if (modifiers == Qt::NoModifier && currentIndex().isValid() &&
        currentIndex().row() < layout_.count()) {
      scrollTo(currentIndex());
      openPullDown(currentIndex().row());
      event->accept();
      return;
    }
    break;
  default:
    break;
  }
  if (action && modifiers == Qt::NoModifier) {
    const QModelIndex target = moveCursor(*action, event->modifiers());
    if (target.isValid()) {
      selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
      scrollTo(target, hint);
      viewport()->update();
    }
    event->accept();
    return;
  }
  QAbstractItemView::keyPressEvent(event);
}

} // namespace kr
