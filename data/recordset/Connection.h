#pragma once

#include "Error.h"
#include "Store.h"

#include <QElapsedTimer>
#include <QString>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

class Statement;
struct sqlite3;

// The connection to a catalogue file: the store when the catalogue is kept
// on this computer. The file is opened by the name the caller gives (a bare
// name resolves against the current directory), for shared use with other
// programs, and is never created here.
class Connection : public Store
{
public:
    // How the file is opened: for the program's work, or only to read a
    // part of a snapshot beside another connection of this program, never
    // waiting for a lock.
    enum class Access { ReadWrite, ReadBeside };
    explicit Connection(QString fileName, Access access = Access::ReadWrite);
    ~Connection() override;
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens the file unless it is open already; throws Error when it cannot.
    void open() override;
    void close() override;
    bool isOpen() const override { return db_ != nullptr; }
    // True when the engine or the file system refuses writes to the file.
    bool isReadOnly() const override { return readOnly_; }
    QString name() const override { return fileName_; }

    TableSchema verified(const TableSchema &declared) override;
    void readAll(const TableSchema &schema, RowStore &rows) override;
    bool readRow(const TableSchema &schema, qint64 key, const std::vector<int> &withBytes,
                 bool lock, RowStore &rows, std::map<int, QByteArray> &bytes) override;
    std::optional<QByteArray> readBlob(const TableSchema &schema, int field, qint64 key) override;
    qint64 insert(const TableSchema &schema, const std::vector<StoreValue> &values) override;
    int update(const TableSchema &schema, qint64 key, const std::vector<int> &fields,
               const std::vector<StoreValue> &values) override;
    int remove(const TableSchema &schema, qint64 key) override;
    // BEGIN IMMEDIATE: the write lock at once, waiting for another program's
    // up to the busy timeout. A crash before COMMIT leaves the file as it was.
    void begin() override;
    void commit() override;
    void rollback() override;
    TableSql::Dialect dialect() const override { return TableSql::Dialect::File; }
    std::vector<QVariantList> run(const QByteArray &sql, const QVariantList &parameters = {}) override;

    const QString &fileName() const { return fileName_; }
    sqlite3 *handle() const { return db_; }

    // Throws the engine's failure `rc` as a StoreError with a message for the user.
    [[noreturn]] void raise(int rc) const;
    StoreError error(int rc) const;
    QString describe(int rc) const;
    // What the engine's result code `rc` means on any store.
    static StoreError::Kind kindOf(int rc);

    // How long a write waits for another program's lock before it gives up.
    static constexpr int BusyTimeoutMs = 3000;

private:
    void verifyIsDatabase();
    // A write statement prepared once and kept while open: a price list of
    // 100,000 lines writes as many rows through the same few. Found by the
    // table, the kind of write and the columns written; its text is made
    // only the first time.
    enum class Write { Insert, Update, Remove };
    template <typename MakeSql>
    Statement &prepared(const TableSchema &schema, Write kind, const std::vector<int> &fields,
                        MakeSql makeSql);

    QString fileName_;
    Access access_;
    sqlite3 *db_ = nullptr;
    bool readOnly_ = false;
    QElapsedTimer lockedOut_; // runs since opening last failed for another program's lock
    struct Prepared
    {
        std::vector<QString> columns; // of the schema it was made for
        std::unique_ptr<Statement> statement;
    };
    std::map<std::tuple<QString, Write, std::vector<int>>, Prepared> prepared_;
    std::map<QByteArray, std::unique_ptr<Statement>> kept_; // of run()
};
