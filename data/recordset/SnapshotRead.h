#pragma once

#include "TableSchema.h"

class Connection;
class RowStore;

// Reads a whole table of the catalogue file for a cursor's snapshot. A large
// table is read on two cores: this connection takes the first half of the
// rows, a second connection to the same file the rest, each into rows of its
// own that are joined at the end. Both read inside one read
// transaction of this connection: while it holds the file's shared lock no
// other program can commit, so the halves are of one moment. Where that
// cannot be had (a file in WAL mode, a write of ours under way, another
// program about to commit) or is not worth it, the table is read in one go.
class SnapshotRead
{
public:
    SnapshotRead(Connection &connection, const TableSchema &schema);

    // Every row in key order, appended to `rows`; returns in how many parts
    // it was read (2: on both cores).
    int into(RowStore &rows);

    // Tables with fewer keys than this are read in one go.
    static constexpr qint64 SplitFrom = 50000;

private:
    struct Bounds
    {
        qint64 low = 0;
        qint64 high = -1;
    };
    bool mayBeSplit() const;
    Bounds keyBounds() const;
    void readWhole(RowStore &rows) const;
    bool readSplit(const Bounds &bounds, RowStore &rows);
    // The first `count` rows in key order, and the rows after them.
    static void readLower(Connection &connection, const TableSchema &schema, int count,
                          RowStore &rows);
    static void readUpper(Connection &connection, const TableSchema &schema, int after,
                          RowStore &rows);

    Connection &connection_;
    const TableSchema &schema_;
};
