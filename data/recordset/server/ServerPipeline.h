#pragma once

#include "ServerConnection.h"

#include <QByteArray>
#include <map>
#include <vector>

// Statements sent one after another without waiting for each answer (libpq's
// pipeline mode), a batch at a time, for bulk writes: a hundred thousand
// updates cost the server's work, not as many round trips. Meant for the
// inside of the caller's transaction; the first refusal ends the pipeline
// and is thrown by send() or finish(), the statements after it are not run.
class ServerPipeline
{
public:
    ServerPipeline(ServerConnection &server, const TableSchema &schema);
    ~ServerPipeline();
    ServerPipeline(const ServerPipeline &) = delete;
    ServerPipeline &operator=(const ServerPipeline &) = delete;

    void send(const QByteArray &sql, const std::vector<ServerConnection::Parameter> &parameters);
    // Waits for every answer.
    void finish();

    // Statements sent before their answers are collected: few enough that
    // their answers (some 30 bytes each) fit the sockets' buffers while the
    // statements are sent, as the server stops reading when it cannot write.
    static constexpr int BatchSize = 500;

private:
    void collect();
    void leave();
    void sync();

    ServerConnection &server_;
    const TableSchema &schema_;
    // Each statement's text is prepared once, under a name of its own on
    // this connection, and dropped at the end: planned once, not per row.
    std::map<QByteArray, QByteArray> prepared_;
    int waiting_ = 0;
    bool inPipeline_ = false;
};
