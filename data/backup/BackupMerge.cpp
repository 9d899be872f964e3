#include "BackupMerge.h"

#include "CatalogueSchema.h"
#include "journal/Journal.h"
#include "journal/JournalWitness.h"
#include "recordset/Connection.h"
#include "recordset/Error.h"
#include "recordset/TableSql.h"
#include "recordset/Transaction.h"

namespace {

constexpr const char *kFormatSql = "PRAGMA %1user_version";
constexpr const char *kAttachSql = "ATTACH DATABASE ?1 AS backup";
constexpr const char *kDetachSql = "DETACH DATABASE backup";
constexpr const char *kTableSql =
    "SELECT count(*) FROM backup.sqlite_master WHERE type = 'table' AND name = ?1";

// The three statements that make `table` of the catalogue equal to the
// copy's, each row's change seen by the journal's triggers.
QList<QByteArray> mergeStatements(const TableSchema &schema)
{
    const auto name = [](const QString &n) { return TableSql::name(n, TableSql::Dialect::File); };
    const QByteArray table = name(schema.table());
    const QByteArray key = name(schema.field(schema.keyIndex()).name);
    QByteArray all, set, differs;
    for (const FieldDef &def : schema.fields()) {
        const QByteArray column = name(def.name);
        all += (all.isEmpty() ? "" : ", ") + column;
        if (def.type == FieldType::AutoInc)
            continue;
        set += (set.isEmpty() ? "" : ", ") + column + " = s." + column;
        differs += (differs.isEmpty() ? "" : " OR ") + QByteArray("main.") + table + '.' + column +
                   " IS NOT s." + column;
    }
    return {
        "DELETE FROM main." + table + " WHERE " + key + " NOT IN (SELECT " + key + " FROM backup." +
            table + ")",
        "UPDATE main." + table + " SET " + set + " FROM backup." + table + " AS s WHERE main." +
            table + '.' + key + " = s." + key + " AND (" + differs + ")",
        "INSERT INTO main." + table + " (" + all + ") SELECT " + all + " FROM backup." + table +
            " WHERE " + key + " NOT IN (SELECT " + key + " FROM main." + table + ")",
    };
}

qint64 format(Connection &connection, const char *schema)
{
    return connection.run(QByteArray(kFormatSql).replace("%1", schema)).at(0).at(0).toLongLong();
}

} // namespace

bool BackupMerge::apply(const QString &copy, const QString &catalogue)
{
    Connection connection(catalogue);
    connection.open();
    if (!Journal::prepare(connection))
        return false;
    connection.run(kAttachSql, {copy});
    bool merged = false;
    try {
        bool sameTables = format(connection, "main.") == format(connection, "backup.");
        for (const TableSchema &schema : CatalogueSchema::tables())
            sameTables =
                sameTables && connection.run(kTableSql, {schema.table()}).at(0).at(0).toInt() == 1;
        if (sameTables) {
            connection.setWitness(std::make_shared<JournalWitness>());
            Transaction transaction(connection, QString::fromLatin1(Journal::Road::Restore));
            for (const TableSchema &schema : CatalogueSchema::tables())
                for (const QByteArray &statement : mergeStatements(schema))
                    connection.run(statement);
            transaction.commit();
            merged = true;
        }
    } catch (...) {
        connection.run(kDetachSql);
        throw;
    }
    connection.run(kDetachSql);
    return merged;
}
