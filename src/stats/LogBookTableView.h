#pragma once

#include <QListView>

namespace kr {

// The log book's one-column list without header: the background colour with a
// thin dark line along the left edge, rows painted by the controller's
// delegate, a thin vertical scroll bar shown only when needed. Tells when its
// width changes (the row heights follow it) and when a row's pull-down is
// clicked.
class LogBookTableView : public QListView {
  Q_OBJECT

public:
  explicit LogBookTableView(QWidget* parent = nullptr);

  // The width of the only column.
  int columnWidth() const;
  // The row whose pull-down is shown pressed; -1 for none.
  int pressedPullDownRow() const { return pressedPullDownRow_; }

  // Lays the rows out again (their heights changed).
  void relayoutRows();

Q_SIGNALS:
  void columnWidthChanged(int width);
  // The pull-down of `row` was clicked; its menu opens below `anchor` (global).
  void pullDownClicked(int row, const QPoint& anchor);

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  int lastColumnWidth_ = -1;
  int pressedPullDownRow_ = -1;
};

} // namespace kr
