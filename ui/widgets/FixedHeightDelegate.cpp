#include "FixedHeightDelegate.h"

FixedHeightDelegate::FixedHeightDelegate(int height, QObject *parent)
    : QStyledItemDelegate(parent), height_(height)
{}

QSize FixedHeightDelegate::sizeHint(const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), height_);
}
