#include "GridDelegate.h"

#include "DBGrid.h"

GridDelegate::GridDelegate(DBGrid *grid) : QStyledItemDelegate(grid), grid_(grid) {}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    grid_->paintCell(painter, option.rect, index);
}
