#pragma once

#include <QFlags>
#include <QString>

// One column of a data grid, bound to a field of the grid's cursor by name.
struct GridColumn
{
    QString fieldName;
    QString title;                 // empty: an empty title cell
    int width = 0;                 // 0: wide enough for the field's usual text and the title
    Qt::Alignment alignment = {};  // empty: the field's own
    bool visible = true;
};

// What the grid tells a cell painter about the cell being drawn.
enum class GridDrawFlag { Selected = 1, Focused = 2 };
Q_DECLARE_FLAGS(GridDrawState, GridDrawFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(GridDrawState)
