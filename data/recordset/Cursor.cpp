#include "Cursor.h"

#include "Collation.h"
#include "Connection.h"
#include "Currency.h"
#include "DataLink.h"
#include "Error.h"
#include "Statement.h"
#include "TableSql.h"
#include "Transaction.h"

#include <algorithm>


// Listener failures (a photo that does not decode, say) must not leave the
// cursor half-moved: they are held until the outermost operation has finished
// its work, then the first one is thrown.
class CursorOperation
{
public:
    CursorOperation(std::exception_ptr &deferred, bool &busy)
        : deferred_(deferred), busy_(busy), outer_(!busy)
    {
        busy_ = true;
    }
    ~CursorOperation()
    {
        if (outer_) {
            busy_ = false;
            deferred_ = nullptr;
        }
    }
    void finish()
    {
        if (outer_ && deferred_) {
            std::exception_ptr error = std::exchange(deferred_, nullptr);
            std::rethrow_exception(error);
        }
    }

private:
    std::exception_ptr &deferred_;
    bool &busy_;
    bool outer_;
};



Cursor::Cursor(Connection &connection, TableSchema schema)
    : connection_(connection), declared_(std::move(schema)), schema_(declared_)
{
    for (const FieldDef &def : declared_.fields()) {
        if (!TableSql::isIdentifier(def.name))
            throw Error(QStringLiteral("Недопустимое имя поля «%1»").arg(def.name));
        fields_.push_back(std::unique_ptr<Field>(
            new Field(this, fieldCount(), def.name, def.type, def.size, false)));
    }
    if (!TableSql::isIdentifier(declared_.table()))
        throw Error(QStringLiteral("Недопустимое имя таблицы «%1»").arg(declared_.table()));
}

Cursor::~Cursor()
{
    for (DataLink *link : links_)
        link->cursor_ = nullptr;
}

Field &Cursor::addLookupField(const QString &name, int width, const QString &keyField,
                              Cursor *source, const QString &sourceKeyField,
                              const QString &resultField)
{
    const int key = declared_.indexOf(keyField);
    const int sourceKey = source->declared_.indexOf(sourceKeyField);
    const int result = source->declared_.indexOf(resultField);
    if (key < 0 || sourceKey < 0 || result < 0)
        throw Error(QStringLiteral("Неверное описание поля подстановки «%1»").arg(name));
    lookups_.push_back(Lookup{key, source, sourceKey, result});
    fields_.push_back(std::unique_ptr<Field>(
        new Field(this, fieldCount(), name, FieldType::Text, width, true)));
    return *fields_.back();
}

// --- opening and closing ---------------------------------------------------

void Cursor::loadRows(RowStore &store) const
{
    const TableSql sql(schema_);
    Statement query(connection_, sql.selectAll());
    while (query.step())
        sql.readRow(query, store, store.appendRow());
}

void Cursor::open()
{
    if (isOpen())
        return;
    CursorOperation operation(deferred_, busy_);
    connection_.open();
    schema_ = declared_.verified(connection_);
    for (int i = 0; i < schema_.fieldCount(); ++i)
        fields_[size_t(i)]->size_ = schema_.field(i).size;
    auto store = std::make_unique<RowStore>(schema_);
    loadRows(*store);
    store_ = std::move(store);
    blobsRead_.clear();
    orderValid_ = false;
    canModify_ = !connection_.isReadOnly();
    pending_.assign(size_t(schema_.fieldCount()), Pending{});
    modified_ = false;
    state_ = CursorState::Browse;

    // A filter or sort set while closed takes effect now; a text that no
    // longer fits the table is dropped rather than keeping the cursor shut.
    std::exception_ptr rejected;
    try {
        sort_ = parseSort(sortText_);
    } catch (const Error &) {
        sort_ = SortKey{};
        rejected = std::current_exception();
    }
    if (filtered_) {
        try {
            filter_ = FilterExpression(filterText_, schema_);
        } catch (const Error &) {
            filtered_ = false;
            filter_ = FilterExpression();
            rejected = std::current_exception();
        }
    }
    rebuildView();
    current_ = view_.empty() ? -1 : 0;
    eof_ = view_.empty();
    notify(DataEventKind::ActiveChanged);
    if (afterOpen)
        afterOpen();
    operation.finish();
    if (rejected)
        std::rethrow_exception(rejected);
}

void Cursor::close()
{
    if (!isOpen())
        return;
    CursorOperation operation(deferred_, busy_);
    state_ = CursorState::Inactive;
    store_.reset();
    blobsRead_.clear();
    view_.clear();
    pending_.clear();
    current_ = -1;
    eof_ = true;
    modified_ = false;
    notify(DataEventKind::ActiveChanged);
    operation.finish();
}

// --- checks ----------------------------------------------------------------

void Cursor::requireOpen() const
{
    if (!isOpen())
        throw Error(QStringLiteral("Таблица «%1» не открыта: действие невозможно")
                        .arg(tableName()));
}

void Cursor::requireEditing() const
{
    if (state_ != CursorState::Edit && state_ != CursorState::Insert)
        throw Error(QStringLiteral("Таблица «%1» не находится в режиме правки или добавления "
                                   "записи")
                        .arg(tableName()));
}

void Cursor::requireModifiable() const
{
    if (!canModify_)
        throw Error(QStringLiteral("Таблицу «%1» нельзя изменять: база данных доступна только "
                                   "для чтения")
                        .arg(tableName()));
}

void Cursor::postPending()
{
    if (state_ == CursorState::Edit || state_ == CursorState::Insert)
        Post();
}

// --- listeners ---------------------------------------------------------------

void Cursor::attach(DataLink *link)
{
    links_.push_back(link);
    link->cursor_ = this;
}

void Cursor::detach(DataLink *link)
{
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
    link->cursor_ = nullptr;
}

void Cursor::EnableControls()
{
    if (controlsDisabled_ == 0 || --controlsDisabled_ > 0 || !missedEvents_)
        return;
    missedEvents_ = false;
    CursorOperation operation(deferred_, busy_);
    notify(DataEventKind::DataSetChanged);
    notify(DataEventKind::Scrolled);
    operation.finish();
}

void Cursor::notify(DataEventKind kind, int row, int field)
{
    if (controlsDisabled_ > 0 && kind != DataEventKind::UpdateData) {
        missedEvents_ = true;
        return;
    }
    const DataEvent event{kind, row, field};
    const std::vector<DataLink *> links = links_; // a listener may detach
    for (DataLink *link : links) {
        if (std::find(links_.begin(), links_.end(), link) == links_.end())
            continue;
        if (kind == DataEventKind::UpdateData) {
            link->dataEvent(event); // a refusal stops the post
            continue;
        }
        try {
            link->dataEvent(event);
        } catch (...) {
            if (!deferred_)
                deferred_ = std::current_exception();
        }
    }
}

// --- moving ------------------------------------------------------------------

int Cursor::RecordCount() const
{
    requireOpen();
    return int(view_.size());
}

int Cursor::RecNo() const
{
    if (!isOpen() || state_ == CursorState::Insert || view_.empty())
        return -1;
    return current_ + 1;
}

int Cursor::displayRowCount() const
{
    if (!isOpen())
        return 0;
    return int(view_.size()) + (state_ == CursorState::Insert ? 1 : 0);
}

int Cursor::currentRow() const
{
    return current_;
}

int Cursor::recNoAt(int row) const
{
    if (!isOpen() || state_ == CursorState::Insert || row < 0 || row >= int(view_.size()))
        return -1;
    return row + 1;
}

void Cursor::setCurrent(int row)
{
    current_ = row;
    eof_ = view_.empty();
    notify(DataEventKind::Scrolled);
}

void Cursor::moveTo(int row)
{
    requireOpen();
    if (row == current_)
        return;
    CursorOperation operation(deferred_, busy_);
    postPending();
    if (view_.empty())
        return;
    setCurrent(std::clamp(row, 0, int(view_.size()) - 1));
    operation.finish();
}

void Cursor::First()
{
    requireOpen();
    CursorOperation operation(deferred_, busy_);
    postPending();
    setCurrent(view_.empty() ? -1 : 0);
    operation.finish();
}

void Cursor::Next()
{
    requireOpen();
    CursorOperation operation(deferred_, busy_);
    postPending();
    if (current_ + 1 < int(view_.size())) {
        setCurrent(current_ + 1);
    } else {
        eof_ = true;
    }
    operation.finish();
}

bool Cursor::Locate(const QString &fieldName, const QVariant &value)
{
    requireOpen();
    const Field &f = FieldByName(fieldName);
    CursorOperation operation(deferred_, busy_);
    postPending();
    const int row = locateRow(f, value);
    if (row >= 0) {
        if (row != current_)
            setCurrent(row);
        eof_ = false;
    }
    operation.finish();
    return row >= 0;
}

int Cursor::locateRow(const Field &f, const QVariant &value) const
{
    const int index = f.index();
    // A key is found through the store's key order: the lookup boxes locate
    // their reference row on every move of the goods cursor.
    if (index == schema_.keyIndex() && !value.isNull()) {
        bool ok = false;
        const qint64 key = value.toLongLong(&ok);
        const int storeRow = ok ? store_->rowOfKey(key) : -1;
        if (storeRow < 0)
            return -1;
        const auto at = std::find(view_.begin(), view_.end(), storeRow);
        return at == view_.end() ? -1 : int(at - view_.begin());
    }
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    const QString text = value.toString();
    const auto equals = [&](int row) -> bool {
        if (value.isNull())
            return isNullAt(row, index);
        if (f.isLookup())
            return displayTextAt(row, index) == text;
        if (isNullAt(row, index))
            return false;
        switch (f.DataType()) {
        case FieldType::Text:
            return textAt(row, index) == text;
        case FieldType::Currency: {
            const auto wanted = Currency::parse(text, Currency::systemDecimalSeparator());
            return wanted && *wanted == numberAt(row, index);
        }
        case FieldType::Blob:
            return false;
        default:
            return ok && number == numberAt(row, index);
        }
    };
    for (int row = 0; row < int(view_.size()); ++row)
        if (equals(row))
            return row;
    return -1;
}

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
    const QByteArray sql = TableSql(schema_).insert();
    int parameter = 0;
    qint64 newKey = 0;
    {
        Transaction transaction(connection_);
        Statement insert(connection_, sql);
        for (int i = 0; i < schema_.fieldCount(); ++i) {
            if (i == key)
                continue;
            bindPending(insert, ++parameter, i);
        }
        insert.step();
        newKey = insert.lastInsertRowId();
        transaction.commit();
    }

    const int row = store_->appendRow();
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

void Cursor::bindPending(Statement &statement, int parameter, int field) const
{
    const Pending &p = pending_[size_t(field)];
    if (p.null)
        statement.bindNull(parameter);
    else if (schema_.field(field).type == FieldType::Text)
        statement.bindText(parameter, p.text);
    else if (schema_.field(field).type == FieldType::Blob)
        statement.bindBlob(parameter, p.bytes);
    else if (schema_.field(field).type == FieldType::Currency)
        statement.bindCurrency(parameter, p.number);
    else
        statement.bindInteger(parameter, p.number);
}

void Cursor::storePending(int row, int field)
{
    const Pending &p = pending_[size_t(field)];
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
        const TableSql sql(schema_);
        // The write lock is taken first, so no other program can change the
        // row between the comparison below and the update.
        Transaction transaction(connection_);
        const StoredRow stored = readStoredRow(store_->integer(row, key), changed);
        std::vector<ColumnConflict> conflicts;
        for (const int i : changed)
            if (!stillAsRead(row, i, stored) && !pendingEquals(i, stored))
                conflicts.push_back(describeConflict(i, stored));
        if (!conflicts.empty()) {
            // The other program's values are now the ones read: a second
            // post stores the user's input over them, a Cancel shows them.
            adoptStoredRow(row, stored);
            notify(DataEventKind::RecordChanged, current_);
            throw ConflictError(std::move(conflicts));
        }

        Statement update(connection_, sql.update(changed));
        int parameter = 0;
        for (const int i : changed)
            bindPending(update, ++parameter, i);
        update.bindInteger(parameter + 1, store_->integer(row, key));
        update.step();
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

Cursor::StoredRow Cursor::readStoredRow(qint64 key, const std::vector<int> &written) const
{
    StoredRow stored{RowStore(schema_), {}};
    std::vector<int> blobs;
    for (const int i : written)
        if (schema_.field(i).type == FieldType::Blob)
            blobs.push_back(i);
    const TableSql sql(schema_);
    Statement read(connection_, sql.selectRow(blobs));
    read.bindInteger(1, key);
    // The row is gone when another program deleted it meanwhile: say so
    // rather than create it anew.
    if (!read.step())
        throw Error(QStringLiteral("Запись не найдена в таблице «%1»: её, видимо, удалила "
                                   "другая программа. Изменения не сохранены.")
                        .arg(tableName()));
    sql.readRow(read, stored.values, stored.values.appendRow());
    for (const int i : blobs)
        stored.blobs[i] = read.isNull(i) ? QByteArray() : read.blob(i);
    return stored;
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
        throw Error(QStringLiteral("В таблице «%1» нет ключа: удалить запись нельзя")
                        .arg(tableName()));
    const int row = view_[size_t(current_)];
    {
        Transaction transaction(connection_);
        Statement remove(connection_, TableSql(schema_).remove());
        remove.bindInteger(1, store_->integer(row, key));
        remove.step(); // a row that another program deleted first is gone all the same
        transaction.commit();
    }
    const int removed = current_;
    notify(DataEventKind::RowRemoving, removed);
    store_->setDeleted(row);
    view_.erase(view_.begin() + removed);
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
        throw Error(QStringLiteral("В таблице «%1» нет ключа: обновить данные нельзя")
                        .arg(tableName()));
    auto fresh = std::make_unique<RowStore>(schema_);
    loadRows(*fresh);

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
    std::vector<int> view;
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

// --- filter and sort -----------------------------------------------------------

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
        throw Error(QStringLiteral("Поле «%1» не найдено в таблице «%2»")
                        .arg(words[0], tableName()));
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

void Cursor::sortRows(std::vector<int> &rows) const
{
    const RowStore &store = *store_;
    const int field = sort_.field;
    const bool descending = sort_.descending;
    // Rows are held in the table's own order, which is key order as long as
    // the store says so: then sorting by the key needs no comparisons.
    if (field < 0 || (field == schema_.keyIndex() && store.keysAscending())) {
        if (!std::is_sorted(rows.begin(), rows.end()))
            std::sort(rows.begin(), rows.end());
        if (field >= 0 && descending)
            std::reverse(rows.begin(), rows.end());
        return;
    }
    const bool text = schema_.field(field).type == FieldType::Text;
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
    Statement query(connection_, TableSql(schema_).selectBlob(field));
    query.bindInteger(1, store_->integer(storeRow, key));
    const bool found = query.step();
    const bool null = !found || query.isNull(0);
    const QByteArray bytes = null ? QByteArray() : query.blob(0);
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
