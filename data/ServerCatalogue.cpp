#include "ServerCatalogue.h"

#include "CatalogueSchema.h"
#include "recordset/Connection.h"
#include "recordset/Error.h"
#include "recordset/RowStore.h"
#include "recordset/TableSql.h"
#include "recordset/Transaction.h"
#include "recordset/server/ServerConnection.h"
#include "recordset/server/ServerCopyIn.h"
#include "recordset/server/ServerResult.h"

#include <vector>

namespace {

constexpr const char *kTableExistsSql = "SELECT to_regclass($1) IS NOT NULL";
// The identity column's counter set to a given next key ($3), and never
// below the largest key: with no rows and $3 = 1 it starts at 1.
constexpr const char *kSetNextKeySql =
    "SELECT setval(pg_get_serial_sequence($1, $2), greatest(coalesce(max(%1), 0) + 1, $3), "
    "false) FROM %2";

QByteArray serverName(const QString &declared)
{
    return TableSql::name(declared, TableSql::Dialect::Server);
}

} // namespace

void ServerCatalogue::createTables(ServerConnection &server)
{
    for (const TableSchema &table : CatalogueSchema::tables()) {
        const ServerResult exists = server.execute(
            kTableExistsSql, {ServerConnection::Parameter{serverName(table.table()), false}});
        if (exists.rows() == 1 && exists.value(0, 0) == "t")
            throw Error(QStringLiteral("В базе данных «%1» уже есть таблица «%2»: каталог на "
                                       "сервере уже создан. Ничего не изменено.")
                            .arg(server.name(), table.table()));
    }
    for (const TableSchema &table : CatalogueSchema::tables())
        server.execute(TableSql(table, TableSql::Dialect::Server).create());
}

void ServerCatalogue::setNextKey(ServerConnection &server, const TableSchema &table, qint64 next)
{
    const QByteArray key = serverName(table.field(table.keyIndex()).name);
    const QByteArray name = serverName(table.table());
    server.execute(
        QString::fromLatin1(kSetNextKeySql)
            .arg(QString::fromUtf8(key), QString::fromUtf8(name))
            .toUtf8(),
        {ServerConnection::Parameter{name, false},
         ServerConnection::Parameter{table.field(table.keyIndex()).name.toLower().toUtf8(), false},
         ServerConnection::Parameter{QByteArray::number(next), false}});
}

void ServerCatalogue::create(ServerConnection &server)
{
    Transaction transaction(server);
    createTables(server);
    transaction.commit();
}

void ServerCatalogue::copy(Connection &file, ServerConnection &server, const Progress &progress)
{
    file.open();
    std::vector<std::pair<TableSchema, RowStore>> read;
    qint64 total = 0;
    for (const TableSchema &declared : CatalogueSchema::tables()) {
        const TableSchema table = file.verified(declared);
        RowStore rows(table);
        file.readAll(table, rows);
        total += rows.rowCount();
        read.emplace_back(table, std::move(rows));
    }

    Transaction transaction(server);
    createTables(server);
    qint64 done = 0;
    for (const auto &[table, rows] : read) {
        // The server's bulk path, the values in its binary form: a row costs
        // about what reading it did.
        ServerCopyIn copy(server, table);
        for (int r = 0; r < rows.rowCount(); ++r) {
            copy.beginRow();
            for (int i = 0; i < table.fieldCount(); ++i) {
                if (rows.isNull(r, i)) {
                    copy.addNull();
                    continue;
                }
                switch (table.field(i).type) {
                case FieldType::Text:
                    copy.addText(rows.utf8(r, i));
                    break;
                case FieldType::Blob: {
                    // The snapshot holds only sizes; the photo is read now.
                    const auto bytes = file.readBlob(table, i, rows.integer(r, table.keyIndex()));
                    if (bytes)
                        copy.addBytes(*bytes);
                    else
                        copy.addNull();
                    break;
                }
                case FieldType::Currency:
                    copy.addAmount(rows.integer(r, i));
                    break;
                case FieldType::AutoInc:
                case FieldType::Integer:
                    copy.addInteger(rows.integer(r, i));
                    break;
                }
            }
            if (progress && (++done % 1000 == 0 || done == total))
                progress(done, total);
        }
        copy.finish();
        setNextKey(server, table, 1);
    }
    transaction.commit();
}
