#pragma once

#include "TableSchema.h"

#include <QByteArray>
#include <vector>

class RowStore;
class Statement;

// The statements a cursor runs on its table. Their texts are put together
// from the program's own table and column names (checked identifiers,
// quoted); values are always bound, as numbered parameters.
class TableSql
{
public:
    explicit TableSql(const TableSchema &schema) : schema_(schema) {}

    // Letters, digits and "_", not starting with a digit.
    static bool isIdentifier(const QString &name);

    // Every row in key order; photos only by their length, read when shown.
    QByteArray selectAll() const;
    // The row whose key is ?1; the blob columns in `withBytes` as their bytes.
    QByteArray selectRow(const std::vector<int> &withBytes) const;
    // One blob column of the row whose key is ?1.
    QByteArray selectBlob(int field) const;
    // Every column but the key, as ?1, ?2, ... in column order.
    QByteArray insert() const;
    // Sets `fields` to ?1, ?2, ... of the row whose key is the next parameter.
    QByteArray update(const std::vector<int> &fields) const;
    // Deletes the row whose key is ?1.
    QByteArray remove() const;

    // Puts a row of selectAll or selectRow into `row` of `store`: a blob
    // column by its size, whether length or bytes were selected.
    void readRow(const Statement &query, RowStore &store, int row) const;

private:
    QByteArray selectColumns(const std::vector<int> &withBytes) const;
    QByteArray column(int field) const;
    QByteArray keyIs(int parameter) const;

    const TableSchema &schema_;
};
