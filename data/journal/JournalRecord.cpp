#include "JournalRecord.h"

#include <QJsonDocument>
#include <QTimeZone>

JournalRecord JournalRecord::fromRow(const QVariantList &row)
{
    JournalRecord record;
    record.id = row.value(0).toLongLong();
    record.operation = row.value(1).toLongLong();
    record.at = QDateTime::fromMSecsSinceEpoch(row.value(2).toLongLong(), Qt::UTC);
    record.road = row.value(3).toString();
    record.computer = row.value(4).toString();
    record.login = row.value(5).toString();
    record.role = row.value(6).toString();
    record.table = row.value(7).toString();
    record.key = row.value(8).toLongLong();
    record.kind = row.value(9).toInt();
    record.title = row.value(10).toString();
    record.code = row.value(11).toString();
    record.changes = QJsonDocument::fromJson(row.value(12).toString().toUtf8()).object();
    record.hasBlob = row.value(13).toLongLong() != 0;
    record.digestBefore = row.value(14).toString();
    record.digestAfter = row.value(15).toString();
    return record;
}
