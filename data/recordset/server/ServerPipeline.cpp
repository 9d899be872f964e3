#include "ServerPipeline.h"

#include "ServerResult.h"

#include <atomic>
#include <libpq-fe.h>

ServerPipeline::ServerPipeline(ServerConnection &server, const TableSchema &schema)
    : server_(server), schema_(schema)
{
    if (PQenterPipelineMode(server_.handle()) != 1)
        server_.raise(ServerResult(), &schema_);
    inPipeline_ = true;
}

ServerPipeline::~ServerPipeline()
{
    if (!inPipeline_)
        return;
    // Left early (a fault of the caller's): the answers are taken so that
    // the connection takes commands again.
    try {
        if (waiting_ > 0 && PQpipelineSync(server_.handle()) == 1)
            collect();
    } catch (...) {
        // The refusal is the caller's transaction's to roll back.
    }
    leave();
}

void ServerPipeline::leave()
{
    if (inPipeline_) {
        inPipeline_ = false;
        PQexitPipelineMode(server_.handle());
    }
}

void ServerPipeline::send(const QByteArray &sql,
                          const std::vector<ServerConnection::Parameter> &parameters)
{
    const ServerConnection::ParameterArrays arrays(parameters);
    pg_conn *conn = server_.handle();
    QByteArray &name = prepared_[sql];
    if (name.isEmpty()) {
        static std::atomic<quint64> statements{0};
        name = "autoparts_bulk_" + QByteArray::number(++statements);
        if (PQsendPrepare(conn, name.constData(), sql.constData(), int(parameters.size()),
                          nullptr) != 1) {
            leave();
            server_.raise(ServerResult(), &schema_);
        }
        ++waiting_;
    }
    if (PQsendQueryPrepared(conn, name.constData(), int(parameters.size()), arrays.values.data(),
                            arrays.lengths.data(), arrays.formats.data(), 0) != 1) {
        leave();
        server_.raise(ServerResult(), &schema_);
    }
    if (++waiting_ >= BatchSize)
        sync();
}

void ServerPipeline::sync()
{
    if (PQpipelineSync(server_.handle()) != 1) {
        leave();
        server_.raise(ServerResult(), &schema_);
    }
    collect();
}

void ServerPipeline::collect()
{
    // Each statement's answer ends with a null; the batch, with the sync.
    pg_conn *conn = server_.handle();
    ServerResult refusal;
    bool refused = false;
    for (; waiting_ > 0; --waiting_) {
        while (PGresult *result = PQgetResult(conn)) {
            const ExecStatusType status = PQresultStatus(result);
            if (!refused && status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK &&
                status != PGRES_PIPELINE_ABORTED) {
                refusal = ServerResult(result);
                refused = true;
            } else {
                PQclear(result);
            }
        }
        if (PQstatus(conn) != CONNECTION_OK)
            break;
    }
    waiting_ = 0;
    if (PQstatus(conn) == CONNECTION_OK) {
        ServerResult sync(PQgetResult(conn));
        if (!refused && (!sync.get() || PQresultStatus(sync.get()) != PGRES_PIPELINE_SYNC)) {
            refusal = std::move(sync);
            refused = true;
        }
    } else if (!refused) {
        refused = true;
    }
    if (refused) {
        leave();
        server_.raise(refusal, &schema_);
    }
}

void ServerPipeline::finish()
{
    // The prepared statements go with the last batch. After a refusal they
    // stay on the connection, unused: the next pipeline takes new names.
    for (const auto &[sql, name] : prepared_) {
        const QByteArray deallocate = "DEALLOCATE " + name;
        if (PQsendQueryParams(server_.handle(), deallocate.constData(), 0, nullptr, nullptr,
                              nullptr, nullptr, 0) != 1) {
            leave();
            server_.raise(ServerResult(), &schema_);
        }
        ++waiting_;
    }
    prepared_.clear();
    if (waiting_ > 0)
        sync();
    leave();
}
