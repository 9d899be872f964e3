#include "RowStore.h"

#include "Error.h"

#include <algorithm>

namespace {

// The pool is addressed with 32-bit offsets; a catalogue never comes near.
void checkPoolRoom(size_t poolSize, size_t more)
{
    if (poolSize + more > 0xFFFFFFFFu)
        throw Error(QStringLiteral("Слишком много текста для одного набора данных"));
}

} // namespace

void RowStore::Marks::append(int rows, const Marks &other, int otherRows)
{
    const int shift = rows & 63;
    if (shift == 0) {
        words_.append(other.words_.data(), other.words_.size());
        return;
    }
    // The other's words, shifted past the marks of the last word in use;
    // marks beyond a store's last row are always clear.
    for (const quint64 word : other.words_) {
        words_.back() |= word << shift;
        words_.push_back(word >> (64 - shift));
    }
    words_.resize((size_t(rows) + size_t(otherRows) + 63) >> 6);
}

RowStore::RowStore(const TableSchema &schema) : keyColumn_(schema.keyIndex())
{
    for (const FieldDef &def : schema.fields())
        columns_.push_back(Column{def.type, {}, {}, {}});
}

void RowStore::reserve(int rows, size_t textBytes)
{
    for (Column &column : columns_) {
        if (column.type == FieldType::Text)
            column.texts.reserve(size_t(rows));
        else
            column.numbers.reserve(size_t(rows));
        column.null.reserve(rows);
    }
    deleted_.reserve(rows);
    pool_.reserve(textBytes);
}

void RowStore::shrink()
{
    for (Column &column : columns_) {
        column.texts.shrink();
        column.numbers.shrink();
    }
    pool_.shrink();
}

int RowStore::appendRow()
{
    for (Column &column : columns_) {
        if (column.type == FieldType::Text)
            column.texts.push_back(Slice{});
        else
            column.numbers.push_back(0);
        column.null.push(rows_, true);
    }
    deleted_.push(rows_, false);
    return rows_++;
}

void RowStore::append(RowStore &&other)
{
    if (other.columns_.size() != columns_.size())
        throw Error(QStringLiteral("Части набора данных относятся к разным таблицам"));
    if (keyColumn_ >= 0 && rows_ > 0 && other.rows_ > 0) {
        const LargeArray<qint64> &keys = columns_[size_t(keyColumn_)].numbers;
        const LargeArray<qint64> &next = other.columns_[size_t(keyColumn_)].numbers;
        keysAscending_ = keysAscending_ && other.keysAscending_ && keys.back() < next[0];
    } else {
        keysAscending_ = keysAscending_ && other.keysAscending_;
    }
    // The other's texts follow ours from a page boundary, so that their pages
    // are taken over rather than copied.
    pool_.resize((pool_.size() + PageBytes - 1) / PageBytes * PageBytes);
    checkPoolRoom(pool_.size(), other.pool_.size());
    const auto shift = quint32(pool_.size());
    for (size_t c = 0; c < columns_.size(); ++c) {
        Column &column = columns_[c];
        Column &from = other.columns_[c];
        if (column.type == FieldType::Text) {
            for (Slice &slice : from.texts)
                slice.offset += shift;
            column.texts.adopt(std::move(from.texts));
        } else {
            column.numbers.adopt(std::move(from.numbers));
        }
        column.null.append(rows_, from.null, other.rows_);
        from.null.release();
    }
    deleted_.append(rows_, other.deleted_, other.rows_);
    other.deleted_.release();
    pool_.adopt(std::move(other.pool_));
    rows_ += std::exchange(other.rows_, 0);
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
    c.null.set(row, true);
    if (c.type == FieldType::Text)
        c.texts[size_t(row)] = Slice{};
    else
        c.numbers[size_t(row)] = 0;
}

void RowStore::setInteger(int row, int column, qint64 value)
{
    Column &c = columns_[size_t(column)];
    c.numbers[size_t(row)] = value;
    c.null.set(row, false);
    if (column == keyColumn_ && keysAscending_ && row > 0) {
        // Only the newest row can break the order; earlier rows were checked.
        const qint64 previous = c.numbers[size_t(row - 1)];
        if (row == rows_ - 1 && previous >= value)
            keysAscending_ = false;
    }
}

void RowStore::setText(int row, int column, std::string_view utf8)
{
    checkPoolRoom(pool_.size(), utf8.size());
    Column &c = columns_[size_t(column)];
    c.texts[size_t(row)] = Slice{quint32(pool_.size()), quint32(utf8.size())};
    c.null.set(row, false);
    pool_.append(utf8.data(), utf8.size());
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
    const LargeArray<qint64> &keys = columns_[size_t(keyColumn_)].numbers;
    if (keysAscending_) {
        auto it = std::lower_bound(keys.begin(), keys.end(), key);
        for (; it != keys.end() && *it == key; ++it) {
            const int row = int(it - keys.begin());
            if (!deleted_.get(row))
                return row;
        }
        return -1;
    }
    for (int row = 0; row < rows_; ++row)
        if (keys[size_t(row)] == key && !deleted_.get(row))
            return row;
    return -1;
}
