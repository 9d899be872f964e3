#pragma once

#include "ColumnOrder.h"
#include "DataEvent.h"
#include "Error.h"
#include "Field.h"
#include "FilterExpression.h"
#include "RowStore.h"
#include "RowWriter.h"
#include "Store.h"
#include "TableSchema.h"

#include <QVariant>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class DataLink;

enum class CursorState { Inactive, Browse, Edit, Insert };

// A cursor over one whole table: a snapshot taken when it opens, seen through
// an optional filter and sort, with one current row that can be edited in
// place. Every write is one transaction. Failures throw Error.
class Cursor
{
public:
    Cursor(Store &store, TableSchema schema);
    ~Cursor();
    Cursor(const Cursor &) = delete;
    Cursor &operator=(const Cursor &) = delete;

    // A computed text column: the `resultField` of the row of `source` whose
    // `sourceKeyField` equals this cursor's `keyField`, cut to `width`
    // characters. Searching never moves `source`. Add before opening.
    Field &addLookupField(const QString &name, int width, const QString &keyField, Cursor *source,
                          const QString &sourceKeyField, const QString &resultField);

    std::function<void()> afterOpen;
    std::function<void()> afterInsert;

    // How the store's witness names the writes of this cursor: its posts
    // and its deletes.
    void setRoads(QString post, QString remove)
    {
        postRoad_ = std::move(post);
        removeRoad_ = std::move(remove);
    }

    void open();
    void close();
    bool isOpen() const { return state_ != CursorState::Inactive; }
    CursorState State() const { return state_; }
    const QString &tableName() const { return declared_.table(); }

    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void First();
    void Next();
    bool Eof() const { return eof_; }
    bool Locate(const QString &fieldName, const QVariant &value);
    void Refresh();

    int RecordCount() const;
    bool CanModify() const { return isOpen() && canModify_; }
    bool Modified() const { return modified_; }
    int RecNo() const;

    const QString &Filter() const { return filterText_; }
    void setFilter(const QString &text);
    bool Filtered() const { return filtered_; }
    void setFiltered(bool on);

    const QString &Sort() const { return sortText_; }
    void setSort(const QString &text);
    // Forgets the filter and the sort of a closed cursor, so that it opens
    // as it did at first.
    void resetView();

    Field &FieldByName(const QString &name);
    Field *findField(const QString &name) const;
    Field &field(int index) const { return *fields_[size_t(index)]; }
    int fieldCount() const { return int(fields_.size()); }

    // The view as bound grids and reports walk it, without moving the
    // current row. Rows are 0-based; while a new row is being inserted it is
    // shown after the last one.
    int displayRowCount() const;
    int currentRow() const;
    void moveTo(int row);
    // Every live row of the whole snapshot, shown or filtered out, in the
    // table's own order: its key and the stored UTF-8 of the text column
    // `fieldName` (empty when null). A search that must tell a row the
    // filter hides from one that is not there walks this.
    void forEachText(const QString &fieldName,
                     const std::function<void(qint64 key, std::string_view utf8)> &visit) const;
    // True when the snapshot holds a live row with this key, shown or not.
    bool hasKey(qint64 key) const;
    QString displayTextAt(int row, int field) const;
    // The RecNo that a row reports while it is being painted: -1 while inserting.
    int recNoAt(int row) const;
    // A stored column's value at a view row: integers, keys, amounts in
    // ten-thousandths, a photo's size.
    bool isNullAt(int row, int field) const;
    qint64 numberAt(int row, int field) const;

    void attach(DataLink *link);
    void detach(DataLink *link);

    // While disabled, bound controls hear nothing (a post still collects
    // their input); once enabled again they catch up with the whole view.
    // A report walking thousands of rows does not drag the grid along.
    void DisableControls() { ++controlsDisabled_; }
    void EnableControls();

private:
    friend class Field;

    struct Pending : StoreValue
    {
        bool changed = false;
    };
    struct Lookup
    {
        int keyField;
        Cursor *source;
        int sourceKeyField;
        int resultField;
    };
    struct SortKey
    {
        int field = -1;
        bool descending = false;
    };
    // The photo bytes this cursor last read or wrote. The photo boxes read
    // the current row's on every move, so one per column is enough; it
    // shares its bytes with the box that shows them.
    struct BlobRead
    {
        int row = -1; // in the store
        bool null = true;
        QByteArray bytes;
    };
    // One row as the store holds it now; the bytes of the blob columns being written.
    using StoredRow = RowWriter::StoredRow;

    void requireOpen() const;
    void requireEditing() const;
    void requireModifiable() const;
    void postPending();
    void loadRows(RowStore &store);
    void rebuildView();
    void sortRows(LargeArray<int> &rows) const;
    // Sorts rows one by one with the collation, without a column order.
    void sortFew(LargeArray<int> &rows, int field, bool text, bool descending) const;
    void notify(DataEventKind kind, int row = -1, int field = -1);
    void setCurrent(int row);
    void applyFilter(const QString &text);
    SortKey parseSort(const QString &text) const;
    int locateRow(const Field &field, const QVariant &value) const;
    QString lookupText(int keyField, qint64 key, int resultField) const;
    QByteArray readBlob(int storeRow, int field) const;
    void insertRow();
    void updateRow();
    bool stillAsRead(int row, int field, const StoredRow &stored) const;
    bool pendingEquals(int field, const StoredRow &stored) const;
    void adoptStoredRow(int row, const StoredRow &stored);
    ColumnConflict describeConflict(int field, const StoredRow &stored) const;
    QString valueText(int field, bool null, qint64 number, const QString &text) const;
    void storePending(int row, int field);

    // Reading a value at a view row, through the pending change where one is.
    int storeRowAt(int row) const;
    const Pending *pendingAt(int row, int field) const;
    QString textAt(int row, int field) const;

    // The field operations, at the current row.
    void write(int field, Pending value);
    QByteArray bytesOf(int field) const;

    Store &db_;
    RowWriter writer_{db_};
    QString postRoad_, removeRoad_;
    TableSchema declared_;
    TableSchema schema_; // as the store has it, once open
    std::vector<std::unique_ptr<Field>> fields_;
    std::vector<Lookup> lookups_; // for fields_[schema field count + i]
    std::unique_ptr<RowStore> store_;
    // How far the snapshot's reading saw, for reading only what changed.
    QByteArray readMark_;
    LargeArray<int> view_;  // store rows, in view order
    LargeArray<int> order_; // all rows in sort order, deleted ones skipped when read
    // Each column's sorted rows, kept while the snapshot's values stay.
    mutable std::unique_ptr<ColumnOrder> columnOrders_;
    bool orderValid_ = false;
    std::vector<Pending> pending_;
    mutable std::map<int, BlobRead> blobsRead_; // by field
    std::vector<DataLink *> links_;

    CursorState state_ = CursorState::Inactive;
    int current_ = -1;      // view position; == view_.size() while inserting
    int beforeInsert_ = -1; // where to return when a new row is cancelled
    bool eof_ = true;
    bool modified_ = false;
    bool canModify_ = false;
    QString filterText_;
    bool filtered_ = false;
    FilterExpression filter_;
    QString sortText_;
    SortKey sort_;
    int controlsDisabled_ = 0;
    bool missedEvents_ = false;
    std::exception_ptr deferred_; // first listener failure of the running operation
    bool busy_ = false;           // an operation is running
};
