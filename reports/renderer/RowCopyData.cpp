#include "RowCopyData.h"

RowCopyData::RowCopyData(const ReportData &from, const QStringList &columns)
{
    for (const QString &column : columns)
        texts_.insert(column, from.text(column));
}

QString RowCopyData::text(const QString &column) const
{
    return eof_ ? QString() : texts_.value(column);
}
