#pragma once

#include <QStyledItemDelegate>

class DBGrid;

// Hands every cell of a data grid to the grid's own cell painting.
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit GridDelegate(DBGrid *grid);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    DBGrid *grid_;
};
