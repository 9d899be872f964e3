#include "ServerCopyIn.h"

#include "ServerConnection.h"
#include "ServerResult.h"

#include "../Error.h"
#include "../TableSql.h"

#include <cstdlib>
#include <libpq-fe.h>
#include <limits>

namespace {

// The binary copy's header: signature, flags, no extension.
constexpr char kSignature[] = "PGCOPY\n\377\r\n";
// Data is handed to libpq in pieces of about this size.
constexpr qsizetype kChunkBytes = qsizetype(1) << 20;
// numeric's sign words and its base.
constexpr quint16 kNumericPositive = 0x0000;
constexpr quint16 kNumericNegative = 0x4000;
constexpr quint64 kNumericBase = 10000;

QByteArray copySql(const TableSchema &schema)
{
    const TableSql sql(schema, TableSql::Dialect::Server);
    QByteArray columns;
    for (int i = 0; i < schema.fieldCount(); ++i)
        columns +=
            (i ? ", " : "") + TableSql::name(schema.field(i).name, TableSql::Dialect::Server);
    return "COPY " + TableSql::name(schema.table(), TableSql::Dialect::Server) + " (" + columns +
           ") FROM STDIN (FORMAT binary)";
}

void append16(QByteArray &to, quint16 value)
{
    to.append(char(value >> 8)).append(char(value));
}

} // namespace

ServerCopyIn::ServerCopyIn(ServerConnection &server, const TableSchema &schema)
    : server_(server), schema_(schema)
{
    pg_conn *conn = server_.handle();
    ServerResult start(PQexec(conn, copySql(schema_).constData()));
    if (!start.get() || PQresultStatus(start.get()) != PGRES_COPY_IN)
        server_.raise(start, &schema_);
    open_ = true;
    buffer_.reserve(kChunkBytes + 4096);
    buffer_.append(kSignature, sizeof kSignature); // with its closing zero byte
    put32(0);
    put32(0);
}

ServerCopyIn::~ServerCopyIn()
{
    if (!open_)
        return;
    // Abandoned: the server drops what came so far and the statement fails,
    // which the caller's transaction then rolls back.
    try {
        pg_conn *conn = server_.handle();
        if (PQputCopyEnd(conn, "abandoned") == 1)
            while (PGresult *result = PQgetResult(conn))
                PQclear(result);
    } catch (...) {
        // No connection: the server has dropped the copy by itself.
    }
}

void ServerCopyIn::put16(quint16 value)
{
    append16(buffer_, value);
}

void ServerCopyIn::put32(quint32 value)
{
    buffer_.append(char(value >> 24)).append(char(value >> 16)).append(char(value >> 8));
    buffer_.append(char(value));
}

void ServerCopyIn::beginRow()
{
    if (buffer_.size() >= kChunkBytes)
        flush(false);
    put16(quint16(schema_.fieldCount()));
    field_ = 0;
}

void ServerCopyIn::addNull()
{
    put32(quint32(-1));
    ++field_;
}

void ServerCopyIn::addText(std::string_view utf8)
{
    put32(quint32(utf8.size()));
    buffer_.append(utf8.data(), qsizetype(utf8.size()));
    ++field_;
}

void ServerCopyIn::addInteger(qint64 value)
{
    // The columns are the server's integer; a value past it is refused as
    // the row-by-row path would be.
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        throw StoreError(StoreError::Kind::Constraint,
                         QStringLiteral("Значение %1 поля «%2» таблицы «%3» слишком велико для "
                                        "сервера базы данных")
                             .arg(value)
                             .arg(schema_.field(field_).name, schema_.table()));
    put32(4);
    put32(quint32(qint32(value)));
    ++field_;
}

QByteArray ServerCopyIn::numeric(qint64 tenThousandths)
{
    // numeric's binary form: digits in base 10,000, most significant first,
    // the weight of the first, a sign and the scale (4, the column's).
    quint64 magnitude =
        tenThousandths < 0 ? quint64(0) - quint64(tenThousandths) : quint64(tenThousandths);
    const quint16 fraction = quint16(magnitude % kNumericBase);
    magnitude /= kNumericBase;
    quint16 whole[5];
    int wholeCount = 0;
    for (; magnitude; magnitude /= kNumericBase)
        whole[wholeCount++] = quint16(magnitude % kNumericBase);
    QByteArray digits;
    for (int i = wholeCount - 1; i >= 0; --i)
        append16(digits, whole[i]);
    if (fraction)
        append16(digits, fraction);
    // Zeros at the end carry nothing.
    while (digits.size() >= 2 && digits.endsWith(QByteArray(2, '\0')))
        digits.chop(2);
    QByteArray result;
    const bool zero = digits.isEmpty();
    append16(result, quint16(digits.size() / 2));
    append16(result, quint16(zero ? 0 : wholeCount - 1)); // -1 for below one, as two's complement
    append16(result, tenThousandths < 0 && !zero ? kNumericNegative : kNumericPositive);
    append16(result, 4);
    return result + digits;
}

void ServerCopyIn::addAmount(qint64 value)
{
    const QByteArray bytes = numeric(value);
    put32(quint32(bytes.size()));
    buffer_.append(bytes);
    ++field_;
}

void ServerCopyIn::addBytes(const QByteArray &bytes)
{
    put32(quint32(bytes.size()));
    buffer_.append(bytes);
    ++field_;
    if (buffer_.size() >= kChunkBytes)
        flush(false);
}

void ServerCopyIn::addRow(const std::vector<StoreValue> &row)
{
    beginRow();
    for (int i = 0; i < schema_.fieldCount(); ++i) {
        const StoreValue &value = row[size_t(i)];
        if (value.null) {
            addNull();
            continue;
        }
        switch (schema_.field(i).type) {
        case FieldType::Text: {
            const QByteArray utf8 = value.text.toUtf8();
            addText({utf8.constData(), size_t(utf8.size())});
            break;
        }
        case FieldType::Blob:
            addBytes(value.bytes);
            break;
        case FieldType::Currency:
            addAmount(value.number);
            break;
        case FieldType::AutoInc:
        case FieldType::Integer:
            addInteger(value.number);
            break;
        }
    }
}

void ServerCopyIn::flush(bool all)
{
    if (buffer_.isEmpty() && !all)
        return;
    pg_conn *conn = server_.handle();
    if (!buffer_.isEmpty() && PQputCopyData(conn, buffer_.constData(), int(buffer_.size())) != 1) {
        open_ = false;
        server_.raise(ServerResult(PQgetResult(conn)), &schema_);
    }
    buffer_.clear();
}

void ServerCopyIn::finish()
{
    put16(quint16(-1)); // the trailer
    flush(true);
    pg_conn *conn = server_.handle();
    open_ = false;
    if (PQputCopyEnd(conn, nullptr) != 1)
        server_.raise(ServerResult(PQgetResult(conn)), &schema_);
    ServerResult end(PQgetResult(conn));
    while (PGresult *more = PQgetResult(conn))
        PQclear(more);
    if (!end.get() || PQresultStatus(end.get()) != PGRES_COMMAND_OK)
        server_.raise(end, &schema_);
}
