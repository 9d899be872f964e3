#pragma once

#include "FieldDef.h"

#include <vector>

class Connection;

// The columns that a cursor expects of one table, in the order it reads them.
class TableSchema
{
public:
    TableSchema(QString table, std::vector<FieldDef> fields);

    const QString &table() const { return table_; }
    const std::vector<FieldDef> &fields() const { return fields_; }
    int fieldCount() const { return int(fields_.size()); }
    const FieldDef &field(int index) const { return fields_[size_t(index)]; }
    int indexOf(const QString &name) const;
    // The table with only `columns`, in that order: for reading a few.
    TableSchema only(const std::vector<int> &columns) const;
    // The auto-increment key column, or -1.
    int keyIndex() const { return keyIndex_; }

    // Checks the table as the store has it: the table exists, every column
    // exists with a matching type. Returns the schema with the text widths that
    // the store declares; throws Error naming the table and column that differ.
    TableSchema verified(const Connection &connection) const;

private:
    QString table_;
    std::vector<FieldDef> fields_;
    int keyIndex_ = -1;
};
