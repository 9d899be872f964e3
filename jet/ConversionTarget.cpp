#include "ConversionTarget.h"

#include "CatalogueSchema.h"
#include "ServerCatalogue.h"
#include "recordset/Connection.h"
#include "recordset/Statement.h"
#include "recordset/TableSql.h"
#include "recordset/server/ServerConnection.h"
#include "recordset/server/ServerCopyIn.h"

namespace {

// The engine keeps the largest key it ever gave per table; the next new
// row gets one more.
constexpr const char *kSetSequenceSql = "UPDATE sqlite_sequence SET seq = ?1 WHERE name = ?2";
constexpr const char *kAddSequenceSql = "INSERT INTO sqlite_sequence (name, seq) VALUES (?2, ?1)";

} // namespace

FileConversionTarget::FileConversionTarget(QString path) : path_(std::move(path)) {}

FileConversionTarget::~FileConversionTarget()
{
    inserts_.clear();
    if (connection_) {
        if (open_)
            connection_->rollback();
        connection_->close();
    }
}

void FileConversionTarget::begin()
{
    CatalogueSchema::create(path_);
    connection_ = std::make_unique<Connection>(path_);
    connection_->begin();
    open_ = true;
}

void FileConversionTarget::insert(const TableSchema &table, const std::vector<StoreValue> &row)
{
    std::unique_ptr<Statement> &insert = inserts_[table.table()];
    if (!insert)
        insert = std::make_unique<Statement>(*connection_, TableSql(table).insert(true));
    for (int i = 0; i < table.fieldCount(); ++i) {
        const StoreValue &value = row[size_t(i)];
        const int parameter = i + 1;
        if (value.null)
            insert->bindNull(parameter);
        else if (table.field(i).type == FieldType::Text)
            insert->bindText(parameter, value.text);
        else if (table.field(i).type == FieldType::Blob)
            insert->bindBlob(parameter, value.bytes);
        else if (table.field(i).type == FieldType::Currency)
            insert->bindCurrency(parameter, value.number);
        else
            insert->bindInteger(parameter, value.number);
    }
    insert->step();
    insert->reset();
}

void FileConversionTarget::setNextKey(const TableSchema &table, qint64 next)
{
    for (const char *sql : {kSetSequenceSql, kAddSequenceSql}) {
        Statement statement(*connection_, sql);
        statement.bindInteger(1, next - 1);
        statement.bindText(2, table.table());
        statement.step();
        if (statement.changes() > 0)
            return;
    }
}

Store &FileConversionTarget::store()
{
    return *connection_;
}

void FileConversionTarget::commit()
{
    inserts_.clear();
    connection_->commit();
    open_ = false;
    connection_->close();
}

ServerConversionTarget::ServerConversionTarget(ServerConnection &server) : server_(server) {}

ServerConversionTarget::~ServerConversionTarget()
{
    copy_.reset(); // abandoned unless finished
    if (open_) {
        try {
            server_.rollback();
        } catch (...) {
            // The server rolls back by itself when the connection is gone.
        }
    }
}

void ServerConversionTarget::begin()
{
    server_.open();
    server_.begin();
    open_ = true;
    ServerCatalogue::createTables(server_);
}

void ServerConversionTarget::finishCopy()
{
    if (!copy_)
        return;
    // Cleared first: a refused copy is over all the same.
    const std::unique_ptr<ServerCopyIn> copy = std::move(copy_);
    copyTable_.clear();
    copy->finish();
}

void ServerConversionTarget::insert(const TableSchema &table, const std::vector<StoreValue> &row)
{
    if (copyTable_ != table.table()) {
        finishCopy();
        copy_ = std::make_unique<ServerCopyIn>(server_, table);
        copyTable_ = table.table();
    }
    copy_->addRow(row);
}

void ServerConversionTarget::setNextKey(const TableSchema &table, qint64 next)
{
    finishCopy();
    ServerCatalogue::setNextKey(server_, table, next);
}

Store &ServerConversionTarget::store()
{
    finishCopy();
    return server_;
}

void ServerConversionTarget::commit()
{
    finishCopy();
    server_.commit();
    open_ = false;
}
