#pragma once

#include "TableSchema.h"

#include <string>
#include <string_view>
#include <vector>

// The rows of one cursor's snapshot, held column by column: numbers in plain
// arrays, texts as slices of one UTF-8 pool, blobs only by their size. Rows are
// never moved; a deleted row keeps its slot with a mark.
class RowStore
{
public:
    explicit RowStore(const TableSchema &schema);

    int rowCount() const { return rows_; }
    int appendRow(); // every column NULL
    void reserve(int rows);

    bool isNull(int row, int column) const { return columns_[size_t(column)].null[size_t(row)]; }
    // Integers, keys and currency; for a blob its size in bytes.
    qint64 integer(int row, int column) const
    {
        return columns_[size_t(column)].numbers[size_t(row)];
    }
    std::string_view utf8(int row, int column) const;
    QString text(int row, int column) const;

    void setNull(int row, int column);
    void setInteger(int row, int column, qint64 value);
    void setText(int row, int column, std::string_view utf8);
    void setText(int row, int column, const QString &value);

    // Value by value between two stores of the same table.
    bool sameValue(int row, int column, const RowStore &other, int otherRow) const;
    void copyValue(int row, int column, const RowStore &from, int fromRow);

    void setDeleted(int row) { deleted_[size_t(row)] = true; }
    bool isDeleted(int row) const { return deleted_[size_t(row)]; }

    // True while the rows stand in ascending key order.
    bool keysAscending() const { return keysAscending_; }
    // The live row whose key column holds `key`, or -1.
    int rowOfKey(qint64 key) const;

private:
    struct Slice
    {
        quint32 offset = 0;
        quint32 length = 0;
    };
    struct Column
    {
        FieldType type;
        std::vector<qint64> numbers; // all but text
        std::vector<Slice> texts;    // text only
        std::vector<bool> null;
    };

    std::vector<Column> columns_;
    std::vector<bool> deleted_;
    std::string pool_;
    int rows_ = 0;
    int keyColumn_ = -1;
    // Rows arrive in key order and new keys are larger; while that holds, a
    // key is found by binary search.
    bool keysAscending_ = true;
};
