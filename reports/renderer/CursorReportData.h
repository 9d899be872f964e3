#pragma once

#include "ReportData.h"

class Cursor;

// A report's rows as a cursor shows them, through its filter and sort.
class CursorReportData : public ReportData
{
public:
    explicit CursorReportData(Cursor &cursor) : cursor_(cursor) {}

    void First() override;
    void Next() override;
    bool Eof() const override;
    int RecordCount() const override;
    QString text(const QString &column) const override;
    QByteArray bytes(const QString &column) const override;

private:
    bool hasRow() const;

    Cursor &cursor_;
};
