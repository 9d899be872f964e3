#pragma once

#include "recordset/Store.h"
#include "recordset/TableSchema.h"

#include <QString>
#include <map>
#include <memory>

class Connection;
class ServerConnection;
class ServerCopyIn;
class Statement;

// Where a converted catalogue is written: its four tables made, the rows
// put in with their own keys, the key counters set, all in one transaction
// that is rolled back unless commit() runs.
class ConversionTarget
{
public:
    virtual ~ConversionTarget() = default;
    virtual void begin() = 0;
    // One row in the schema's column order, the key included.
    virtual void insert(const TableSchema &table, const std::vector<StoreValue> &row) = 0;
    // The next row added to the table later gets the key `next`.
    virtual void setNextKey(const TableSchema &table, qint64 next) = 0;
    // The store written to, between begin() and commit().
    virtual Store &store() = 0;
    virtual void commit() = 0;
};

// A new catalogue file; refused when the file exists.
class FileConversionTarget : public ConversionTarget
{
public:
    explicit FileConversionTarget(QString path);
    ~FileConversionTarget() override;

    void begin() override;
    void insert(const TableSchema &table, const std::vector<StoreValue> &row) override;
    void setNextKey(const TableSchema &table, qint64 next) override;
    Store &store() override;
    void commit() override;

private:
    QString path_;
    std::unique_ptr<Connection> connection_;
    std::map<QString, std::unique_ptr<Statement>> inserts_;
    bool open_ = false;
};

// The catalogue's tables on an empty server database, each table's rows sent
// by the server's bulk path (one COPY while rows of that table come).
class ServerConversionTarget : public ConversionTarget
{
public:
    explicit ServerConversionTarget(ServerConnection &server);
    ~ServerConversionTarget() override;

    void begin() override;
    void insert(const TableSchema &table, const std::vector<StoreValue> &row) override;
    void setNextKey(const TableSchema &table, qint64 next) override;
    Store &store() override;
    void commit() override;

private:
    // Ends the copy under way, if any, so that the connection takes commands.
    void finishCopy();

    ServerConnection &server_;
    std::unique_ptr<ServerCopyIn> copy_;
    QString copyTable_;
    bool open_ = false;
};
