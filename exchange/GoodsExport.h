#pragma once

#include <QString>
#include <functional>
#include <vector>

class Cursor;

// Writes the rows a cursor shows, in its order and through its filter, into
// a spreadsheet file, without moving its current row. Cells keep their kind:
// numbers as numbers, amounts as amounts, texts as texts.
class GoodsExport
{
public:
    struct Column
    {
        QString field; // a column of the cursor, lookup columns included
        QString title;
    };
    // `shown` and after them every other goods column of the catalogue, by
    // its label, so that each stored value a sheet can hold leaves the
    // program: photos aside, and reference keys, which a shown name tells.
    static std::vector<Column> withUnshown(std::vector<Column> shown);

    // Called every so many rows with the rows written and the total; false
    // gives up.
    using Progress = std::function<bool(int done, int total)>;

    // The file's suffix chooses the format (".xlsx" or ".csv"). True when
    // written; false when given up. A file given up or failed (Error) is
    // not left behind, and a file of that name already there stays as it was.
    static bool write(const Cursor &cursor, const std::vector<Column> &columns,
                      const QString &fileName, const Progress &progress = {});

    static constexpr int ProgressRows = 1000;
};
