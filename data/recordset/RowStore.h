#pragma once

#include "LargeArray.h"
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
    // Room for `rows` rows and `textBytes` bytes of text, made before it is
    // needed; what a reading did not use is given back by shrink().
    void reserve(int rows, size_t textBytes = 0);
    void shrink();
    // The rows of `other`, a store of the same table, after these in their
    // order; `other` is left empty. Where these rows end on a page boundary
    // of every column (a multiple of PageRows), its memory is taken over
    // rather than copied.
    void append(RowStore &&other);
    static constexpr int PageRows = 512;

    bool isNull(int row, int column) const { return columns_[size_t(column)].null.get(row); }
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

    void setDeleted(int row) { deleted_.set(row, true); }
    bool isDeleted(int row) const { return deleted_.get(row); }

    // True while the rows stand in ascending key order.
    bool keysAscending() const { return keysAscending_; }
    // The live row whose key column holds `key`, or -1.
    int rowOfKey(qint64 key) const;

private:
    static constexpr size_t PageBytes = 4096;
    struct Slice
    {
        quint32 offset = 0;
        quint32 length = 0;
    };
    // One mark per row, 64 to a word.
    class Marks
    {
    public:
        bool get(int row) const { return (words_[size_t(row) >> 6] >> (row & 63)) & 1; }
        void set(int row, bool on)
        {
            const quint64 bit = quint64(1) << (row & 63);
            quint64 &word = words_[size_t(row) >> 6];
            word = on ? word | bit : word & ~bit;
        }
        // Row `rows` (the count so far) gets a mark.
        void push(int rows, bool on)
        {
            if ((rows & 63) == 0)
                words_.push_back(0);
            set(rows, on);
        }
        void reserve(int rows) { words_.reserve((size_t(rows) + 63) >> 6); }
        void append(int rows, const Marks &other, int otherRows);
        void release() { words_ = LargeArray<quint64>(); }

    private:
        LargeArray<quint64> words_;
    };
    struct Column
    {
        FieldType type;
        LargeArray<qint64> numbers; // all but text
        LargeArray<Slice> texts;    // text only
        Marks null;
    };

    std::vector<Column> columns_;
    Marks deleted_;
    LargeArray<char> pool_;
    int rows_ = 0;
    int keyColumn_ = -1;
    // Rows arrive in key order and new keys are larger; while that holds, a
    // key is found by binary search.
    bool keysAscending_ = true;
};
