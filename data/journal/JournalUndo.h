#pragma once

#include "JournalRecord.h"
#include "JournalText.h"

#include <QStringList>
#include <vector>

class Store;

// Takes back what records of the journal did, through the one write road
// and in one transaction that is itself journaled (road "undo"): a deleted
// row comes back with its key, values and blob; an added row goes; a
// changed row gets its values before the change back. A row that was
// changed again since is left as it is unless the caller insists, and told.
class JournalUndo
{
public:
    JournalUndo(Store &store, JournalText text) : store_(store), text_(std::move(text)) {}

    // What undoing `record` would meet, read now: empty when the row still
    // holds what the record wrote, otherwise what changed since, in words
    // (one line a column).
    QStringList changedSince(const JournalRecord &record);

    struct Result
    {
        int undone = 0;
        QStringList left; // records not undone, each with why
        QStringList notes; // undone, with something to know («категория «Фильтры» удалена»)
        qint64 operation = 0; // the undo's own operation in the journal
    };
    // Undoes `records` (newest first, as an operation lists them) in one
    // transaction; a record whose row changed since is undone only with
    // `force`, otherwise listed in `left`. Throws Error when the store
    // refuses; then nothing is undone.
    Result undo(const std::vector<JournalRecord> &records, bool force);

private:
    Store &store_;
    JournalText text_;
};
