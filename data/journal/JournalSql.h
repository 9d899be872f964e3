#pragma once

#include "recordset/TableSchema.h"
#include "recordset/TableSql.h"

#include <QByteArray>
#include <QList>
#include <vector>

// The statements of the journal in each store's dialect. The journal is a
// table of its own beside the catalogue's, filled by the store's triggers
// on the journaled tables, so that a change and its record are written by
// one statement in one transaction, whoever makes the change. The program
// names itself for the transaction in a session (a row of a table on the
// file, a setting of the transaction on the server); a change made without
// one is another program's.
class JournalSql
{
public:
    using Dialect = TableSql::Dialect;

    // A journaled table: the columns that name a row to a person.
    struct Table
    {
        TableSchema schema;
        int title = -1; // the row's name
        int code = -1;  // the row's article, if the table has one
    };

    // What a record's kind column holds.
    // Loaded: a table filled as a whole when a catalogue was made from
    // another (the key is the count of rows, the title where they came from).
    enum Kind { Added = 1, Changed = 2, Deleted = 3, Loaded = 4 };

    // The journal's table, its indexes and the triggers of `tables`, each
    // made only when missing.
    static QList<QByteArray> create(const std::vector<Table> &tables, Dialect dialect);
    // The journal's triggers as the store has them: a count that reaches
    // triggerCount(tables) once they all stand.
    static QByteArray countTriggers(Dialect dialect);
    static int triggerCount(const std::vector<Table> &tables, Dialect dialect);

    // The number of a new operation.
    static QByteArray nextOperation(Dialect dialect);
    // Opens the transaction's session and gives back its operation's
    // number: ?1 at (ms since 1970, UTC), ?2 road, ?3 computer, ?4 login.
    static QByteArray openSession(Dialect dialect);
    // Run before the commit (on the server the setting ends by itself).
    static QByteArray closeSession(Dialect dialect);
    // The photo's digests on the last record of a row: ?1 before, ?2 after,
    // ?3 table, ?4 key.
    static QByteArray setDigests(Dialect dialect);

    // A record of the program's own, beside its triggers: ?1 op, ?2 at,
    // ?3 road, ?4 computer, ?5 login, ?6 table, ?7 key, ?8 kind, ?9 title.
    static QByteArray insertRecord(Dialect dialect);

    // The columns every reading of records selects, in this order.
    static QByteArray recordColumns();
    // Records older than ?1 (ms since 1970), at most ?2 of them at a time.
    static QByteArray pruneBatch(Dialect dialect);
    // The record's whole deleted row's blob: ?1 record id.
    static QByteArray deletedBlob(Dialect dialect);

    // The session setting's name on the server.
    static constexpr const char *ServerSetting = "autoparts.journal";
};
