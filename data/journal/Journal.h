#pragma once

#include "JournalSql.h"

#include <QDateTime>
#include <optional>
#include <vector>

class Store;

// The catalogue's journal: every change of its four tables, kept in the
// same store for a year.
class Journal
{
public:
    // The catalogue's tables as the journal follows them.
    static std::vector<JournalSql::Table> tables();

    // The journaled table of that name, or none.
    static std::optional<TableSchema> schemaOf(const QString &table);

    // Makes the journal in a catalogue that lacks it (one made before the
    // journal, or by another tool), when the store can be written. True
    // when the store has the journal afterwards. Throws StoreError when the
    // store refuses to make it.
    static bool prepare(Store &store);

    // Makes the journal in a catalogue just filled from `source` (inside
    // the transaction that filled it, before the triggers could see the
    // rows) and records how many rows each table got, as one operation.
    static void recordLoad(Store &store, const QString &source,
                           const std::vector<std::pair<QString, qint64>> &counts);

    // Removes at most `batch` records made before `before`, in a
    // transaction of its own; returns how many went.
    static int prune(Store &store, const QDateTime &before, int batch);

    // How long records are kept.
    static constexpr int KeepDays = 365;

    // The roads a write comes by, as records keep them.
    struct Road
    {
        static constexpr const char *Editor = "editor";
        static constexpr const char *Grid = "grid";
        static constexpr const char *Reference = "reference";
        static constexpr const char *Import = "import";
        static constexpr const char *Restore = "restore";
        static constexpr const char *Undo = "undo";
        static constexpr const char *Conversion = "conversion";
        static constexpr const char *Other = "other"; // a change made by another program
    };
};
