#include "Unit_class.h"

#include "recordset/Cursor.h"
#include "ui/widgets/DBGrid.h"

void DrawGridCell(DBGrid *Sender, const QRect &Rect, int DataCol, const GridColumn &Column,
                  GridDrawState State)
{
    GridCanvas &canvas = Sender->Canvas();
    // The position of the row being painted; -1 while a row is being inserted.
    const int n = Sender->DataSet() ? Sender->DataSet()->recNoAt(Sender->paintingRow()) : -1;
    if (n % 2 == 1)
        canvas.brush = QColor(240, 240, 240);
    if (State.testFlag(GridDrawFlag::Selected)) {
        canvas.brush = QColor(53, 150, 255);
        canvas.fontColor = QColor(255, 255, 255);
    }
    Sender->DefaultDrawColumnCell(Rect, DataCol, Column, State);
}
