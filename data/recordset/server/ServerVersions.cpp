#include "ServerVersions.h"

#include "ServerConnection.h"
#include "ServerCopyOut.h"
#include "ServerResult.h"

#include "../RowStore.h"
#include "../TableSql.h"

#include <libpq-fe.h>

namespace {

constexpr const char *kBeginSql = "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY";
constexpr const char *kCommitSql = "COMMIT";
constexpr const char *kRollbackSql = "ROLLBACK";
// The oldest transaction running at the moment the reading sees.
constexpr const char *kMarkSql = "SELECT pg_snapshot_xmin(pg_current_snapshot())";
// Rows written by transaction %1 or a later one: age() counts back from the
// next transaction, so the later, the younger. Frozen rows are old.
constexpr const char *kChangedSinceSql = "age(xmin) <= age('%1'::xid)";

} // namespace

template <typename Read> QByteArray ServerVersions::atOneMoment(const Read &read)
{
    server_.execute(kBeginSql);
    try {
        const ServerResult mark = server_.execute(kMarkSql);
        read();
        server_.execute(kCommitSql);
        return QByteArray(mark.value(0, 0).data(), qsizetype(mark.value(0, 0).size()));
    } catch (...) {
        if (server_.isOpen() && PQtransactionStatus(server_.handle()) != PQTRANS_IDLE)
            PQclear(PQexec(server_.handle(), kRollbackSql));
        throw;
    }
}

QByteArray ServerVersions::readAll(RowStore &rows)
{
    const TableSql sql(schema_, TableSql::Dialect::Server);
    // Inside a transaction of the caller's its own writes would count as
    // seen; such a reading leaves no mark.
    if (PQtransactionStatus(server_.handle()) != PQTRANS_IDLE || schema_.keyIndex() < 0) {
        ServerCopyOut(schema_, rows).read(server_, sql.selectAll());
        return {};
    }
    return atOneMoment([&] { ServerCopyOut(schema_, rows).read(server_, sql.selectAll()); });
}

QByteArray ServerVersions::readAgain(const RowStore &last, const QByteArray &mark, RowStore &rows)
{
    if (mark.isEmpty() || !last.keysAscending() || schema_.keyIndex() < 0 ||
        PQtransactionStatus(server_.handle()) != PQTRANS_IDLE)
        return readAll(rows);
    const int key = schema_.keyIndex();
    const TableSql sql(schema_, TableSql::Dialect::Server);
    const TableSchema keysOnly(schema_.table(), {schema_.field(key)});
    RowStore keys(keysOnly), changed(schema_);
    // The mark is the server's transaction number (64 bits); xmin holds its
    // low 32, which age() compares the way round.
    const QByteArray since = QByteArray::number(mark.toULongLong() % (quint64(1) << 32));
    const QByteArray newMark = atOneMoment([&] {
        ServerCopyOut(keysOnly, keys)
            .read(server_, TableSql(keysOnly, TableSql::Dialect::Server).selectKeys());
        ServerCopyOut(schema_, changed)
            .read(server_, sql.selectWhere(QString::fromLatin1(kChangedSinceSql)
                                               .arg(QString::fromLatin1(since))
                                               .toLatin1()));
    });

    // Both in key order, as `last` is: one walk through the three.
    rows.reserve(last.rowCount());
    int k = 0, c = 0;
    for (int r = 0; r < last.rowCount(); ++r) {
        if (last.isDeleted(r))
            continue;
        const qint64 wanted = last.integer(r, key);
        while (k < keys.rowCount() && keys.integer(k, 0) < wanted)
            ++k;
        if (k == keys.rowCount() || keys.integer(k, 0) != wanted)
            continue; // deleted since
        while (c < changed.rowCount() && changed.integer(c, key) < wanted)
            ++c;
        const bool isChanged = c < changed.rowCount() && changed.integer(c, key) == wanted;
        const RowStore &from = isChanged ? changed : last;
        const int fromRow = isChanged ? c : r;
        const int row = rows.appendRow();
        for (int i = 0; i < schema_.fieldCount(); ++i)
            rows.copyValue(row, i, from, fromRow);
    }
    rows.shrink();
    return newMark;
}
