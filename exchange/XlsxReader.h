#pragma once

#include "SheetTable.h"

#include <QString>
#include <vector>

// Reads the sheets of an Excel workbook (.xlsx): the zip container, the
// shared strings and the sheet XML, walked as a stream. Texts, inline texts
// and numbers are read as the texts they show; formulas by their last value.
class XlsxReader
{
public:
    // Throws Error when the file is no workbook.
    explicit XlsxReader(const QString &path);

    QStringList sheetNames() const;
    // Throws Error; a read given up by `progress` returns what was read.
    SheetTable read(int sheet, const ReadProgress &progress = {}) const;

    // "B" → 1, "AA" → 26: the column of a cell reference such as "AA17".
    static int columnOf(const QString &reference);

private:
    QByteArray entry(const QString &name) const;
    std::vector<QString> sharedStrings() const;

    struct Sheet
    {
        QString name;
        QString part; // "xl/worksheets/sheet1.xml"
    };
    QString path_;
    std::vector<Sheet> sheets_;
};
