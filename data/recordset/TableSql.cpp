#include "TableSql.h"

#include "RowStore.h"
#include "Statement.h"

#include <algorithm>
#include <string_view>

namespace {

QByteArray quoted(const QString &name)
{
    return '"' + name.toUtf8() + '"';
}

QByteArray parameter(size_t number)
{
    return '?' + QByteArray::number(qulonglong(number));
}

} // namespace

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
    return quoted(schema_.field(field).name);
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

QByteArray TableSql::selectRow(const std::vector<int> &withBytes) const
{
    return selectColumns(withBytes) + keyIs(1);
}

QByteArray TableSql::selectColumns(const std::vector<int> &withBytes) const
{
    QByteArray sql = "SELECT ";
    for (int i = 0; i < schema_.fieldCount(); ++i) {
        if (i)
            sql += ", ";
        const bool bytes = std::find(withBytes.begin(), withBytes.end(), i) != withBytes.end();
        if (schema_.field(i).type == FieldType::Blob && !bytes)
            sql += "length(" + column(i) + ")";
        else
            sql += column(i);
    }
    return sql + " FROM " + quoted(schema_.table());
}

QByteArray TableSql::selectBlob(int field) const
{
    return "SELECT " + column(field) + " FROM " + quoted(schema_.table()) + keyIs(1);
}

QByteArray TableSql::insert() const
{
    QByteArray columns, values;
    size_t count = 0;
    for (int i = 0; i < schema_.fieldCount(); ++i) {
        if (i == schema_.keyIndex())
            continue;
        if (count++) {
            columns += ", ";
            values += ", ";
        }
        columns += column(i);
        values += parameter(count);
    }
    return "INSERT INTO " + quoted(schema_.table()) + " (" + columns + ") VALUES (" + values + ")";
}

QByteArray TableSql::update(const std::vector<int> &fields) const
{
    QByteArray sql = "UPDATE " + quoted(schema_.table()) + " SET ";
    for (size_t n = 0; n < fields.size(); ++n) {
        if (n)
            sql += ", ";
        sql += column(fields[n]) + " = " + parameter(n + 1);
    }
    return sql + keyIs(int(fields.size()) + 1);
}

QByteArray TableSql::remove() const
{
    return "DELETE FROM " + quoted(schema_.table()) + keyIs(1);
}

void TableSql::readRow(const Statement &query, RowStore &store, int row) const
{
    for (int i = 0; i < schema_.fieldCount(); ++i) {
        if (query.isNull(i))
            continue;
        switch (schema_.field(i).type) {
        case FieldType::Text: {
            int length = 0;
            const char *text = query.utf8(i, &length);
            store.setText(row, i, std::string_view(text, size_t(length)));
            break;
        }
        case FieldType::Currency:
            if (const auto value = query.currency(i))
                store.setInteger(row, i, *value);
            break;
        case FieldType::Blob:
            // length() gives an integer; the value itself, its size in bytes.
            store.setInteger(row, i,
                             query.type(i) == Statement::Type::Integer ? query.integer(i)
                                                                       : query.bytes(i));
            break;
        case FieldType::AutoInc:
        case FieldType::Integer:
            store.setInteger(row, i, query.integer(i));
            break;
        }
    }
}
