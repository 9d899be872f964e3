#include "RowStore.h"

#include "Error.h"

#include <algorithm>

RowStore::RowStore(const TableSchema &schema) : keyColumn_(schema.keyIndex())
{
    for (const FieldDef &def : schema.fields())
        columns_.push_back(Column{def.type, {}, {}, {}});
}

void RowStore::reserve(int rows)
{
    for (Column &column : columns_) {
        if (column.type == FieldType::Text)
            column.texts.reserve(size_t(rows));
        else
            column.numbers.reserve(size_t(rows));
        column.null.reserve(size_t(rows));
    }
    deleted_.reserve(size_t(rows));
}

int RowStore::appendRow()
{
    for (Column &column : columns_) {
        if (column.type == FieldType::Text)
            column.texts.push_back(Slice{});
        else
            column.numbers.push_back(0);
        column.null.push_back(true);
    }
    deleted_.push_back(false);
    return rows_++;
}

std::string_view RowStore::utf8(int row, int column) const
{
    const Slice slice = columns_[size_t(column)].texts[size_t(row)];
    return std::string_view(pool_.data() + slice.offset, slice.length);
}

QString RowStore::text(int row, int column) const
{
    const std::string_view bytes = utf8(row, column);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

void RowStore::setNull(int row, int column)
{
    Column &c = columns_[size_t(column)];
    c.null[size_t(row)] = true;
    if (c.type == FieldType::Text)
        c.texts[size_t(row)] = Slice{};
    else
        c.numbers[size_t(row)] = 0;
}

void RowStore::setInteger(int row, int column, qint64 value)
{
    Column &c = columns_[size_t(column)];
    c.numbers[size_t(row)] = value;
    c.null[size_t(row)] = false;
    if (column == keyColumn_ && keysAscending_ && row > 0) {
        // Only the newest row can break the order; earlier rows were checked.
        const qint64 previous = c.numbers[size_t(row - 1)];
        if (row == rows_ - 1 && previous >= value)
            keysAscending_ = false;
    }
}

void RowStore::setText(int row, int column, std::string_view utf8)
{
    // The pool is addressed with 32-bit offsets; a catalogue never comes near.
    if (pool_.size() + utf8.size() > 0xFFFFFFFFu)
        throw Error(QStringLiteral("Слишком много текста для одного набора данных"));
    Column &c = columns_[size_t(column)];
    c.texts[size_t(row)] = Slice{quint32(pool_.size()), quint32(utf8.size())};
    c.null[size_t(row)] = false;
    pool_.append(utf8);
}

void RowStore::setText(int row, int column, const QString &value)
{
    const QByteArray bytes = value.toUtf8();
    setText(row, column, std::string_view(bytes.constData(), size_t(bytes.size())));
}

bool RowStore::sameValue(int row, int column, const RowStore &other, int otherRow) const
{
    if (isNull(row, column) || other.isNull(otherRow, column))
        return isNull(row, column) == other.isNull(otherRow, column);
    if (columns_[size_t(column)].type == FieldType::Text)
        return utf8(row, column) == other.utf8(otherRow, column);
    return integer(row, column) == other.integer(otherRow, column);
}

void RowStore::copyValue(int row, int column, const RowStore &from, int fromRow)
{
    if (from.isNull(fromRow, column))
        setNull(row, column);
    else if (columns_[size_t(column)].type == FieldType::Text)
        setText(row, column, from.utf8(fromRow, column));
    else
        setInteger(row, column, from.integer(fromRow, column));
}

int RowStore::rowOfKey(qint64 key) const
{
    if (keyColumn_ < 0)
        return -1;
    const std::vector<qint64> &keys = columns_[size_t(keyColumn_)].numbers;
    if (keysAscending_) {
        auto it = std::lower_bound(keys.begin(), keys.end(), key);
        for (; it != keys.end() && *it == key; ++it) {
            const int row = int(it - keys.begin());
            if (!deleted_[size_t(row)])
                return row;
        }
        return -1;
    }
    for (int row = 0; row < rows_; ++row)
        if (keys[size_t(row)] == key && !deleted_[size_t(row)])
            return row;
    return -1;
}
