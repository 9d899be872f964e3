#pragma once

#include "FieldDef.h"
#include "LargeArray.h"

#include <map>

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
    const LargeArray<int> &rows(int field, FieldType type, bool descending);

    bool has(int field) const { return orders_.count(field) != 0; }
    // The column's values changed, or rows were added.
    void forget(int field);
    void forgetAll() { orders_.clear(); }

private:
    static constexpr size_t KeptColumns = 4;

    struct Sorted
    {
        LargeArray<int> ascending;
        LargeArray<char> startsRun;  // per place of `ascending`: a new value begins
        LargeArray<int> descending; // the runs in reverse, made when first asked for
        quint64 used = 0;
    };
    // Empty values first, in row order: one run.
    void emptyValues(int field, Sorted &sorted) const;
    void textAscending(int field, Sorted &sorted) const;
    void numberAscending(int field, Sorted &sorted) const;
    static const LargeArray<int> &descendingOf(Sorted &sorted);

    const RowStore &store_;
    std::map<int, Sorted> orders_;
    quint64 uses_ = 0;
};
