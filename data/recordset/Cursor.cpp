#include "Cursor.h"

#include "Currency.h"
#include "CursorOperation.h"
#include "DataLink.h"
#include "Error.h"
#include "Store.h"
#include "TableSql.h"

#include <algorithm>

Cursor::Cursor(Store &store, TableSchema schema)
    : db_(store), declared_(std::move(schema)), schema_(declared_)
{
    for (const FieldDef &def : declared_.fields()) {
        if (!TableSql::isIdentifier(def.name))
            throw Error(QStringLiteral("Недопустимое имя поля «%1»").arg(def.name));
        fields_.push_back(std::unique_ptr<Field>(
            new Field(this, fieldCount(), def.name, def.type, def.size, false)));
        fields_.back()->setDisplayLabel(def.label);
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
    fields_.push_back(
        std::unique_ptr<Field>(new Field(this, fieldCount(), name, FieldType::Text, width, true)));
    return *fields_.back();
}

// --- opening and closing ---------------------------------------------------

void Cursor::loadRows(RowStore &store)
{
    readMark_ = db_.readAllMarked(schema_, store);
}

void Cursor::open()
{
    if (isOpen())
        return;
    CursorOperation operation(deferred_, busy_);
    db_.open();
    schema_ = db_.verified(declared_);
    for (int i = 0; i < schema_.fieldCount(); ++i)
        fields_[size_t(i)]->size_ = schema_.field(i).size;
    auto store = std::make_unique<RowStore>(schema_);
    loadRows(*store);
    store_ = std::move(store);
    columnOrders_ = std::make_unique<ColumnOrder>(*store_);
    blobsRead_.clear();
    orderValid_ = false;
    canModify_ = !db_.isReadOnly();
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
    columnOrders_.reset();
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
        throw Error(
            QStringLiteral("Таблица «%1» не открыта: действие невозможно").arg(tableName()));
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
