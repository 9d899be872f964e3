#pragma once

#include "Store.h"

#include <optional>

// The values of one new or changed row, one per column of its table, NULL
// until set: rows are put together by column, never by position, so that a
// column added to a table changes no caller that does not fill it.
class RowValues
{
public:
    explicit RowValues(const TableSchema &schema)
        : values_(size_t(schema.fieldCount())), key_(schema.keyIndex())
    {}

    // A number: an integer, a key or an amount in ten-thousandths.
    RowValues &setNumber(int column, qint64 number);
    // None leaves the column NULL.
    RowValues &setNumber(int column, const std::optional<qint64> &number);
    // An empty text is stored as NULL, as the windows store an empty field.
    RowValues &setText(int column, const QString &text);
    // Empty bytes are stored as NULL: no photo.
    RowValues &setBytes(int column, const QByteArray &bytes);
    RowValues &set(int column, StoreValue value);

    const StoreValue &value(int column) const { return values_[size_t(column)]; }
    // Every column but the key, in column order, as Store::insert takes them.
    std::vector<StoreValue> withoutKey() const;
    // Every column, the key included.
    const std::vector<StoreValue> &all() const { return values_; }

private:
    std::vector<StoreValue> values_;
    int key_;
};
