#pragma once

#include "SheetTable.h"

#include <QString>

// Reads a CSV file as a spreadsheet would: quoted fields, doubled quotes and
// line breaks inside quotes (through libcsv); the separator ";", "," or Tab
// and the encoding (UTF-8 with or without a byte-order mark, or
// Windows-1251) found from the file itself. Empty lines are kept, so that
// line numbers are those a spreadsheet shows.
class CsvReader
{
public:
    // Throws Error when the file cannot be read.
    static SheetTable read(const QString &path, const ReadProgress &progress = {});
    // The same from the file's bytes.
    static SheetTable parse(const QByteArray &bytes, const ReadProgress &progress = {});

    // What the bytes were found to be.
    static QString decode(const QByteArray &bytes, QString *encoding = nullptr);
    static char separatorOf(const QString &text);
};
