#include "LabelSheet.h"

namespace {

// Labels on these sheets touch one another; what the sheet has left over is
// shared out above and below them.
LabelSheet a4(const char *name, int columns, int rows, int width, int height)
{
    LabelSheet sheet;
    sheet.name = QString::fromUtf8(name);
    sheet.columns = columns;
    sheet.rows = rows;
    sheet.labelWidth = width;
    sheet.labelHeight = height;
    sheet.left = (sheet.pageWidth - columns * width) / 2;
    sheet.top = (sheet.pageHeight - rows * height) / 2;
    return sheet;
}

LabelSheet roll(const char *name, int width, int height)
{
    LabelSheet sheet;
    sheet.name = QString::fromUtf8(name);
    sheet.pageWidth = sheet.labelWidth = width;
    sheet.pageHeight = sheet.labelHeight = height;
    return sheet;
}

} // namespace

const std::vector<LabelSheet> &LabelSheet::all()
{
    static const std::vector<LabelSheet> sheets = {
        a4("A4, 24 этикетки 70 × 37 мм (3 × 8)", 3, 8, 700, 370),
        a4("A4, 21 этикетка 70 × 42,3 мм (3 × 7)", 3, 7, 700, 423),
        a4("A4, 40 этикеток 52,5 × 29,7 мм (4 × 10)", 4, 10, 525, 297),
        roll("Рулон 58 × 40 мм, по одной этикетке на странице", 580, 400),
    };
    return sheets;
}
