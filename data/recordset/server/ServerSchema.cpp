#include "ServerSchema.h"

#include "ServerConnection.h"
#include "ServerResult.h"

#include "../Error.h"
#include "../TableSql.h"

#include <QStringList>

namespace {

constexpr const char *kColumnsSql =
    "SELECT column_name, data_type, character_maximum_length, numeric_precision, numeric_scale, "
    "is_identity FROM information_schema.columns "
    "WHERE table_schema = current_schema() AND table_name = $1";
// The columns that a unique constraint (or index) of their own covers.
constexpr const char *kUniqueColumnsSql =
    "SELECT a.attname FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid AND "
    "a.attnum = i.indkey[0] WHERE i.indrelid = to_regclass($1) AND i.indisunique AND "
    "i.indnkeyatts = 1";

struct ServerColumn
{
    QString name;
    QString type;
    int length = 0;
    int precision = 0;
    int scale = 0;
    bool identity = false;
};

QString typeText(const ServerColumn &c)
{
    if (c.type == QLatin1String("character varying"))
        return c.length ? QStringLiteral("varchar(%1)").arg(c.length) : QStringLiteral("varchar");
    if (c.type == QLatin1String("numeric") && c.precision)
        return QStringLiteral("numeric(%1,%2)").arg(c.precision).arg(c.scale);
    return c.identity ? c.type + QStringLiteral(" identity") : c.type;
}

bool matches(FieldType type, const ServerColumn &c)
{
    switch (type) {
    case FieldType::AutoInc:
        return c.type == QLatin1String("integer") && c.identity;
    case FieldType::Integer:
        return c.type == QLatin1String("integer") && !c.identity;
    case FieldType::Text:
        return c.type == QLatin1String("character varying") && c.length > 0;
    case FieldType::Currency:
        return c.type == QLatin1String("numeric") && c.precision == 19 && c.scale == 4;
    case FieldType::Blob:
        return c.type == QLatin1String("bytea");
    }
    return false;
}

} // namespace

TableSchema ServerSchema::verified(ServerConnection &connection, const TableSchema &declared)
{
    const ServerResult result = connection.execute(
        kColumnsSql, {ServerConnection::Parameter{declared.table().toLower().toUtf8(), false}});
    std::vector<ServerColumn> columns;
    for (int r = 0; r < result.rows(); ++r)
        columns.push_back({result.text(r, 0), result.text(r, 1),
                           result.isNull(r, 2) ? 0 : int(result.integer(r, 2)),
                           result.isNull(r, 3) ? 0 : int(result.integer(r, 3)),
                           result.isNull(r, 4) ? 0 : int(result.integer(r, 4)),
                           result.value(r, 5) == "YES"});
    if (columns.empty())
        throw Error(QStringLiteral("В базе данных «%1» нет таблицы «%2»")
                        .arg(connection.name(), declared.table()));

    QStringList unique;
    const ServerResult keys = connection.execute(
        kUniqueColumnsSql,
        {ServerConnection::Parameter{'"' + declared.table().toLower().toUtf8() + '"', false}});
    for (int r = 0; r < keys.rows(); ++r)
        unique << keys.text(r, 0);

    std::vector<FieldDef> actual = declared.fields();
    for (FieldDef &def : actual) {
        const ServerColumn *found = nullptr;
        for (const ServerColumn &column : columns)
            if (column.name.compare(def.name, Qt::CaseInsensitive) == 0)
                found = &column;
        if (!found)
            throw Error(
                QStringLiteral("В таблице «%1» нет столбца «%2»").arg(declared.table(), def.name));
        if (!matches(def.type, *found))
            throw Error(QStringLiteral("Столбец «%1» таблицы «%2» имеет тип «%3», а должен быть "
                                       "%4")
                            .arg(def.name, declared.table(), typeText(*found),
                                 TableSql::expectedType(def.type, TableSql::Dialect::Server)));
        if (def.unique && !unique.contains(found->name, Qt::CaseInsensitive))
            throw Error(QStringLiteral("Столбец «%1» таблицы «%2» должен быть уникальным (UNIQUE): "
                                       "без этого сервер не откажет в повторе значения")
                            .arg(def.name, declared.table()));
        if (def.type == FieldType::Text)
            def.size = found->length;
    }
    return TableSchema(declared.table(), std::move(actual));
}
