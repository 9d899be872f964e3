#include "SnapshotRead.h"

#include "Connection.h"
#include "Error.h"
#include "RowStore.h"
#include "Statement.h"
#include "TableSql.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <sqlite3.h>
#include <thread>

namespace {

constexpr const char *kJournalModeSql = "PRAGMA journal_mode";
// A key that is the table's row number has no index of its own; any other
// primary key (of several columns, DESC, or a table without row numbers) has.
constexpr const char *kKeyIndexSql =
    "SELECT count(*) FROM pragma_index_list(?1) WHERE origin = 'pk'";
constexpr const char *kBeginSql = "BEGIN";
constexpr const char *kCommitSql = "COMMIT";
constexpr const char *kRollbackSql = "ROLLBACK";

// A part is reserved for all the keys in its range, up to this many rows;
// room not used is given back once read.
constexpr qint64 ReservedRowsAtMost = qint64(1) << 24;

// Ends the read transaction of a connection, whatever the outcome.
class ReadTransaction
{
public:
    explicit ReadTransaction(Connection &connection) : connection_(connection)
    {
        Statement(connection, kBeginSql).step();
    }
    ~ReadTransaction()
    {
        if (!sqlite3_get_autocommit(connection_.handle()))
            sqlite3_exec(connection_.handle(), done_ ? kCommitSql : kRollbackSql, nullptr,
                         nullptr, nullptr);
    }
    ReadTransaction(const ReadTransaction &) = delete;
    ReadTransaction &operator=(const ReadTransaction &) = delete;
    void finish() { done_ = true; }

private:
    Connection &connection_;
    bool done_ = false;
};

// Every row that `query` gives, after those of `rows`.
void readRows(Statement &query, const TableSql &sql, RowStore &rows)
{
    while (query.step())
        sql.readRow(query, rows, rows.appendRow());
}

void reserveFor(RowStore &rows, qint64 keys)
{
    if (keys > 0)
        rows.reserve(rows.rowCount() + int(std::min(keys, ReservedRowsAtMost)));
}

} // namespace

SnapshotRead::SnapshotRead(Connection &connection, const TableSchema &schema)
    : connection_(connection), schema_(schema)
{
}

int SnapshotRead::into(RowStore &rows)
{
    if (!mayBeSplit()) {
        readWhole(rows);
        return 1;
    }
    // Our own shared lock first: from here on the file stays as it is.
    ReadTransaction transaction(connection_);
    const Bounds bounds = keyBounds();
    const bool split = bounds.high - bounds.low >= SplitFrom && readSplit(bounds, rows);
    if (!split)
        readWhole(rows);
    transaction.finish();
    rows.shrink();
    return split ? 2 : 1;
}

bool SnapshotRead::mayBeSplit() const
{
    if (schema_.keyIndex() < 0 || std::thread::hardware_concurrency() < 2)
        return false;
    // Our own uncommitted writes are seen by this connection alone.
    if (!sqlite3_get_autocommit(connection_.handle()))
        return false;
    // In WAL mode a second connection may see a later moment than ours.
    Statement mode(connection_, kJournalModeSql);
    if (!mode.step() || mode.text(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0)
        return false;
    Statement keyIndex(connection_, kKeyIndexSql);
    keyIndex.bindText(1, schema_.table());
    return keyIndex.step() && keyIndex.integer(0) == 0;
}

SnapshotRead::Bounds SnapshotRead::keyBounds() const
{
    Statement query(connection_, TableSql(schema_).selectKeyBounds());
    if (!query.step() || query.isNull(0))
        return {};
    return {query.integer(0), query.integer(1)};
}

void SnapshotRead::readWhole(RowStore &rows) const
{
    const TableSql sql(schema_);
    Statement query(connection_, sql.selectAll());
    readRows(query, sql, rows);
}

void SnapshotRead::readLower(Connection &connection, const TableSchema &schema, int count,
                             RowStore &rows)
{
    const TableSql sql(schema);
    Statement query(connection, sql.selectFirstRows());
    query.bindInteger(1, count);
    readRows(query, sql, rows);
}

void SnapshotRead::readUpper(Connection &connection, const TableSchema &schema, int after,
                             RowStore &rows)
{
    const TableSql sql(schema);
    Statement start(connection, sql.selectKeyAfterRows());
    start.bindInteger(1, after);
    if (!start.step())
        return; // fewer rows than keys: the lower part has them all
    Statement query(connection, sql.selectFromKey());
    query.bindInteger(1, start.integer(0));
    readRows(query, sql, rows);
}

bool SnapshotRead::readSplit(const Bounds &bounds, RowStore &rows)
{
    // The second connection's shared lock is taken before it is relied on;
    // when another program already waits to commit, it is refused at once
    // and this connection reads alone, as it would have without a second.
    Connection beside(connection_.fileName(), Connection::Access::ReadBeside);
    std::unique_ptr<ReadTransaction> besideTransaction;
    try {
        beside.open();
        if (qstrcmp(sqlite3_db_filename(beside.handle(), "main"),
                    sqlite3_db_filename(connection_.handle(), "main")) != 0)
            return false;
        besideTransaction = std::make_unique<ReadTransaction>(beside);
        if (SnapshotRead(beside, schema_).keyBounds().high != bounds.high)
            return false;
    } catch (const Error &) {
        return false;
    }

    // Keys are taken as they come, and a few are missing: the lower part is
    // the first half of them, in whole pages of rows, so that the upper
    // part's memory can be taken over when the two are joined.
    const qint64 keys = bounds.high - bounds.low + 1;
    const int lower = int(std::min<qint64>(keys / 2, ReservedRowsAtMost)) / RowStore::PageRows *
                      RowStore::PageRows;
    RowStore upper(schema_);
    reserveFor(upper, keys - lower);
    std::exception_ptr upperFailure;
    std::thread reader([&] {
        try {
            readUpper(beside, schema_, lower, upper);
        } catch (...) {
            upperFailure = std::current_exception();
        }
    });
    try {
        reserveFor(rows, lower);
        readLower(connection_, schema_, lower, rows);
    } catch (...) {
        reader.join();
        throw;
    }
    reader.join();
    if (upperFailure)
        std::rethrow_exception(upperFailure);
    besideTransaction->finish();
    rows.append(std::move(upper));
    return true;
}
