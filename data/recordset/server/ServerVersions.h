#pragma once

#include "../TableSchema.h"

#include <QByteArray>

class RowStore;
class ServerConnection;

// Reading a table again without reading it all: the server keeps with every
// row the transaction that wrote it (xmin), and a reading remembers the
// oldest transaction still running when it began (its snapshot's xmin).
// Rows written by that one or later are the only ones that may have changed
// since; deleted rows are found missing from the keys. Both readings of
// readAgain see one moment (a repeatable-read transaction). What was written
// meanwhile at the edge is read again the next time too, never missed.
class ServerVersions
{
public:
    ServerVersions(ServerConnection &server, const TableSchema &schema)
        : server_(server), schema_(schema)
    {}

    // Every row, and the mark; inside the caller's transaction, no mark.
    QByteArray readAll(RowStore &rows);
    // The rows of `last` (in key order) as they now stand, as
    // Store::readAgain says; without a mark, everything is read.
    QByteArray readAgain(const RowStore &last, const QByteArray &mark, RowStore &rows);

private:
    // Runs `read` in a read-only transaction that sees one moment; returns
    // the mark of that moment.
    template <typename Read> QByteArray atOneMoment(const Read &read);

    ServerConnection &server_;
    const TableSchema &schema_;
};
