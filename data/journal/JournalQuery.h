#pragma once

#include "JournalRecord.h"

#include <QDate>
#include <QString>
#include <vector>

class Store;

// Reads the journal a page at a time, newest first, so that a window over
// a million records opens at once: each page continues below the last
// record of the one before, by the record's number.
class JournalQuery
{
public:
    struct Filter
    {
        QDate from, to;   // local dates, both days included; null: open
        QString text;     // part of the row's name or article, or its key
        int kind = 0;     // JournalSql::Kind; 0: any
        QString computer; // exactly; empty: any
        QString table;    // with `key`: one row's history
        qint64 key = 0;
        qint64 operation = 0; // one operation's records
    };

    explicit JournalQuery(Store &store) : store_(store) {}

    // At most `count` records matching `filter` whose numbers are below
    // `below` (0: from the newest).
    std::vector<JournalRecord> page(const Filter &filter, qint64 below, int count);
    // Every record of one operation, newest first.
    std::vector<JournalRecord> operation(qint64 operation);
    // The bytes of the deleted row's blob a record keeps.
    QByteArray deletedBlob(qint64 record);
    // The newest record of one row of `table`, or none (id 0).
    JournalRecord lastOf(const QString &table, qint64 key, int kind);

private:
    // A changed row's record keeps no name: the row's name as it stands.
    void nameChangedRows(std::vector<JournalRecord> &records);

    Store &store_;
};
