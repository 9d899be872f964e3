#include "Cursor.h"

#include "Collation.h"
#include "Currency.h"
#include "CursorOperation.h"
#include "Error.h"

#include <algorithm>

// The view of the snapshot: filter and sort, and the values of its rows as
// bound controls read them.

// --- filter and sort -----------------------------------------------------------

namespace {

// Puts `rows` in the order of `order`, every row of the store (null: the
// table's own order), without a comparison: fast when they are many.
void pickOut(LargeArray<int> &rows, int rowCount, const LargeArray<int> *order)
{
    LargeArray<char> wanted(size_t(rowCount), 0);
    for (const int row : rows)
        wanted[size_t(row)] = 1;
    rows.clear();
    const size_t count = order ? order->size() : size_t(rowCount);
    for (size_t i = 0; i < count; ++i) {
        const int row = order ? (*order)[i] : int(i);
        if (wanted[size_t(row)])
            rows.push_back(row);
    }
}

} // namespace

void Cursor::setFilter(const QString &text)
{
    if (text == filterText_)
        return;
    if (!filtered_ || !isOpen()) {
        filterText_ = text; // only stored; parsed when filtering is switched on
        return;
    }
    CursorOperation operation(deferred_, busy_);
    postPending();
    FilterExpression expression(text, schema_);
    filterText_ = text;
    filter_ = std::move(expression);
    rebuildView();
    setCurrent(view_.empty() ? -1 : 0);
    notify(DataEventKind::DataSetChanged);
    operation.finish();
}

void Cursor::setFiltered(bool on)
{
    if (on == filtered_)
        return;
    if (!isOpen()) {
        filtered_ = on;
        return;
    }
    CursorOperation operation(deferred_, busy_);
    postPending();
    if (on) {
        FilterExpression expression(filterText_, schema_); // a rejected text leaves it off
        filter_ = std::move(expression);
    } else {
        filter_ = FilterExpression();
    }
    filtered_ = on;
    rebuildView();
    current_ = view_.empty() ? -1 : 0;
    eof_ = view_.empty();
    notify(DataEventKind::DataSetChanged);
    notify(DataEventKind::Scrolled);
    operation.finish();
}

Cursor::SortKey Cursor::parseSort(const QString &text) const
{
    const QStringList words = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return SortKey{};
    SortKey key;
    if (words.size() > 2 ||
        (words.size() == 2 && words[1].compare(QLatin1String("ASC"), Qt::CaseInsensitive) &&
         words[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive)))
        throw Error(QStringLiteral("Неверный порядок сортировки «%1»").arg(text));
    key.descending =
        words.size() == 2 && !words[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive);
    key.field = schema_.indexOf(words[0]);
    if (key.field < 0) {
        if (findField(words[0]))
            throw Error(QStringLiteral("По полю «%1» сортировать нельзя").arg(words[0]));
        throw Error(
            QStringLiteral("Поле «%1» не найдено в таблице «%2»").arg(words[0], tableName()));
    }
    if (schema_.field(key.field).type == FieldType::Blob)
        throw Error(QStringLiteral("По полю «%1» сортировать нельзя").arg(words[0]));
    return key;
}

void Cursor::setSort(const QString &text)
{
    requireOpen();
    CursorOperation operation(deferred_, busy_);
    postPending();
    const SortKey key = parseSort(text);
    sortText_ = text;
    sort_ = key;
    const int currentStoreRow = current_ >= 0 ? view_[size_t(current_)] : -1;
    sortRows(view_); // only the rows in view; the full order waits until it is needed
    orderValid_ = false;
    const auto at = std::find(view_.begin(), view_.end(), currentStoreRow);
    current_ = at == view_.end() ? (view_.empty() ? -1 : 0) : int(at - view_.begin());
    notify(DataEventKind::DataSetChanged);
    notify(DataEventKind::Scrolled);
    operation.finish();
}

void Cursor::resetView()
{
    if (isOpen())
        throw Error(QStringLiteral("Таблица «%1» открыта: сбросить отбор и порядок можно только "
                                   "у закрытой")
                        .arg(tableName()));
    filterText_.clear();
    filtered_ = false;
    filter_ = FilterExpression();
    sortText_.clear();
    sort_ = SortKey{};
}

void Cursor::rebuildView()
{
    // The view is the sorted order of all rows, filtered; filtering keeps the
    // order, so switching a filter on or off never sorts again.
    if (!orderValid_) {
        order_.clear();
        order_.reserve(size_t(store_->rowCount()));
        for (int row = 0; row < store_->rowCount(); ++row)
            if (!store_->isDeleted(row))
                order_.push_back(row);
        sortRows(order_);
        orderValid_ = true;
    }
    view_.clear();
    const bool filtering = filtered_ && !filter_.isEmpty();
    for (const int row : order_)
        if (!store_->isDeleted(row) && (!filtering || filter_.matches(*store_, row)))
            view_.push_back(row);
}

void Cursor::sortRows(LargeArray<int> &rows) const
{
    const RowStore &store = *store_;
    const int field = sort_.field;
    const bool descending = sort_.descending;
    // Rows are held in the table's own order, which is key order as long as
    // the store says so: then sorting by the key needs no comparisons.
    if (field < 0 || (field == schema_.keyIndex() && store.keysAscending())) {
        if (std::is_sorted(rows.begin(), rows.end()))
            ; // as they stand
        else if (size_t(rows.size()) * 8 < size_t(store.rowCount()))
            std::sort(rows.begin(), rows.end());
        else
            pickOut(rows, store.rowCount(), nullptr);
        if (field >= 0 && descending)
            std::reverse(rows.begin(), rows.end());
        return;
    }
    // A few rows found by a search are sorted as they are; otherwise the
    // column's order over the whole snapshot is made once, and the rows
    // asked for are taken from it in that order.
    const FieldType type = schema_.field(field).type;
    if (size_t(rows.size()) * 8 < size_t(store.rowCount()) && !columnOrders_->has(field)) {
        sortFew(rows, field, type == FieldType::Text, descending);
        return;
    }
    pickOut(rows, store.rowCount(), &columnOrders_->rows(field, type, descending));
}

void Cursor::sortFew(LargeArray<int> &rows, int field, bool text, bool descending) const
{
    const RowStore &store = *store_;
    // Equal values keep the table's own order, in either direction; empty
    // values come first when ascending.
    std::sort(rows.begin(), rows.end(), [&](int a, int b) {
        const bool nullA = store.isNull(a, field);
        const bool nullB = store.isNull(b, field);
        int order = 0;
        if (nullA || nullB) {
            order = int(nullB) - int(nullA);
        } else if (text) {
            const std::string_view x = store.utf8(a, field);
            const std::string_view y = store.utf8(b, field);
            order = Collation::compare(x.data(), int(x.size()), y.data(), int(y.size()));
        } else {
            const qint64 x = store.integer(a, field);
            const qint64 y = store.integer(b, field);
            order = x < y ? -1 : (x > y ? 1 : 0);
        }
        if (order == 0)
            return a < b;
        return descending ? order > 0 : order < 0;
    });
}

// --- reading -------------------------------------------------------------------

Field &Cursor::FieldByName(const QString &name)
{
    Field *found = findField(name);
    if (!found)
        throw Error(QStringLiteral("Поле «%1» не найдено в таблице «%2»").arg(name, tableName()));
    return *found;
}

Field *Cursor::findField(const QString &name) const
{
    for (const auto &f : fields_)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

int Cursor::storeRowAt(int row) const
{
    if (!store_ || row < 0 || row >= int(view_.size()))
        return -1;
    return view_[size_t(row)];
}

const Cursor::Pending *Cursor::pendingAt(int row, int field) const
{
    if ((state_ == CursorState::Edit || state_ == CursorState::Insert) && row == current_ &&
        pending_[size_t(field)].changed)
        return &pending_[size_t(field)];
    return nullptr;
}

bool Cursor::isNullAt(int row, int field) const
{
    if (field >= schema_.fieldCount())
        return displayTextAt(row, field).isEmpty();
    if (const Pending *p = pendingAt(row, field))
        return p->null;
    if (state_ == CursorState::Insert && row == current_)
        return true;
    const int storeRow = storeRowAt(row);
    return storeRow < 0 || store_->isNull(storeRow, field);
}

qint64 Cursor::numberAt(int row, int field) const
{
    if (const Pending *p = pendingAt(row, field))
        return p->number;
    if (state_ == CursorState::Insert && row == current_)
        return 0;
    const int storeRow = storeRowAt(row);
    return storeRow < 0 ? 0 : store_->integer(storeRow, field);
}

QString Cursor::textAt(int row, int field) const
{
    if (const Pending *p = pendingAt(row, field))
        return p->text;
    if (state_ == CursorState::Insert && row == current_)
        return {};
    const int storeRow = storeRowAt(row);
    return storeRow < 0 ? QString() : store_->text(storeRow, field);
}

void Cursor::forEachText(const QString &fieldName,
                         const std::function<void(qint64, std::string_view)> &visit) const
{
    requireOpen();
    const Field *f = findField(fieldName);
    const int key = schema_.keyIndex();
    if (!f || f->isLookup() || f->DataType() != FieldType::Text || key < 0)
        throw Error(
            QStringLiteral("В таблице «%1» нет текстового поля «%2»").arg(tableName(), fieldName));
    const int field = f->index();
    const RowStore &store = *store_;
    for (int row = 0; row < store.rowCount(); ++row) {
        if (store.isDeleted(row))
            continue;
        visit(store.integer(row, key),
              store.isNull(row, field) ? std::string_view() : store.utf8(row, field));
    }
}

bool Cursor::hasKey(qint64 key) const
{
    return isOpen() && store_->rowOfKey(key) >= 0;
}

QString Cursor::lookupText(int keyField, qint64 key, int resultField) const
{
    if (!isOpen())
        return {};
    int row = -1;
    if (keyField == schema_.keyIndex()) {
        row = store_->rowOfKey(key);
    } else {
        for (int r = 0; r < store_->rowCount() && row < 0; ++r)
            if (!store_->isDeleted(r) && !store_->isNull(r, keyField) &&
                store_->integer(r, keyField) == key)
                row = r;
    }
    if (row < 0 || store_->isNull(row, resultField))
        return {};
    if (schema_.field(resultField).type == FieldType::Text)
        return store_->text(row, resultField);
    return QString::number(store_->integer(row, resultField));
}

QString Cursor::displayTextAt(int row, int field) const
{
    if (!isOpen() || row < 0 || row >= displayRowCount())
        return {};
    const int stored = schema_.fieldCount();
    if (field >= stored) {
        const Lookup &lookup = lookups_[size_t(field - stored)];
        if (isNullAt(row, lookup.keyField))
            return {};
        return lookup.source
            ->lookupText(lookup.sourceKeyField, numberAt(row, lookup.keyField), lookup.resultField)
            .left(fields_[size_t(field)]->Size());
    }
    if (isNullAt(row, field))
        return {};
    switch (schema_.field(field).type) {
    case FieldType::Text:
        return textAt(row, field);
    case FieldType::Currency:
        return Currency::format(numberAt(row, field), Currency::systemDecimalSeparator());
    case FieldType::Blob:
        return QStringLiteral("(BLOB)");
    case FieldType::AutoInc:
    case FieldType::Integer:
        break;
    }
    return QString::number(numberAt(row, field));
}

QByteArray Cursor::readBlob(int storeRow, int field) const
{
    const int key = schema_.keyIndex();
    if (storeRow < 0 || key < 0 || store_->isNull(storeRow, field))
        return {};
    const std::optional<QByteArray> read =
        db_.readBlob(schema_, field, store_->integer(storeRow, key));
    const bool null = !read;
    const QByteArray bytes = read.value_or(QByteArray());
    // A post of this column compares the stored bytes with these.
    blobsRead_[field] = BlobRead{storeRow, null, bytes};
    return bytes;
}

QByteArray Cursor::bytesOf(int field) const
{
    if (const Pending *p = pendingAt(current_, field))
        return p->bytes;
    if (state_ == CursorState::Insert)
        return {};
    return readBlob(storeRowAt(current_), field);
}

void Cursor::write(int field, Pending value)
{
    requireOpen();
    requireEditing();
    CursorOperation operation(deferred_, busy_);
    value.changed = true;
    pending_[size_t(field)] = std::move(value);
    modified_ = true;
    notify(DataEventKind::RecordChanged, current_, field);
    operation.finish();
}
