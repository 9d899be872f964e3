#pragma once

#include "ui/widgets/GridColumn.h"

#include <QRect>

class DBGrid;

// The key of one reference row, attached to an item of a search list.
class TMyIndex
{
public:
    qint32 getIndex() const { return FIndex; }
    void setIndex(qint32 value) { FIndex = value; }

private:
    qint32 FIndex = 0;
};

// The one cell painter of all data grids: odd rows light grey, the current
// row blue with white text, wherever the focus is.
void DrawGridCell(DBGrid *Sender, const QRect &Rect, int DataCol, const GridColumn &Column,
                  GridDrawState State);
