#pragma once

#include "recordset/RowStore.h"
#include "recordset/Store.h"

#include <QStringList>

// Every row of a table as the store holds it, value by value: texts quoted,
// NULL told from an empty text, numbers (amounts in ten-thousandths, blobs by
// size) exact; rows in key order.
inline QStringList storedRows(Store &store, const TableSchema &declared)
{
    const TableSchema table = store.verified(declared);
    RowStore rows(table);
    store.readAll(table, rows);
    QStringList result;
    for (int r = 0; r < rows.rowCount(); ++r) {
        QStringList values;
        for (int i = 0; i < table.fieldCount(); ++i)
            values << (rows.isNull(r, i) ? QStringLiteral("NULL")
                       : table.field(i).type == FieldType::Text
                           ? QLatin1Char('"') + rows.text(r, i) + QLatin1Char('"')
                           : QString::number(rows.integer(r, i)));
        result << values.join(QLatin1Char('|'));
    }
    return result;
}
