#include "ServerCopyOut.h"

#include "ServerConnection.h"
#include "ServerResult.h"

#include "../Error.h"
#include "../RowStore.h"

#include <cstring>
#include <libpq-fe.h>

namespace {

constexpr char kSignature[] = "PGCOPY\n\377\r\n"; // and its closing zero byte
constexpr size_t kHeaderBytes = sizeof kSignature + 8;
constexpr quint16 kNumericPositive = 0x0000;
constexpr quint16 kNumericNegative = 0x4000;
constexpr qint64 kNumericBase = 10000;

quint16 read16(const char *p)
{
    return quint16((quint16(quint8(p[0])) << 8) | quint8(p[1]));
}

quint32 read32(const char *p)
{
    return (quint32(quint8(p[0])) << 24) | (quint32(quint8(p[1])) << 16) |
           (quint32(quint8(p[2])) << 8) | quint8(p[3]);
}

qint64 integerOf(std::string_view value)
{
    switch (value.size()) {
    case 2:
        return qint16(read16(value.data()));
    case 4:
        return qint32(read32(value.data()));
    case 8:
        return qint64((quint64(read32(value.data())) << 32) | read32(value.data() + 4));
    }
    throw Error(QStringLiteral("Сервер базы данных прислал число непонятного вида"));
}

[[noreturn]] void malformed()
{
    throw Error(QStringLiteral("Сервер базы данных прислал данные непонятного вида"));
}

} // namespace

bool ServerCopyOut::amountOf(std::string_view numeric, qint64 *tenThousandths)
{
    if (numeric.size() < 8)
        return false;
    const int digits = qint16(read16(numeric.data()));
    const int weight = qint16(read16(numeric.data() + 2));
    const quint16 sign = read16(numeric.data() + 4);
    // Not a number and the infinities have signs of their own.
    if ((sign != kNumericPositive && sign != kNumericNegative) || digits < 0 ||
        numeric.size() != 8 + size_t(digits) * 2)
        return false;
    // Digit i stands for 10,000^(weight - i); in ten-thousandths, one place
    // more. Digits past the fourth decimal place are dropped.
    qint64 value = 0;
    for (int place = weight + 1, i = 0; place >= 0; --place, ++i) {
        const qint64 digit = i < digits ? read16(numeric.data() + 8 + 2 * i) : 0;
        if (__builtin_mul_overflow(value, kNumericBase, &value) ||
            __builtin_add_overflow(value, digit, &value))
            return false;
    }
    *tenThousandths = sign == kNumericNegative ? -value : value;
    return true;
}

void ServerCopyOut::readRow(std::string_view row)
{
    const int r = rows_.appendRow();
    const char *p = row.data() + 2;
    for (int i = 0; i < schema_.fieldCount(); ++i) {
        const qint32 length = qint32(read32(p));
        p += 4;
        if (length < 0)
            continue;
        const std::string_view value(p, size_t(length));
        p += length;
        switch (schema_.field(i).type) {
        case FieldType::Text:
            rows_.setText(r, i, value);
            break;
        case FieldType::Currency: {
            qint64 amount = 0;
            if (amountOf(value, &amount))
                rows_.setInteger(r, i, amount);
            break;
        }
        case FieldType::Blob: // its size
        case FieldType::AutoInc:
        case FieldType::Integer:
            rows_.setInteger(r, i, integerOf(value));
            break;
        }
    }
}

size_t ServerCopyOut::parse(std::string_view data)
{
    size_t at = 0;
    if (!headerRead_) {
        if (data.size() < kHeaderBytes)
            return 0;
        if (std::memcmp(data.data(), kSignature, sizeof kSignature) != 0)
            malformed();
        const size_t extension = read32(data.data() + sizeof kSignature + 4);
        if (data.size() < kHeaderBytes + extension)
            return 0;
        at = kHeaderBytes + extension;
        headerRead_ = true;
    }
    const size_t columns = size_t(schema_.fieldCount());
    while (!ended_ && data.size() - at >= 2) {
        const qint16 count = qint16(read16(data.data() + at));
        if (count == -1) {
            ended_ = true;
            return at + 2;
        }
        if (size_t(count) != columns)
            malformed();
        // The row's extent: its fields' lengths, each before its value.
        size_t end = at + 2;
        bool whole = true;
        for (size_t i = 0; i < columns; ++i) {
            if (data.size() - end < 4) {
                whole = false;
                break;
            }
            const qint32 length = qint32(read32(data.data() + end));
            end += 4;
            if (length < -1)
                malformed();
            if (length > 0) {
                if (data.size() - end < size_t(length)) {
                    whole = false;
                    break;
                }
                end += size_t(length);
            }
        }
        if (!whole)
            break;
        readRow(data.substr(at, end - at));
        at = end;
    }
    return at;
}

bool ServerCopyOut::take(std::string_view data)
{
    if (ended_) {
        if (!data.empty())
            malformed();
        return false;
    }
    if (pending_.empty()) {
        const size_t used = parse(data);
        pending_.assign(data.substr(used));
    } else {
        pending_.append(data);
        const size_t used = parse(pending_);
        pending_.erase(0, used);
    }
    return !ended_;
}

void ServerCopyOut::read(ServerConnection &server, const QByteArray &select)
{
    pg_conn *conn = server.handle();
    const QByteArray sql = "COPY (" + select + ") TO STDOUT (FORMAT binary)";
    {
        ServerResult start(PQexec(conn, sql.constData()));
        if (!start.get() || PQresultStatus(start.get()) != PGRES_COPY_OUT)
            server.raise(start, &schema_);
    }
    // Every message is taken off the connection even after a fault of ours,
    // so that it is ready for the next command.
    std::exception_ptr fault;
    char *message = nullptr;
    int length = 0;
    while ((length = PQgetCopyData(conn, &message, 0)) > 0) {
        if (!fault) {
            try {
                take({message, size_t(length)});
            } catch (...) {
                fault = std::current_exception();
            }
        }
        PQfreemem(message);
    }
    ServerResult end(PQgetResult(conn));
    while (PGresult *more = PQgetResult(conn))
        PQclear(more);
    if (length == -2 || !end.get() || PQresultStatus(end.get()) != PGRES_COMMAND_OK)
        server.raise(end, &schema_);
    if (fault)
        std::rethrow_exception(fault);
    if (!ended_ || !pending_.empty())
        malformed();
    rows_.shrink();
}
