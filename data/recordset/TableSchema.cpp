#include "TableSchema.h"

#include "Connection.h"
#include "Error.h"
#include "Statement.h"
#include "TableSql.h"

#include <QRegularExpression>

namespace {

constexpr const char *kColumnsSql = "SELECT name, type, pk FROM pragma_table_info(?1)";

struct StoreColumn
{
    QString name;
    QString type; // upper case, blanks removed
    bool primaryKey = false;
};

bool isCurrencyType(const QString &type)
{
    if (type == QLatin1String("CURRENCY") || type == QLatin1String("MONEY"))
        return true;
    static const QRegularExpression decimal(
        QStringLiteral("^(DECIMAL|NUMERIC)\\((\\d{1,2}),(\\d{1,2})\\)$"));
    const auto match = decimal.match(type);
    if (!match.hasMatch())
        return false;
    const int precision = match.captured(2).toInt();
    const int scale = match.captured(3).toInt();
    return scale == 4 && precision > scale && precision <= 19;
}

// Matches by the engine's own affinity rules, so that a table written by
// another tool with an equivalent type name is accepted.
bool matches(const FieldDef &def, const StoreColumn &column)
{
    const QString &t = column.type;
    switch (def.type) {
    case FieldType::AutoInc:
        return t == QLatin1String("INTEGER") && column.primaryKey;
    case FieldType::Integer:
        return t.contains(QLatin1String("INT"));
    case FieldType::Text:
        return !t.contains(QLatin1String("INT")) &&
               (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) ||
                t.contains(QLatin1String("TEXT")));
    case FieldType::Currency:
        return isCurrencyType(t);
    case FieldType::Blob:
        return t.isEmpty() || t == QLatin1String("BLOB");
    }
    return false;
}

int declaredWidth(const QString &type)
{
    static const QRegularExpression width(QStringLiteral("\\((\\d+)\\)"));
    const auto match = width.match(type);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

TableSchema::TableSchema(QString table, std::vector<FieldDef> fields)
    : table_(std::move(table)), fields_(std::move(fields))
{
    for (int i = 0; i < fieldCount(); ++i)
        if (fields_[size_t(i)].type == FieldType::AutoInc)
            keyIndex_ = i;
}

int TableSchema::indexOf(const QString &name) const
{
    for (int i = 0; i < fieldCount(); ++i)
        if (fields_[size_t(i)].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TableSchema TableSchema::only(const std::vector<int> &columns) const
{
    std::vector<FieldDef> fields;
    for (const int column : columns)
        fields.push_back(field(column));
    return TableSchema(table_, std::move(fields));
}

TableSchema TableSchema::verified(const Connection &connection) const
{
    std::vector<StoreColumn> columns;
    Statement query(connection, kColumnsSql);
    query.bindText(1, table_);
    while (query.step()) {
        QString type = query.text(1).toUpper();
        type.remove(QLatin1Char(' '));
        columns.push_back({query.text(0), type, query.integer(2) != 0});
    }
    if (columns.empty())
        throw Error(QStringLiteral("В базе данных «%1» нет таблицы «%2»")
                        .arg(connection.fileName(), table_));

    std::vector<FieldDef> actual = fields_;
    for (FieldDef &def : actual) {
        const StoreColumn *found = nullptr;
        for (const StoreColumn &column : columns)
            if (column.name.compare(def.name, Qt::CaseInsensitive) == 0)
                found = &column;
        if (!found)
            throw Error(QStringLiteral("В таблице «%1» нет столбца «%2»").arg(table_, def.name));
        if (!matches(def, *found))
            throw Error(QStringLiteral("Столбец «%1» таблицы «%2» имеет тип «%3», а должен быть "
                                       "%4")
                            .arg(def.name, table_,
                                 found->type.isEmpty() ? QStringLiteral("без типа") : found->type,
                                 TableSql::expectedType(def.type, TableSql::Dialect::File)));
        if (def.type == FieldType::Text)
            def.size = declaredWidth(found->type);
    }
    return TableSchema(table_, std::move(actual));
}
