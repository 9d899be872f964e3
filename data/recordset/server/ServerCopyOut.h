#pragma once

#include "../TableSchema.h"

#include <QByteArray>
#include <string>
#include <string_view>

class RowStore;
class ServerConnection;

// The rows of a query read by the server's bulk path, COPY (...) TO STDOUT in
// the binary form, straight into a snapshot: each row is taken as it comes
// and its message freed, so no second copy of the whole result is ever held,
// and numbers arrive as numbers. The query's columns are the schema's, a
// blob's by its size (an integer).
class ServerCopyOut
{
public:
    ServerCopyOut(const TableSchema &schema, RowStore &rows) : schema_(schema), rows_(rows) {}

    // Runs `select` and appends what it gives to the rows.
    void read(ServerConnection &server, const QByteArray &select);

    // The stream as the server sends it, in pieces of any size; false once
    // the trailer came. Throws Error on anything malformed.
    bool take(std::string_view data);
    bool ended() const { return ended_; }

    // An amount from numeric's binary form in ten-thousandths; false for
    // NaN or what does not fit.
    static bool amountOf(std::string_view numeric, qint64 *tenThousandths);

private:
    // Bytes taken from the front of `data` for complete rows (and the header).
    size_t parse(std::string_view data);
    void readRow(std::string_view row);

    const TableSchema &schema_;
    RowStore &rows_;
    std::string pending_; // the start of a row that a piece cut off
    bool headerRead_ = false;
    bool ended_ = false;
};
