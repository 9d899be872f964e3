#include "Cursor.h"

#include "Currency.h"
#include "CursorOperation.h"
#include "Error.h"
#include "Transaction.h"

#include <algorithm>

// Appending, editing and posting the current row, deleting it, and reading
// the snapshot again.

// --- editing -----------------------------------------------------------------

void Cursor::Append()
{
    requireOpen();
    requireModifiable();
    CursorOperation operation(deferred_, busy_);
    postPending();
    beforeInsert_ = current_;
    pending_.assign(size_t(schema_.fieldCount()), Pending{});
    modified_ = false;
    state_ = CursorState::Insert;
    current_ = int(view_.size());
    eof_ = false;
    notify(DataEventKind::RowInserted, current_);
    notify(DataEventKind::StateChanged);
    notify(DataEventKind::Scrolled);
    if (afterInsert)
        afterInsert();
    operation.finish();
}

void Cursor::Edit()
{
    requireOpen();
    if (state_ == CursorState::Edit || state_ == CursorState::Insert)
        return;
    if (view_.empty()) {
        Append();
        return;
    }
    requireModifiable();
    CursorOperation operation(deferred_, busy_);
    pending_.assign(size_t(schema_.fieldCount()), Pending{});
    modified_ = false;
    state_ = CursorState::Edit;
    notify(DataEventKind::StateChanged);
    operation.finish();
}

void Cursor::Post()
{
    requireOpen();
    requireEditing();
    CursorOperation operation(deferred_, busy_);
    notify(DataEventKind::UpdateData);
    if (state_ == CursorState::Insert)
        insertRow();
    else
        updateRow();
    operation.finish();
}

void Cursor::insertRow()
{
    const int key = schema_.keyIndex();
    std::vector<StoreValue> values;
    for (int i = 0; i < schema_.fieldCount(); ++i)
        if (i != key)
            values.push_back(pending_[size_t(i)]);
    qint64 newKey = 0;
    {
        Transaction transaction(db_, postRoad_);
        newKey = writer_.insert(schema_, values);
        transaction.commit();
    }

    const int row = store_->appendRow();
    columnOrders_->forgetAll(); // the new row has a place in none yet
    for (int i = 0; i < schema_.fieldCount(); ++i) {
        if (i == key)
            store_->setInteger(row, i, newKey);
        else
            storePending(row, i);
    }
    view_.push_back(row);
    if (orderValid_)
        order_.push_back(row); // a new row stands last until the next sort
    current_ = int(view_.size()) - 1;
    pending_.assign(size_t(schema_.fieldCount()), Pending{});
    modified_ = false;
    state_ = CursorState::Browse;
    notify(DataEventKind::RecordChanged, current_);
    notify(DataEventKind::StateChanged);
}

void Cursor::storePending(int row, int field)
{
    const Pending &p = pending_[size_t(field)];
    columnOrders_->forget(field);
    // What this cursor wrote is what it last read.
    if (schema_.field(field).type == FieldType::Blob)
        blobsRead_[field] = BlobRead{row, p.null, p.bytes};
    if (p.null)
        store_->setNull(row, field);
    else if (schema_.field(field).type == FieldType::Text)
        store_->setText(row, field, p.text);
    else if (schema_.field(field).type == FieldType::Blob)
        store_->setInteger(row, field, p.bytes.size()); // the snapshot keeps only the size
    else
        store_->setInteger(row, field, p.number);
}

void Cursor::updateRow()
{
    const int row = view_[size_t(current_)];
    std::vector<int> changed;
    for (int i = 0; i < schema_.fieldCount(); ++i)
        if (pending_[size_t(i)].changed)
            changed.push_back(i);

    if (!changed.empty()) {
        const int key = schema_.keyIndex();
        if (key < 0)
            throw Error(QStringLiteral("В таблице «%1» нет ключа: изменить запись нельзя")
                            .arg(tableName()));
        std::vector<StoreValue> values;
        for (const int i : changed)
            values.push_back(pending_[size_t(i)]);
        // The row is locked before the comparison, so no other program can
        // change it between the comparison and the update.
        Transaction transaction(db_, postRoad_);
        const StoredRow stored = *writer_.update(
            schema_, store_->integer(row, key), changed, values, [&](const StoredRow &found) {
                std::vector<ColumnConflict> conflicts;
                for (const int i : changed)
                    if (!stillAsRead(row, i, found) && !pendingEquals(i, found))
                        conflicts.push_back(describeConflict(i, found));
                if (conflicts.empty())
                    return;
                // The other program's values are now the ones read: a second
                // post stores the user's input over them, a Cancel shows them.
                adoptStoredRow(row, found);
                notify(DataEventKind::RecordChanged, current_);
                throw ConflictError(std::move(conflicts));
            });
        transaction.commit();

        // Columns that another program changed and this post left alone
        // show as stored now.
        adoptStoredRow(row, stored);
        for (const int i : changed)
            storePending(row, i);
    }
    pending_.assign(size_t(schema_.fieldCount()), Pending{});
    modified_ = false;
    state_ = CursorState::Browse;
    notify(DataEventKind::RecordChanged, current_);
    notify(DataEventKind::StateChanged);
}

bool Cursor::stillAsRead(int row, int field, const StoredRow &stored) const
{
    const auto read = blobsRead_.find(field);
    const auto bytes = stored.blobs.find(field);
    // Photo bytes that were shown are compared whole; unseen ones by size.
    if (read != blobsRead_.end() && read->second.row == row && bytes != stored.blobs.end()) {
        const bool null = stored.values.isNull(0, field);
        return read->second.null == null && (null || read->second.bytes == bytes->second);
    }
    return store_->sameValue(row, field, stored.values, 0);
}

bool Cursor::pendingEquals(int field, const StoredRow &stored) const
{
    const Pending &p = pending_[size_t(field)];
    if (p.null || stored.values.isNull(0, field))
        return p.null == stored.values.isNull(0, field);
    switch (schema_.field(field).type) {
    case FieldType::Text:
        return stored.values.text(0, field) == p.text;
    case FieldType::Blob: {
        const auto bytes = stored.blobs.find(field);
        return bytes != stored.blobs.end() && bytes->second == p.bytes;
    }
    case FieldType::AutoInc:
    case FieldType::Integer:
    case FieldType::Currency:
        break;
    }
    return stored.values.integer(0, field) == p.number;
}

void Cursor::adoptStoredRow(int row, const StoredRow &stored)
{
    for (int i = 0; i < schema_.fieldCount(); ++i) {
        if (i == schema_.keyIndex())
            continue;
        if (!store_->sameValue(row, i, stored.values, 0))
            columnOrders_->forget(i);
        store_->copyValue(row, i, stored.values, 0);
        if (schema_.field(i).type != FieldType::Blob)
            continue;
        const auto bytes = stored.blobs.find(i);
        const auto read = blobsRead_.find(i);
        if (bytes != stored.blobs.end())
            blobsRead_[i] = BlobRead{row, stored.values.isNull(0, i), bytes->second};
        else if (read != blobsRead_.end() && read->second.row == row)
            blobsRead_.erase(read); // only its size was read again
    }
}

ColumnConflict Cursor::describeConflict(int field, const StoredRow &stored) const
{
    const Pending &p = pending_[size_t(field)];
    const QString label = fields_[size_t(field)]->DisplayLabel();
    if (schema_.field(field).type == FieldType::Blob) {
        const auto size = [](qint64 bytes) { return QStringLiteral("%1 байт").arg(bytes); };
        return {
            label,
            stored.values.isNull(0, field)
                ? QStringLiteral("пустое значение")
                : QStringLiteral("другие данные (%1)").arg(size(stored.values.integer(0, field))),
            p.null ? QStringLiteral("пустое значение")
                   : QStringLiteral("новые данные (%1)").arg(size(p.bytes.size()))};
    }
    const bool null = stored.values.isNull(0, field);
    const bool text = schema_.field(field).type == FieldType::Text;
    return {label,
            valueText(field, null, null || text ? 0 : stored.values.integer(0, field),
                      null || !text ? QString() : stored.values.text(0, field)),
            valueText(field, p.null, p.number, p.text)};
}

QString Cursor::valueText(int field, bool null, qint64 number, const QString &text) const
{
    if (null)
        return QStringLiteral("пустое значение");
    switch (schema_.field(field).type) {
    case FieldType::Text:
        return text.isEmpty() ? QStringLiteral("пустое значение")
                              : QStringLiteral("«%1»").arg(text);
    case FieldType::Currency:
        return Currency::format(number, Currency::systemDecimalSeparator());
    case FieldType::Blob:
    case FieldType::AutoInc:
    case FieldType::Integer:
        break;
    }
    // A reference key is told by the name the user sees for it.
    for (const Lookup &lookup : lookups_) {
        if (lookup.keyField != field)
            continue;
        const QString name =
            lookup.source->lookupText(lookup.sourceKeyField, number, lookup.resultField);
        if (!name.isEmpty())
            return QStringLiteral("«%1»").arg(name);
    }
    return QString::number(number);
}

void Cursor::Cancel()
{
    if (state_ != CursorState::Edit && state_ != CursorState::Insert)
        return;
    CursorOperation operation(deferred_, busy_);
    const bool inserting = state_ == CursorState::Insert;
    pending_.assign(size_t(schema_.fieldCount()), Pending{});
    modified_ = false;
    state_ = CursorState::Browse;
    if (inserting) {
        const int removed = int(view_.size());
        notify(DataEventKind::RowRemoving, removed);
        current_ = view_.empty() ? -1 : std::clamp(beforeInsert_, 0, int(view_.size()) - 1);
        eof_ = view_.empty(); // Append cleared it for the new row
        notify(DataEventKind::RowRemoved, removed);
        notify(DataEventKind::StateChanged);
        notify(DataEventKind::Scrolled);
    } else {
        notify(DataEventKind::RecordChanged, current_);
        notify(DataEventKind::StateChanged);
    }
    operation.finish();
}

void Cursor::Delete()
{
    requireOpen();
    CursorOperation operation(deferred_, busy_);
    if (state_ == CursorState::Insert) {
        Cancel();
        operation.finish();
        return;
    }
    Cancel();
    if (view_.empty())
        throw Error(QStringLiteral("В таблице «%1» нет записей для удаления").arg(tableName()));
    const int key = schema_.keyIndex();
    if (key < 0)
        throw Error(
            QStringLiteral("В таблице «%1» нет ключа: удалить запись нельзя").arg(tableName()));
    const int row = view_[size_t(current_)];
    {
        Transaction transaction(db_, removeRoad_);
        // A row that another program deleted first is gone all the same.
        writer_.remove(schema_, store_->integer(row, key));
        transaction.commit();
    }
    const int removed = current_;
    notify(DataEventKind::RowRemoving, removed);
    store_->setDeleted(row);
    view_.erase(size_t(removed));
    current_ = view_.empty() ? -1 : std::min(removed, int(view_.size()) - 1);
    notify(DataEventKind::RowRemoved, removed);
    setCurrent(current_);
    operation.finish();
}

void Cursor::Refresh()
{
    requireOpen();
    CursorOperation operation(deferred_, busy_);
    postPending();
    const int key = schema_.keyIndex();
    if (key < 0)
        throw Error(
            QStringLiteral("В таблице «%1» нет ключа: обновить данные нельзя").arg(tableName()));
    auto fresh = std::make_unique<RowStore>(schema_);
    readMark_ = db_.readAgain(schema_, *store_, readMark_, *fresh);

    // Keep exactly the rows of the snapshot: rows that another program added
    // stay unseen, rows that it deleted leave the view.
    std::vector<int> oldToNew(size_t(store_->rowCount()), -1);
    std::vector<bool> held(size_t(fresh->rowCount()), false);
    for (int row = 0; row < store_->rowCount(); ++row) {
        if (store_->isDeleted(row))
            continue;
        const int found = fresh->rowOfKey(store_->integer(row, key));
        oldToNew[size_t(row)] = found;
        if (found >= 0)
            held[size_t(found)] = true;
    }
    for (int row = 0; row < fresh->rowCount(); ++row)
        if (!held[size_t(row)])
            fresh->setDeleted(row);

    const int currentStoreRow = current_ >= 0 ? view_[size_t(current_)] : -1;
    LargeArray<int> view;
    view.reserve(view_.size());
    int newCurrent = -1;
    for (size_t i = 0; i < view_.size(); ++i) {
        const int mapped = oldToNew[size_t(view_[i])];
        if (mapped < 0)
            continue;
        if (view_[i] == currentStoreRow)
            newCurrent = int(view.size());
        if (current_ >= 0 && newCurrent < 0 && int(i) >= current_)
            newCurrent = int(view.size());
        view.push_back(mapped);
    }
    store_ = std::move(fresh);
    columnOrders_ = std::make_unique<ColumnOrder>(*store_);
    blobsRead_.clear(); // rows are numbered anew
    view_ = std::move(view);
    orderValid_ = false;
    if (newCurrent < 0)
        newCurrent = int(view_.size()) - 1;
    current_ = newCurrent;
    eof_ = view_.empty();
    notify(DataEventKind::DataSetChanged);
    notify(DataEventKind::Scrolled);
    operation.finish();
}
