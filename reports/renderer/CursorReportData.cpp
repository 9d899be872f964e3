#include "CursorReportData.h"

#include "recordset/Cursor.h"
#include "recordset/Error.h"

void CursorReportData::First()
{
    cursor_.First();
}

void CursorReportData::Next()
{
    cursor_.Next();
}

bool CursorReportData::Eof() const
{
    return cursor_.Eof();
}

int CursorReportData::RecordCount() const
{
    return cursor_.RecordCount();
}

bool CursorReportData::hasRow() const
{
    return cursor_.isOpen() && cursor_.currentRow() >= 0 &&
           cursor_.currentRow() < cursor_.displayRowCount();
}

QString CursorReportData::text(const QString &column) const
{
    const Field *field = hasRow() ? cursor_.findField(column) : nullptr;
    if (!field)
        return {};
    // A value that cannot be read prints as nothing rather than stopping the report.
    try {
        return field->DisplayText();
    } catch (const Error &) {
        return {};
    }
}

QByteArray CursorReportData::bytes(const QString &column) const
{
    const Field *field = hasRow() ? cursor_.findField(column) : nullptr;
    if (!field)
        return {};
    try {
        return field->AsBytes();
    } catch (const Error &) {
        return {};
    }
}
