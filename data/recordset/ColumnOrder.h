#pragma once

#include "FieldDef.h"

#include <map>
#include <utility>
#include <vector>

class RowStore;

// The rows of a snapshot sorted by one column, computed once per column and
// kept until the column's values change: ascending, empty values first;
// descending, empty values last; equal values in the table's own order
// either way. Texts sort by their collation keys, made once per value;
// numbers on packed keys; a large sort on both cores. The orders of the
// columns sorted last are kept, a few at a time, so that a million rows
// cost tens of megabytes, not hundreds.
class ColumnOrder
{
public:
    explicit ColumnOrder(const RowStore &store) : store_(store) {}

    // Every row of the store, deleted ones included (the caller skips them).
    const std::vector<int> &rows(int field, FieldType type, bool descending);

    bool has(int field) const { return orders_.count(field) != 0; }
    // The column's values changed, or rows were added.
    void forget(int field);
    void forgetAll() { orders_.clear(); }

private:
    static constexpr size_t KeptColumns = 4;

    // The rows whose value is empty, the first run of either ascending order.
    std::vector<int> emptyValues(int field, std::vector<int> &groupStarts) const;
    std::vector<int> textAscending(int field, std::vector<int> &groupStarts) const;
    std::vector<int> numberAscending(int field, std::vector<int> &groupStarts) const;

    struct Sorted
    {
        std::vector<int> ascending;
        std::vector<int> descending; // the runs of equal values in reverse
        quint64 used = 0;
    };
    const RowStore &store_;
    std::map<int, Sorted> orders_;
    quint64 uses_ = 0;
};
