#include "ServerSql.h"

#include <algorithm>

namespace {

QByteArray parameter(size_t number)
{
    return '$' + QByteArray::number(qulonglong(number));
}

} // namespace

QByteArray ServerSql::name(const QString &declared)
{
    return '"' + declared.toLower().toUtf8() + '"';
}

QByteArray ServerSql::keyIs(int number) const
{
    return " WHERE " + column(schema_.keyIndex()) + " = " + parameter(size_t(number));
}

QByteArray ServerSql::selectColumns(const std::vector<int> &withBytes) const
{
    QByteArray sql = "SELECT ";
    for (int i = 0; i < schema_.fieldCount(); ++i) {
        if (i)
            sql += ", ";
        const bool bytes = std::find(withBytes.begin(), withBytes.end(), i) != withBytes.end();
        if (schema_.field(i).type == FieldType::Blob && !bytes)
            sql += "octet_length(" + column(i) + ")";
        else
            sql += column(i);
    }
    return sql + " FROM " + table();
}

QByteArray ServerSql::selectAll() const
{
    QByteArray sql = selectColumns({});
    if (schema_.keyIndex() >= 0)
        sql += " ORDER BY " + column(schema_.keyIndex());
    return sql;
}

QByteArray ServerSql::selectRow(const std::vector<int> &withBytes, bool lock) const
{
    return selectColumns(withBytes) + keyIs(1) + (lock ? " FOR UPDATE" : "");
}

QByteArray ServerSql::selectBlob(int field) const
{
    return "SELECT " + column(field) + " FROM " + table() + keyIs(1);
}

QByteArray ServerSql::insert() const
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
    QByteArray sql = "INSERT INTO " + table() + " (" + columns + ") VALUES (" + values + ")";
    if (schema_.keyIndex() >= 0)
        sql += " RETURNING " + column(schema_.keyIndex());
    return sql;
}

QByteArray ServerSql::update(const std::vector<int> &fields) const
{
    QByteArray sql = "UPDATE " + table() + " SET ";
    for (size_t n = 0; n < fields.size(); ++n) {
        if (n)
            sql += ", ";
        sql += column(fields[n]) + " = " + parameter(n + 1);
    }
    return sql + keyIs(int(fields.size()) + 1);
}

QByteArray ServerSql::remove() const
{
    return "DELETE FROM " + table() + keyIs(1);
}
