#pragma once

#include "stats/LogBookRowLayout.h"

#include <QAbstractItemView>

namespace kr {

// The log book's one-column list without header: the background colour with a
// thin dark line along the left edge, rows painted by the controller's
// delegate, a thin vertical scroll bar shown only when needed.
//
// Rows have heights of their own. Every row gets an estimated height at once,
// so the scroll range covers the whole list from the start; the rows that come
// into view are measured and the list is corrected around them, the row at the
// top (or the end of the list, when it is shown) staying where it is. The list
// takes the keyboard focus: Up and Down move the current row, Page Up and Page
// Down a page, Home and End (with or without Ctrl) go to the newest and the
// oldest row, and Return, Space or the menu key open the current row's
// pull-down. Tells when a row's pull-down is asked for.
class LogBookTableView : public QAbstractItemView {
  Q_OBJECT

public:
  // Where the heights come from: cheap estimates for any number of rows, and
  // measurements for the few that show.
  class RowHeights {
  public:
    virtual ~RowHeights() = default;
    virtual int estimatedRowHeight(int row, int columnWidth) = 0;
    virtual int measuredRowHeight(int row, int columnWidth) = 0;
  };

  explicit LogBookTableView(QWidget* parent = nullptr);

  void setRowHeights(RowHeights* heights);
  // What the view says while it has no rows; nothing while empty.
  void setEmptyText(const QString& text);
  const QString& emptyText() const { return emptyText_; }
  // The width of the only column.
  int columnWidth() const;
  // The row whose pull-down is shown pressed; -1 for none.
  int pressedPullDownRow() const { return pressedPullDownRow_; }
  const LogBookRowLayout& rowLayout() const { return layout_; }

  // Estimates every row again (their heights changed), keeping the row at the
  // top in place, and measures those that show; a hidden list does it when
  // shown.
  void relayoutRows();

  QRect visualRect(const QModelIndex& index) const override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  QModelIndex indexAt(const QPoint& point) const override;
  void reset() override;

Q_SIGNALS:
  // The pull-down of `row` was clicked; its menu opens below `anchor` (global).
  void pullDownClicked(int row, const QPoint& anchor);

protected:
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  int horizontalOffset() const override { return 0; }
  int verticalOffset() const override;
  bool isIndexHidden(const QModelIndex&) const override { return false; }
  void setSelection(const QRect&, QItemSelectionModel::SelectionFlags) override {}
  QRegion visualRegionForSelection(const QItemSelection&) const override { return {}; }
  void updateGeometries() override;
  void scrollContentsBy(int dx, int dy) override;

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void updateScrollRange();
  // Measures the rows in view until all of them are, keeping the row at the
  // top, or the end of the list, in place.
  void settleVisibleRows();
  void measure(int row);
  void openPullDown(int row);

  RowHeights* heights_ = nullptr;
  LogBookRowLayout layout_;
  int lastColumnWidth_ = -1;
  int pressedPullDownRow_ = -1;
  bool settling_ = false;
  // Rows changed while the list was hidden.
  bool layoutPending_ = false;
  QString emptyText_;
};

} // namespace kr
