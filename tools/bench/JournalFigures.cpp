#include "JournalFigures.h"

#include "journal/Journal.h"
#include "journal/JournalQuery.h"
#include "journal/JournalWitness.h"
#include "recordset/Connection.h"
#include "recordset/Transaction.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>

namespace {

// A year of a busy shop: 200,000 changes of a price or a quantity.
constexpr int YearOfChanges = 200000;
constexpr int WindowRecords = 1000000;
constexpr const char *kChangeSql =
    "UPDATE tovars SET price = price + 1, counts = counts + 1 WHERE auto_id = ?1";
constexpr const char *kPlainChangeSql =
    "UPDATE tovars SET price = price - 1, counts = counts - 1 WHERE auto_id = ?1";
constexpr const char *kKeysSql = "SELECT auto_id FROM tovars ORDER BY auto_id";
// More records, as copies of those there are, up to the window's million.
constexpr const char *kCopySql =
    "INSERT INTO journal (op, at, road, computer, login, tbl, row_key, kind, title, code, "
    "changes) SELECT op, at, road, computer, login, tbl, row_key, kind, title, code, changes "
    "FROM journal ORDER BY id LIMIT ?1";
constexpr const char *kCountSql = "SELECT count(*) FROM journal";
constexpr const char *kDropCopiesSql = "DELETE FROM journal";
constexpr const char *kVacuumSql = "VACUUM";

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

void JournalFigures::measure(const QString &catalogue, const Add &add,
                             const std::function<void()> &open)
{
    Connection store(catalogue);
    store.open();
    if (!Journal::prepare(store))
        return;
    std::vector<qint64> keys;
    for (const QVariantList &row : store.run(kKeysSql))
        keys.push_back(row.at(0).toLongLong());
    const qint64 sizeBefore = QFileInfo(catalogue).size();

    // The same changes with the journal and, undone, without its session:
    // the triggers run either way, so the plain figure is of the file as it
    // was before the journal (the triggers dropped for it would be the same
    // write minus the record).
    store.setWitness(std::make_shared<JournalWitness>());
    QElapsedTimer timer;
    timer.start();
    {
        Transaction transaction(store, QString::fromLatin1(Journal::Road::Import));
        for (int n = 0; n < YearOfChanges; ++n)
            store.run(kChangeSql, {keys[size_t(n) % keys.size()]});
        transaction.commit();
    }
    const double journaled = elapsedMs(timer);
    const qint64 sizeAfter = QFileInfo(catalogue).size();
    store.setWitness(nullptr);
    store.run("DROP TRIGGER journal_tovars_update");
    timer.restart();
    {
        Transaction transaction(store);
        for (int n = 0; n < YearOfChanges; ++n)
            store.run(kPlainChangeSql, {keys[size_t(n) % keys.size()]});
        transaction.commit();
    }
    const double plain = elapsedMs(timer);
    store.close();
    store.open();
    Journal::prepare(store); // the trigger back
    add(QStringLiteral("200,000 changes in one transaction, each with its record"), journaled,
        plain, QStringLiteral("the same UPDATEs without the journal's trigger"));
    std::printf("a year of 200,000 changes adds %.1f MB to the catalogue of %.1f MB (%.0f bytes "
                "a record)\n",
                double(sizeAfter - sizeBefore) / 1e6, double(sizeBefore) / 1e6,
                double(sizeAfter - sizeBefore) / YearOfChanges);

    for (qint64 count; (count = store.run(kCountSql).at(0).at(0).toLongLong()) < WindowRecords;)
        store.run(kCopySql, {WindowRecords - count});
    JournalQuery query(store);
    const auto pageOf = [&](const JournalQuery::Filter &filter) {
        timer.restart();
        const auto page = query.page(filter, 0, 200);
        const double first = elapsedMs(timer);
        timer.restart();
        query.page(filter, page.empty() ? 0 : page.back().id, 200);
        return std::pair{first, elapsedMs(timer)};
    };
    const auto newest = pageOf({});
    add(QStringLiteral("journal of 1,000,000 records: the newest 200"), newest.first, 0, {});
    add(QStringLiteral("journal of 1,000,000 records: the next 200 (scrolling)"), newest.second, 0,
        {});
    JournalQuery::Filter history;
    history.table = QStringLiteral("tovars");
    history.key = keys[keys.size() / 2];
    add(QStringLiteral("journal of 1,000,000 records: one part's history"), pageOf(history).first,
        0, {});
    JournalQuery::Filter named;
    named.text = QStringLiteral("нет такого названия");
    add(QStringLiteral("journal of 1,000,000 records: a name found nowhere (every record read)"),
        pageOf(named).first, 0, {});
    if (open) {
        timer.restart();
        open();
        add(QStringLiteral("journal window over 1,000,000 records: first paint"), elapsedMs(timer),
            0, {});
    }
    store.run(kDropCopiesSql);
    store.run(kVacuumSql);
}
