#pragma once

#include "../Store.h"
#include "../TableSchema.h"

#include <QByteArray>
#include <string_view>

class ServerConnection;

// Rows sent into one table by the server's bulk path, COPY ... FROM STDIN in
// the binary form: every column in the schema's order, the key included.
// Values go in the server's own representation, so nothing is parsed on
// either side. The rows count only when finish() returns; a copy abandoned
// (destroyed unfinished) leaves the table as it was, and inside a
// transaction the server refuses the rest of it.
class ServerCopyIn
{
public:
    ServerCopyIn(ServerConnection &server, const TableSchema &schema);
    ~ServerCopyIn();
    ServerCopyIn(const ServerCopyIn &) = delete;
    ServerCopyIn &operator=(const ServerCopyIn &) = delete;

    // One row, field by field in column order.
    void beginRow();
    void addNull();
    void addText(std::string_view utf8);
    void addInteger(qint64 value);
    // An amount in ten-thousandths.
    void addAmount(qint64 value);
    void addBytes(const QByteArray &bytes);

    // A whole row of StoreValues, typed by the schema.
    void addRow(const std::vector<StoreValue> &row);

    // Ends the copy; throws the server's refusal (a repeated unique value,
    // a text too long, a lost connection) as a StoreError.
    void finish();

    // The binary form of one amount of numeric(19,4), for the tests.
    static QByteArray numeric(qint64 tenThousandths);

private:
    void put16(quint16 value);
    void put32(quint32 value);
    void flush(bool all);

    ServerConnection &server_;
    const TableSchema schema_;
    QByteArray buffer_;
    int field_ = 0;
    bool open_ = false;
};
