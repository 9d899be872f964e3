#pragma once

#include "../TableSchema.h"

#include <QByteArray>
#include <vector>

// The statements the server store runs on one table, in the server's own
// dialect: numbered parameters $1, $2, ..., names folded to lower case as
// the server folds unquoted names, so that a technician's own queries find
// the same columns. Names are checked identifiers; values are always bound.
class ServerSql
{
public:
    explicit ServerSql(const TableSchema &schema) : schema_(schema) {}

    // Every row in key order; photos only by their size, amounts as text.
    QByteArray selectAll() const;
    // The row whose key is $1; blob columns in `withBytes` as their bytes.
    // With `lock`, the row stays locked until the transaction ends.
    QByteArray selectRow(const std::vector<int> &withBytes, bool lock) const;
    QByteArray selectBlob(int field) const;
    // Every column but the key as $1, $2, ...; gives back the new key.
    QByteArray insert() const;
    QByteArray update(const std::vector<int> &fields) const;
    QByteArray remove() const;

    // The server's name of a table or column.
    static QByteArray name(const QString &declared);

private:
    QByteArray selectColumns(const std::vector<int> &withBytes) const;
    QByteArray column(int field) const { return name(schema_.field(field).name); }
    QByteArray table() const { return name(schema_.table()); }
    QByteArray keyIs(int parameter) const;

    const TableSchema &schema_;
};
