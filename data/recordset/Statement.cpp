#include "Statement.h"

#include "Connection.h"
#include "Currency.h"
#include "Error.h"

#include <sqlite3.h>

Statement::Statement(const Connection &connection, const char *sql) : connection_(connection)
{
    if (!connection.isOpen())
        throw Error(QStringLiteral("Нет соединения с базой данных «%1»")
                        .arg(connection.fileName()));
    const int rc = sqlite3_prepare_v2(connection.handle(), sql, -1, &stmt_, nullptr);
    if (rc != SQLITE_OK)
        connection.raise(rc);
}

Statement::Statement(const Connection &connection, const QByteArray &sql)
    : Statement(connection, sql.constData())
{
}

Statement::~Statement()
{
    sqlite3_finalize(stmt_);
}

void Statement::check(int rc) const
{
    if (rc != SQLITE_OK)
        connection_.raise(rc);
}

void Statement::bindNull(int index)
{
    check(sqlite3_bind_null(stmt_, index));
}

void Statement::bindInteger(int index, qint64 value)
{
    check(sqlite3_bind_int64(stmt_, index, value));
}

void Statement::bindReal(int index, double value)
{
    check(sqlite3_bind_double(stmt_, index, value));
}

void Statement::bindCurrency(int index, qint64 value)
{
    if (Currency::isWhole(value))
        bindInteger(index, value / Currency::Scale);
    else
        bindReal(index, Currency::toReal(value));
}

void Statement::bindText(int index, const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    check(sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
}

void Statement::bindBlob(int index, const QByteArray &value)
{
    // A zero-length blob stays a blob (not NULL): the engine needs a non-null pointer.
    static const char empty = 0;
    const char *data = value.isEmpty() ? &empty : value.constData();
    check(sqlite3_bind_blob64(stmt_, index, data, sqlite3_uint64(value.size()), SQLITE_TRANSIENT));
}

bool Statement::step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(stmt_);
    connection_.raise(rc);
}

void Statement::reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columns() const
{
    return sqlite3_column_count(stmt_);
}

Statement::Type Statement::type(int column) const
{
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER:
        return Type::Integer;
    case SQLITE_FLOAT:
        return Type::Real;
    case SQLITE_TEXT:
        return Type::Text;
    case SQLITE_BLOB:
        return Type::Blob;
    default:
        return Type::Null;
    }
}

double Statement::real(int column) const
{
    return sqlite3_column_double(stmt_, column);
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(stmt_, column);
}

QString Statement::text(int column) const
{
    int length = 0;
    const char *data = utf8(column, &length);
    return QString::fromUtf8(data, length);
}

const char *Statement::utf8(int column, int *length) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, column));
    *length = sqlite3_column_bytes(stmt_, column);
    return data ? data : "";
}

QByteArray Statement::blob(int column) const
{
    const void *data = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    return data ? QByteArray(static_cast<const char *>(data), size) : QByteArray();
}

qint64 Statement::bytes(int column) const
{
    return sqlite3_column_bytes(stmt_, column);
}

std::optional<qint64> Statement::currency(int column) const
{
    switch (type(column)) {
    case Type::Integer:
        return Currency::fromUnits(integer(column));
    case Type::Real:
        return Currency::fromReal(real(column));
    case Type::Text:
        return Currency::fromText(text(column));
    case Type::Null:
    case Type::Blob:
        break;
    }
    return std::nullopt;
}

Statement::Value Statement::value(int column) const
{
    // The value object itself, without a check per call: safe because a
    // connection is used by one thread at a time and opened without the
    // engine's own lock.
    sqlite3_value *v = sqlite3_column_value(stmt_, column);
    Value value;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        value.type = Type::Integer;
        value.integer = sqlite3_value_int64(v);
        break;
    case SQLITE_FLOAT:
        value.type = Type::Real;
        value.real = sqlite3_value_double(v);
        break;
    case SQLITE_TEXT:
        value.type = Type::Text;
        value.text = reinterpret_cast<const char *>(sqlite3_value_text(v));
        value.size = sqlite3_value_bytes(v);
        if (!value.text)
            value.text = "";
        break;
    case SQLITE_BLOB:
        value.type = Type::Blob;
        value.size = sqlite3_value_bytes(v);
        break;
    default:
        break;
    }
    return value;
}

std::optional<qint64> Statement::Value::currency() const
{
    switch (type) {
    case Type::Integer:
        return Currency::fromUnits(integer);
    case Type::Real:
        return Currency::fromReal(real);
    case Type::Text:
        return Currency::fromText(QString::fromUtf8(text, size));
    case Type::Null:
    case Type::Blob:
        break;
    }
    return std::nullopt;
}

int Statement::changes() const
{
    return sqlite3_changes(connection_.handle());
}

qint64 Statement::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(connection_.handle());
}
