#pragma once

#include <QStyledItemDelegate>

// Draws the items of a list as plain text, each exactly `height` pixels
// high, whatever the style would make of them.
class FixedHeightDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    FixedHeightDelegate(int height, QObject *parent);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int height_;
};
