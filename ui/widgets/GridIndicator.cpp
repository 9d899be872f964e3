#include "GridIndicator.h"

#include "DBGrid.h"

#include "recordset/Cursor.h"

#include <QPainter>
#include <QPolygon>

GridIndicator::GridIndicator(DBGrid *grid) : QHeaderView(Qt::Vertical, grid), grid_(grid)
{
    setSectionResizeMode(QHeaderView::Fixed);
    setSectionsClickable(false);
    setHighlightSections(false);
}

QSize GridIndicator::sizeHint() const
{
    return QSize(Width, QHeaderView::sizeHint().height());
}

void GridIndicator::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    painter->save();
    painter->fillRect(rect, palette().button());
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());

    const Cursor *cursor = grid_->DataSet();
    if (cursor && cursor->isOpen() && logicalIndex == cursor->currentRow()) {
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->setBrush(palette().color(QPalette::ButtonText));
        const QPoint c = rect.center();
        switch (cursor->State()) {
        case CursorState::Insert:
            painter->drawText(rect, Qt::AlignCenter, QStringLiteral("*"));
            break;
        case CursorState::Edit:
            painter->drawLine(c.x(), c.y() - 4, c.x(), c.y() + 4);
            painter->drawLine(c.x() - 2, c.y() - 4, c.x() + 2, c.y() - 4);
            painter->drawLine(c.x() - 2, c.y() + 4, c.x() + 2, c.y() + 4);
            break;
        default:
            painter->drawPolygon(QPolygon({QPoint(c.x() - 2, c.y() - 4),
                                           QPoint(c.x() + 2, c.y()),
                                           QPoint(c.x() - 2, c.y() + 4)}));
            break;
        }
    }
    painter->restore();
}
