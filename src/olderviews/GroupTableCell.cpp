#include "olderviews/GroupTableCell.h"

#include <QPainter>

namespace kr {

GroupTableCell::GroupTableCell(QObject* parent) : QStyledItemDelegate(parent) {}

void GroupTableCell::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
  painter->fillRect(option.rect.adjusted(0, 0, 0, 1), Qt::black);
  QStyleOptionViewItem over(option);
  for (const QPalette::ColorRole role : {QPalette::Text, QPalette::HighlightedText})
    over.palette.setColor(role, Qt::white);
  QStyledItemDelegate::paint(painter, over, index);
}

} // namespace kr
