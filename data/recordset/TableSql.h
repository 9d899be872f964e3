#pragma once

#include "TableSchema.h"

#include <QByteArray>
#include <vector>

class RowStore;
class Statement;

// The statements a store runs on one table. Their texts are put together
// from the program's own table and column names (checked identifiers,
// quoted); values are always bound, as numbered parameters. The file's
// engine takes ?1, ?2, ... and the names as spelt; the server takes $1, $2,
// ... and the names folded to lower case, as it folds unquoted names, so
// that a technician's own queries find the same columns.
class TableSql
{
public:
    enum class Dialect { File, Server };

    explicit TableSql(const TableSchema &schema, Dialect dialect = Dialect::File)
        : schema_(schema), dialect_(dialect)
    {}

    // Letters, digits and "_", not starting with a digit.
    static bool isIdentifier(const QString &name);

    // A table's or column's name as the dialect writes it, quoted.
    static QByteArray name(const QString &declared, Dialect dialect);

    // Makes the table, each column with the dialect's type for it.
    QByteArray create() const;
    // A column's type as the dialect declares it.
    static QByteArray columnType(const FieldDef &def, Dialect dialect);
    // What a column of `type` must be, for a message: "целым числом (INTEGER)".
    static QString expectedType(FieldType type, Dialect dialect);

    // Every row in key order; photos only by their length, read when shown.
    QByteArray selectAll() const;
    // The rows of selectAll in whatever order the store finds them.
    QByteArray selectUnordered() const { return selectColumns({}); }
    // The rows of selectAll for which `condition` holds, in key order.
    QByteArray selectWhere(const QByteArray &condition) const;
    // Every key, in order.
    QByteArray selectKeys() const;
    // The first ?1 rows of selectAll.
    QByteArray selectFirstRows() const;
    // The rows of selectAll from the one whose key is ?1 on.
    QByteArray selectFromKey() const;
    // The key of the row that follows the first ?1 rows in key order.
    QByteArray selectKeyAfterRows() const;
    // The smallest and the largest key.
    QByteArray selectKeyBounds() const;
    // The row whose key is ?1; the blob columns in `withBytes` as their bytes.
    // With `lock` (the server only), the row stays locked until the
    // transaction ends.
    QByteArray selectRow(const std::vector<int> &withBytes, bool lock = false) const;
    // One blob column of the row whose key is ?1.
    QByteArray selectBlob(int field) const;
    // Every column but the key, as ?1, ?2, ... in column order; on the
    // server it gives back the new key. With `withKey`, the key too, first.
    QByteArray insert(bool withKey = false) const;
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
    QByteArray parameter(size_t number) const;

    const TableSchema &schema_;
    Dialect dialect_;
};
