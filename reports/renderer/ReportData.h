#pragma once

#include <QByteArray>
#include <QString>

// All that the renderer may ask of the rows it prints.
class ReportData
{
public:
    virtual ~ReportData() = default;

    virtual void First() = 0;
    virtual void Next() = 0;
    virtual bool Eof() const = 0;
    // Only for the progress figure.
    virtual int RecordCount() const = 0;
    // The column's display text at the current row; empty when there is no
    // current row, no such column, or the column cannot be read.
    virtual QString text(const QString &column) const = 0;
    // The content of a blob column at the current row; empty in the same cases.
    virtual QByteArray bytes(const QString &column) const = 0;
};
