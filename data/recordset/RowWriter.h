#pragma once

#include "RowStore.h"
#include "Store.h"

#include <functional>
#include <map>
#include <optional>
#include <vector>

// The one road by which rows are changed: a cursor's post and delete and an
// import's bulk writes all pass here, inside the caller's transaction, so
// that whatever must see every change has one place to stand. The unique
// rules of a table are the store's own, the same on both engines (a
// StoreError of kind Constraint).
class RowWriter
{
public:
    explicit RowWriter(Store &store) : store_(store) {}

    // A row as the store holds it: its values (blobs by size) and the bytes
    // of the blob columns that were asked for.
    struct StoredRow
    {
        RowStore values;
        std::map<int, QByteArray> blobs;
    };
    // Decides whether a change may be written over the row as stored;
    // throws (a ConflictError) when it may not.
    using Check = std::function<void(const StoredRow &stored)>;

    // A new row of every column but the key, in column order; returns the
    // key the store gave it.
    qint64 insert(const TableSchema &schema, const std::vector<StoreValue> &values);

    // A row that was deleted, back under its own key: a value for every
    // column in column order (the key's is not read).
    qint64 insertWithKey(const TableSchema &schema, qint64 key,
                         const std::vector<StoreValue> &values);

    // Sets `fields` of the row whose key is `key` to `values`. With `check`,
    // the row is first read and locked, so that no other program changes
    // it between the comparison and the write, and the row read (with the
    // bytes of the blob columns among `fields`) is handed to `check` and
    // returned; a row that is gone is refused (Error). Without, the values
    // are written as they stand, for bulk writes.
    std::optional<StoredRow> update(const TableSchema &schema, qint64 key,
                                    const std::vector<int> &fields,
                                    const std::vector<StoreValue> &values, const Check &check = {});

    // Bulk writes, as the store's updateMany and insertMany: written as they
    // stand, in order, neither the rows changed nor the new keys told. New
    // rows that carry a blob go one by one, so that it is witnessed.
    void updateMany(const TableSchema &schema, const std::vector<Store::RowChange> &changes);
    void insertMany(const TableSchema &schema, const std::vector<std::vector<StoreValue>> &rows);

    // Returns the rows deleted: 0 when another program deleted it first.
    int remove(const TableSchema &schema, qint64 key);

private:
    Store &store_;
};
