#pragma once

#include "TableSchema.h"
#include "TableSql.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class RowStore;
class Store;

// Sees every write transaction of a store: what road it comes by, when it
// begins and when it is about to commit, and the blobs it replaces. The
// journal stands here; the stores and the cursors know nothing of it.
class WriteWitness
{
public:
    virtual ~WriteWitness() = default;
    virtual void begun(Store &store, const QString &road) = 0;
    virtual void committing(Store &store) = 0;
    // A blob column of a row was written: its bytes before (empty: none)
    // and after.
    virtual void blobWritten(Store &store, const TableSchema &schema, qint64 key,
                             const QByteArray &before, const QByteArray &after) = 0;
};

// One value as it goes into the store: a number is an integer, a key or an
// amount in ten-thousandths, as the column's type says.
struct StoreValue
{
    bool null = true;
    qint64 number = 0;
    QString text;
    QByteArray bytes;
};

// Where the catalogue is kept: a file or a database server. Cursors reach
// the rows only through these operations, so nothing above them knows which
// store it is. Every failure throws Error (a StoreError for the engine's
// refusals) with a message a shop user can read; a store that lost its
// connection connects again on the next operation.
class Store
{
public:
    virtual ~Store() = default;

    // Connects unless connected; throws Error when it cannot.
    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // True when the store refuses writes.
    virtual bool isReadOnly() const = 0;
    // How messages name the catalogue: its file, or its database on the
    // server (never with a password).
    virtual QString name() const = 0;

    // Checks the table as the store has it; returns the schema with the
    // store's text widths, or throws Error naming the table and column.
    virtual TableSchema verified(const TableSchema &declared) = 0;

    // Every row in key order into `rows`; blobs only by their size.
    virtual void readAll(const TableSchema &schema, RowStore &rows) = 0;
    // readAll, and a mark of how far the reading saw, for readAgain; empty
    // where the store keeps no versions of its rows.
    virtual QByteArray readAllMarked(const TableSchema &schema, RowStore &rows)
    {
        readAll(schema, rows);
        return {};
    }
    // The rows of an earlier reading (`last`, made with `mark`) as they now
    // stand, into `rows` in key order: changed rows with their new values,
    // deleted ones left out; rows added since may be left out too. A store
    // that can tell which rows changed reads only those (and the keys);
    // others read everything. Returns the mark for the next time.
    virtual QByteArray readAgain(const TableSchema &schema, const RowStore &last,
                                 const QByteArray &mark, RowStore &rows)
    {
        Q_UNUSED(last)
        Q_UNUSED(mark)
        return readAllMarked(schema, rows);
    }
    // The row whose key is `key` appended to `rows`, blobs by their size,
    // and the bytes of the blob columns in `withBytes` into `bytes`. With
    // `lock`, inside a transaction, no one else can change the row until it
    // ends (waiting for another's lock as long as the store allows). False
    // when there is no such row.
    virtual bool readRow(const TableSchema &schema, qint64 key, const std::vector<int> &withBytes,
                         bool lock, RowStore &rows, std::map<int, QByteArray> &bytes) = 0;
    // One blob; none when it is NULL or the row is gone.
    virtual std::optional<QByteArray> readBlob(const TableSchema &schema, int field,
                                               qint64 key) = 0;

    // A new row of every column but the key, in column order; returns the
    // key that the store gave it.
    virtual qint64 insert(const TableSchema &schema, const std::vector<StoreValue> &values) = 0;
    // Sets `fields` of the row whose key is `key`; returns the rows changed.
    virtual int update(const TableSchema &schema, qint64 key, const std::vector<int> &fields,
                       const std::vector<StoreValue> &values) = 0;
    // Returns the rows deleted (0 when another program deleted it first).
    virtual int remove(const TableSchema &schema, qint64 key) = 0;

    // Bulk writes (a price list): many changes or many new rows (every column
    // but the key), each made as update() or insert() makes it and in this
    // order, but neither the rows changed nor the new keys are told, so a
    // store may send them without waiting for each answer.
    struct RowChange
    {
        qint64 key = 0;
        std::vector<int> fields;
        std::vector<StoreValue> values;
    };
    virtual void updateMany(const TableSchema &schema, const std::vector<RowChange> &changes)
    {
        for (const RowChange &change : changes)
            update(schema, change.key, change.fields, change.values);
    }
    virtual void insertMany(const TableSchema &schema,
                            const std::vector<std::vector<StoreValue>> &rows)
    {
        for (const std::vector<StoreValue> &row : rows)
            insert(schema, row);
    }

    // One transaction at a time; begin takes the right to write at once
    // where the store knows such a thing.
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;

    // The language of the store's statements.
    virtual TableSql::Dialect dialect() const = 0;
    // Runs one statement of the store's dialect, for the tables that only
    // the program's own subsystems keep (the journal): parameters ?1, ?2 or
    // $1, $2 bound from null, qint64, double, QString or QByteArray values;
    // returns the rows in the same types.
    virtual std::vector<QVariantList> run(const QByteArray &sql,
                                          const QVariantList &parameters = {}) = 0;

    void setWitness(std::shared_ptr<WriteWitness> witness) { witness_ = std::move(witness); }
    WriteWitness *witness() const { return witness_.get(); }

    // The setting that puts the catalogue on a server: a libpq connection
    // string. Unset or empty, the catalogue is the file.
    static constexpr const char *ServerVariable = "AUTOPARTS_DATABASE";

private:
    std::shared_ptr<WriteWitness> witness_;
};
