#include "TableSql.h"

#include "RowStore.h"
#include "Statement.h"

#include <algorithm>
#include <string_view>

QByteArray TableSql::name(const QString &declared, Dialect dialect)
{
    return '"' + (dialect == Dialect::Server ? declared.toLower() : declared).toUtf8() + '"';
}

QByteArray TableSql::parameter(size_t number) const
{
    return (dialect_ == Dialect::Server ? '$' : '?') + QByteArray::number(qulonglong(number));
}

bool TableSql::isIdentifier(const QString &name)
{
    if (name.isEmpty() || name[0].isDigit())
        return false;
    for (const QChar c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('_'))
            return false;
    return true;
}

QByteArray TableSql::column(int field) const
{
    return name(schema_.field(field).name, dialect_);
}

QByteArray TableSql::keyIs(int number) const
{
    return " WHERE " + column(schema_.keyIndex()) + " = " + parameter(size_t(number));
}

QByteArray TableSql::selectAll() const
{
    QByteArray sql = selectColumns({});
    if (schema_.keyIndex() >= 0)
        sql += " ORDER BY " + column(schema_.keyIndex());
    return sql;
}

QByteArray TableSql::selectFirstRows() const
{
    return selectAll() + " LIMIT " + parameter(1);
}

QByteArray TableSql::selectFromKey() const
{
    const QByteArray key = column(schema_.keyIndex());
    return selectColumns({}) + " WHERE " + key + " >= " + parameter(1) + " ORDER BY " + key;
}

QByteArray TableSql::selectKeyAfterRows() const
{
    const QByteArray key = column(schema_.keyIndex());
    return "SELECT " + key + " FROM " + name(schema_.table(), dialect_) + " ORDER BY " + key +
           " LIMIT 1 OFFSET " + parameter(1);
}

QByteArray TableSql::selectKeyBounds() const
{
    // Each on its own, so that each is one step down the key's index rather
    // than a walk through the table.
    const QByteArray key = column(schema_.keyIndex());
    const QByteArray table = name(schema_.table(), dialect_);
    return "SELECT (SELECT min(" + key + ") FROM " + table + "), (SELECT max(" + key +
           ") FROM " + table + ")";
}

QByteArray TableSql::selectRow(const std::vector<int> &withBytes, bool lock) const
{
    return selectColumns(withBytes) + keyIs(1) +
           (lock && dialect_ == Dialect::Server ? " FOR UPDATE" : "");
}

QByteArray TableSql::selectColumns(const std::vector<int> &withBytes) const
{
    QByteArray sql = "SELECT ";
    for (int i = 0; i < schema_.fieldCount(); ++i) {
        if (i)
            sql += ", ";
        const bool bytes = std::find(withBytes.begin(), withBytes.end(), i) != withBytes.end();
        if (schema_.field(i).type == FieldType::Blob && !bytes)
            sql += (dialect_ == Dialect::Server ? "octet_length(" : "length(") + column(i) + ")";
        else
            sql += column(i);
    }
    return sql + " FROM " + name(schema_.table(), dialect_);
}

QByteArray TableSql::selectBlob(int field) const
{
    return "SELECT " + column(field) + " FROM " + name(schema_.table(), dialect_) + keyIs(1);
}

QByteArray TableSql::insert(bool withKey) const
{
    QByteArray columns, values;
    size_t count = 0;
    for (int i = 0; i < schema_.fieldCount(); ++i) {
        if (i == schema_.keyIndex() && !withKey)
            continue;
        if (count++) {
            columns += ", ";
            values += ", ";
        }
        columns += column(i);
        values += parameter(count);
    }
    QByteArray sql = "INSERT INTO " + name(schema_.table(), dialect_) + " (" + columns +
                     ") VALUES (" + values + ")";
    if (dialect_ == Dialect::Server && !withKey && schema_.keyIndex() >= 0)
        sql += " RETURNING " + column(schema_.keyIndex());
    return sql;
}

QByteArray TableSql::update(const std::vector<int> &fields) const
{
    QByteArray sql = "UPDATE " + name(schema_.table(), dialect_) + " SET ";
    for (size_t n = 0; n < fields.size(); ++n) {
        if (n)
            sql += ", ";
        sql += column(fields[n]) + " = " + parameter(n + 1);
    }
    return sql + keyIs(int(fields.size()) + 1);
}

QByteArray TableSql::remove() const
{
    return "DELETE FROM " + name(schema_.table(), dialect_) + keyIs(1);
}

void TableSql::readRow(const Statement &query, RowStore &store, int row) const
{
    for (int i = 0; i < schema_.fieldCount(); ++i) {
        const Statement::Value value = query.value(i);
        if (value.type == Statement::Type::Null)
            continue;
        switch (schema_.field(i).type) {
        case FieldType::Text:
            if (value.type == Statement::Type::Text) {
                store.setText(row, i, std::string_view(value.text, size_t(value.size)));
            } else { // a number or blob where a text belongs, as the engine would show it
                int length = 0;
                const char *text = query.utf8(i, &length);
                store.setText(row, i, std::string_view(text, size_t(length)));
            }
            break;
        case FieldType::Currency:
            if (const auto amount = value.currency())
                store.setInteger(row, i, *amount);
            break;
        case FieldType::Blob:
            // length() gives an integer; the value itself, its size in bytes.
            store.setInteger(row, i,
                             value.type == Statement::Type::Integer ? value.integer
                                                                    : query.bytes(i));
            break;
        case FieldType::AutoInc:
        case FieldType::Integer:
            store.setInteger(row, i,
                             value.type == Statement::Type::Integer ? value.integer
                                                                    : query.integer(i));
            break;
        }
    }
}
