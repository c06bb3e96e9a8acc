#pragma once

#include <QStyledItemDelegate>

namespace kr {

// The cell of a table's group rows: black, one point taller than the row
// it is given so that no line of the table shows between group rows, with
// the row's content drawn over it in white.
class GroupTableCell : public QStyledItemDelegate {
  Q_OBJECT

public:
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

private:
  friend class OlderViewRegistry;
  explicit GroupTableCell(QObject* parent = nullptr);
};

} // namespace kr
