#include "JetCellEncoder.h"

#include "JetTextCodec.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

using Kind = JetCell::Kind;

[[noreturn]] void fail(const JetColumnLayout &column, const std::string &what)
{
    throw std::runtime_error("Jet writer: column " + column.declared.name.toStdString() + ": " +
                             what);
}

qint64 integerIn(const JetColumnLayout &column, const JetCell &cell, qint64 low, qint64 high)
{
    if (cell.kind != Kind::Integer)
        fail(column, "expects an integer");
    if (cell.integer < low || cell.integer > high)
        fail(column, "integer " + std::to_string(cell.integer) + " out of range");
    return cell.integer;
}

double realOf(const JetColumnLayout &column, const JetCell &cell)
{
    if (cell.kind == Kind::Real)
        return cell.real;
    if (cell.kind == Kind::Integer)
        return double(cell.integer);
    fail(column, "expects a number");
}

// Ten-thousandths, as Currency keeps them.
qint64 currencyOf(const JetColumnLayout &column, const JetCell &cell)
{
    switch (cell.kind) {
    case Kind::Currency:
        return cell.integer;
    case Kind::Integer:
        if (std::llabs(cell.integer) > std::numeric_limits<qint64>::max() / 10000)
            fail(column, "currency out of range");
        return cell.integer * 10000;
    case Kind::Real: {
        const double scaled = std::round(cell.real * 10000.0);
        if (!(std::fabs(scaled) < 9.2e18))
            fail(column, "currency out of range");
        return qint64(scaled);
    }
    default:
        fail(column, "expects an amount");
    }
}

template <typename T> QByteArray littleEndian(T value)
{
    QByteArray bytes(sizeof(T), '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

} // namespace

JetCellEncoder::JetCellEncoder(const JetTextCodec &text) : m_text(text) {}

bool JetCellEncoder::booleanValue(const JetColumnLayout &column, const JetCell &cell)
{
    if (cell.kind == Kind::Null)
        return false;
    if (cell.kind != Kind::Integer)
        fail(column, "expects 0 or 1");
    return cell.integer != 0;
}

QByteArray JetCellEncoder::encode(const JetColumnLayout &column, const JetCell &cell) const
{
    switch (column.declared.type) {
    case JetType::Boolean:
        return {};
    case JetType::Byte:
        return QByteArray(1, char(integerIn(column, cell, 0, 255)));
    case JetType::Integer:
        return littleEndian(qint16(integerIn(column, cell, -32768, 32767)));
    case JetType::Long:
        return littleEndian(qint32(integerIn(column, cell, std::numeric_limits<qint32>::min(),
                                             std::numeric_limits<qint32>::max())));
    case JetType::Currency:
        return littleEndian(currencyOf(column, cell));
    case JetType::Single: {
        const float value = float(realOf(column, cell));
        quint32 bits;
        std::memcpy(&bits, &value, 4);
        return littleEndian(bits);
    }
    case JetType::Double:
    case JetType::DateTime: { // a date is days since 1899-12-30, the time a fraction of a day
        const double value = realOf(column, cell);
        quint64 bits;
        std::memcpy(&bits, &value, 8);
        return littleEndian(bits);
    }
    case JetType::Numeric:
        return numeric(column, cell);
    case JetType::Binary:
    case JetType::Ole:
        if (cell.kind != Kind::Bytes)
            fail(column, "expects bytes");
        if (column.declared.type == JetType::Binary && cell.bytes.size() > column.declared.size)
            fail(column, "binary value longer than the column");
        return cell.bytes;
    case JetType::Text:
    case JetType::Memo: {
        if (cell.kind != Kind::Text)
            fail(column, "expects text");
        if (column.declared.type == JetType::Text && cell.text.size() > column.declared.size)
            fail(column, "text longer than the column: " + cell.text.toStdString());
        // Access compresses a memo only up to 1024 characters.
        const bool compressible = column.declared.type == JetType::Text || cell.text.size() <= 1024;
        return m_text.encode(cell.text, compressible ? cell.textForm : JetTextForm::Uncompressed);
    }
    }
    fail(column, "unknown type");
}

QByteArray JetCellEncoder::numeric(const JetColumnLayout &column, const JetCell &cell) const
{
    // The value scaled to an integer: a whole number for Integer cells, ten-
    // thousandths for Currency, rounded for Real.
    using Wide = __int128;
    Wide power = 1;
    for (int i = 0; i < column.declared.scale; ++i)
        power *= 10;
    Wide scaled = 0;
    switch (cell.kind) {
    case Kind::Integer:
        scaled = Wide(cell.integer) * power;
        break;
    case Kind::Currency:
        if (column.declared.scale >= 4) {
            scaled = Wide(cell.integer) * (power / 10000);
        } else {
            const qint64 unit = qint64(10000 / power);
            if (cell.integer % unit != 0)
                fail(column, "amount has more decimals than the column's scale");
            scaled = cell.integer / unit;
        }
        break;
    case Kind::Real: {
        const long double value = std::round(static_cast<long double>(cell.real) * power);
        if (!(std::fabs(value) < 1e28L))
            fail(column, "numeric out of range");
        scaled = Wide(value);
        break;
    }
    default:
        fail(column, "expects a number");
    }
    const bool negative = scaled < 0;
    unsigned __int128 magnitude = negative ? -scaled : scaled;
    unsigned __int128 limit = 1;
    for (int i = 0; i < column.declared.precision; ++i)
        limit *= 10;
    if (magnitude >= limit)
        fail(column, "numeric has more digits than the column's precision");
    // A sign byte, then the magnitude as four 32-bit little-endian words,
    // the most significant first.
    QByteArray bytes(17, '\0');
    bytes[0] = negative ? char(0x80) : char(0);
    for (int word = 0; word < 4; ++word) {
        const quint32 part = quint32(magnitude >> (32 * (3 - word)));
        putLe32(bytes.data() + 1 + 4 * word, part);
    }
    return bytes;
}
