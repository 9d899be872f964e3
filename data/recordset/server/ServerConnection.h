#pragma once

#include "../Store.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

class ServerResult;
struct pg_conn;

// The connection to a catalogue kept on a PostgreSQL server, named by a
// libpq connection string ("postgresql://shop@server/autoparts",
// "service=autoparts"; passwords come from ~/.pgpass or the service file as
// libpq reads them). A lost connection is closed at once and made again by
// the next operation; what was running fails and nothing is half written.
class ServerConnection : public Store
{
public:
    explicit ServerConnection(QString connectionString);
    ~ServerConnection() override;
    ServerConnection(const ServerConnection &) = delete;
    ServerConnection &operator=(const ServerConnection &) = delete;

    void open() override;
    void close() override;
    bool isOpen() const override { return conn_ != nullptr; }
    bool isReadOnly() const override { return readOnly_; }
    QString name() const override { return name_; }

    TableSchema verified(const TableSchema &declared) override;
    void readAll(const TableSchema &schema, RowStore &rows) override;
    QByteArray readAllMarked(const TableSchema &schema, RowStore &rows) override;
    QByteArray readAgain(const TableSchema &schema, const RowStore &last, const QByteArray &mark,
                         RowStore &rows) override;
    bool readRow(const TableSchema &schema, qint64 key, const std::vector<int> &withBytes,
                 bool lock, RowStore &rows, std::map<int, QByteArray> &bytes) override;
    std::optional<QByteArray> readBlob(const TableSchema &schema, int field, qint64 key) override;
    qint64 insert(const TableSchema &schema, const std::vector<StoreValue> &values) override;
    int update(const TableSchema &schema, qint64 key, const std::vector<int> &fields,
               const std::vector<StoreValue> &values) override;
    int remove(const TableSchema &schema, qint64 key) override;
    void updateMany(const TableSchema &schema, const std::vector<RowChange> &changes) override;
    void insertMany(const TableSchema &schema,
                    const std::vector<std::vector<StoreValue>> &rows) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    TableSql::Dialect dialect() const override { return TableSql::Dialect::Server; }
    std::vector<QVariantList> run(const QByteArray &sql,
                                  const QVariantList &parameters = {}) override;

    // A parameter in the server's text form, or NULL; bytes go as they are.
    struct Parameter
    {
        std::optional<QByteArray> value;
        bool binary = false;
    };
    static Parameter parameter(FieldType type, const StoreValue &value);
    // The three arrays libpq takes for a statement's parameters; they point
    // into `parameters`, which must outlive them.
    struct ParameterArrays
    {
        explicit ParameterArrays(const std::vector<Parameter> &parameters);
        std::vector<const char *> values;
        std::vector<int> lengths, formats;
    };
    // Runs one statement; a refusal throws StoreError, told in terms of
    // `schema` where one is given. With `binary`, values come as raw bytes.
    ServerResult execute(const QByteArray &sql, const std::vector<Parameter> &parameters = {},
                         const TableSchema *schema = nullptr, bool binary = false);

    // How messages name the database of a connection string: its name and
    // server, never a password.
    static QString describeTarget(const QString &connectionString);

    // How long a write waits for a row that another workstation holds.
    static constexpr int LockTimeoutMs = 3000;

    // The libpq connection, opened if need be, for the bulk paths (COPY,
    // pipelines) that talk to it directly.
    pg_conn *handle();
    // Throws the StoreError for a failed result (none: the connection broke
    // off), told in terms of `schema` where one is given.
    [[noreturn]] void raise(const ServerResult &result, const TableSchema *schema);

private:
    [[noreturn]] void raiseConnectFailure(const QString &detail);

    QString connectionString_;
    QString name_;
    pg_conn *conn_ = nullptr;
    bool readOnly_ = false;
};
