#include "Journal.h"

#include "CatalogueSchema.h"
#include "JournalWitness.h"
#include "recordset/Store.h"
#include "recordset/Transaction.h"

std::vector<JournalSql::Table> Journal::tables()
{
    std::vector<JournalSql::Table> tables;
    for (const TableSchema &schema : CatalogueSchema::tables()) {
        const bool goods = schema.table() == CatalogueSchema::goods().table();
        tables.push_back({schema,
                          goods ? int(CatalogueSchema::Name) : int(CatalogueSchema::ReferenceName),
                          goods ? int(CatalogueSchema::Code) : -1});
    }
    return tables;
}

std::optional<TableSchema> Journal::schemaOf(const QString &table)
{
    for (const TableSchema &schema : CatalogueSchema::tables())
        if (schema.table() == table)
            return schema;
    return std::nullopt;
}

bool Journal::prepare(Store &store)
{
    store.open();
    const auto dialect = store.dialect();
    const std::vector<JournalSql::Table> journaled = tables();
    const auto standing = [&] {
        return store.run(JournalSql::countTriggers(dialect)).at(0).at(0).toInt() >=
               JournalSql::triggerCount(journaled, dialect);
    };
    if (standing())
        return true;
    if (store.isReadOnly())
        return false;
    Transaction transaction(store);
    for (const QByteArray &statement : JournalSql::create(journaled, dialect))
        store.run(statement);
    transaction.commit();
    return standing();
}

void Journal::recordLoad(Store &store, const QString &source,
                         const std::vector<std::pair<QString, qint64>> &counts)
{
    const auto dialect = store.dialect();
    for (const QByteArray &statement : JournalSql::create(tables(), dialect))
        store.run(statement);
    const JournalWitness::Place place = JournalWitness::thisPlace();
    const qint64 operation = store.run(JournalSql::nextOperation(dialect)).at(0).at(0).toLongLong();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const auto &[table, count] : counts)
        store.run(JournalSql::insertRecord(dialect),
                  {operation, now, QString::fromLatin1(Road::Conversion), place.computer,
                   place.login, table, count, int(JournalSql::Loaded), source});
}

int Journal::prune(Store &store, const QDateTime &before, int batch)
{
    Transaction transaction(store);
    const auto removed = store.run(JournalSql::pruneBatch(store.dialect()) + " RETURNING id",
                                   {before.toMSecsSinceEpoch(), batch});
    transaction.commit();
    return int(removed.size());
}
