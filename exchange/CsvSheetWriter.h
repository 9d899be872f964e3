#pragma once

#include "SheetWriter.h"

#include <QFile>

// A table as a Russian spreadsheet opens it by a double click: UTF-8 with a
// byte-order mark, ";" between fields, CRLF at line ends, quotes doubled,
// amounts with the decimal comma.
class CsvSheetWriter : public SheetWriter
{
public:
    explicit CsvSheetWriter(const QString &path);

    void begin(const std::vector<SheetColumn> &columns) override;
    void writeRow(const std::vector<SheetCell> &cells) override;
    void finish() override;

    static QString field(const QString &text);

private:
    void writeLine(const QStringList &fields);

    QFile file_;
    QByteArray buffer_;
};
