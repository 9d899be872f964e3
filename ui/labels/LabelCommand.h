#pragma once

#include <QtGlobal>

class Cursor;
class QWidget;

// «Печать этикеток…»: asks what to print, then shows the labels of the goods
// the grid shows, or of the current part, in the print preview. The goods
// cursor is back on its row afterwards.
class LabelCommand
{
public:
    static void run(Cursor &goods, QWidget *owner);
    // Labels the rows in view ask for, as many as in stock or one each.
    static qint64 labelCount(Cursor &goods, bool asInStock);

    // Beyond this many labels the user is asked first.
    static constexpr qint64 ManyLabels = 5000;
};
