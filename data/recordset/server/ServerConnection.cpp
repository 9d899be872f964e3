#include "ServerConnection.h"

#include "ServerCopyOut.h"
#include "ServerPipeline.h"
#include "ServerResult.h"
#include "ServerSchema.h"
#include "ServerVersions.h"

#include "../Currency.h"
#include "../Error.h"
#include "../RowStore.h"
#include "../TableSql.h"

#include <libpq-fe.h>

namespace {

constexpr const char *kLockTimeoutSql = "SET lock_timeout = 3000";
constexpr const char *kReadOnlySql =
    "SELECT pg_is_in_recovery() OR current_setting('transaction_read_only') = 'on'";
constexpr const char *kBeginSql = "BEGIN";
constexpr const char *kCommitSql = "COMMIT";
constexpr const char *kRollbackSql = "ROLLBACK";

using Kind = StoreError::Kind;

// Failures that the server names by these SQLSTATEs.
constexpr const char *kUniqueViolation = "23505";
constexpr const char *kNotNullViolation = "23502";

// Refusals of the whole database, as the user is told them (%1: its name).
struct Refusal
{
    const char *state;
    Kind kind;
    const char *message;
};
constexpr const char *kBusyText =
    "База данных «%1» занята другой программой; повторите действие немного позже";
constexpr Refusal kRefusals[] = {
    {"55P03", Kind::Busy, kBusyText}, // lock not available
    {"40001", Kind::Busy, kBusyText}, // serialization failure
    {"40P01", Kind::Busy, kBusyText}, // deadlock
    {"25006", Kind::ReadOnly,
     "База данных «%1» доступна только для чтения: изменения не сохранены"},
    {"42501", Kind::Denied,
     "Нет доступа к базе данных «%1»: сервер не разрешает это действие вашему пользователю"},
    {"53100", Kind::Full,
     "На диске сервера не хватает места: изменения в базе данных «%1» не сохранены"},
};

// Settings that come before the user's connection string, which may
// override them: a dead network is noticed within seconds rather than after
// the system's quarter of an hour, so no command hangs.
constexpr const char *kDefaultKeywords[] = {
    "connect_timeout",  "keepalives",       "keepalives_idle", "keepalives_interval",
    "keepalives_count", "tcp_user_timeout", "application_name"};
constexpr const char *kDefaultValues[] = {"5", "1", "5", "2", "3", "10000", "autoparts"};

// A PostgreSQL amount of numeric(19,4) in text ("-289.5000") as ten-thousandths.
std::optional<qint64> amountOf(std::string_view text)
{
    bool negative = false;
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    qint64 units = 0;
    bool any = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, any = true)
        if (__builtin_mul_overflow(units, 10, &units) ||
            __builtin_add_overflow(units, text[i] - '0', &units))
            return std::nullopt;
    qint64 fraction = 0;
    int digits = 0;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, any = true)
            if (digits < 4) {
                fraction = fraction * 10 + (text[i] - '0');
                ++digits;
            }
    }
    if (!any || i != text.size())
        return Currency::fromText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    for (; digits < 4; ++digits)
        fraction *= 10;
    qint64 value = 0;
    if (__builtin_mul_overflow(units, Currency::Scale, &value) ||
        __builtin_add_overflow(value, fraction, &value))
        return std::nullopt;
    return negative ? -value : value;
}

qint64 integerOf(std::string_view text)
{
    qint64 value = 0;
    bool negative = !text.empty() && text[0] == '-';
    for (size_t i = negative ? 1 : 0; i < text.size(); ++i)
        value = value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

// A row of selectAll or selectRow into `row` of `store`.
void readValues(const ServerResult &result, int resultRow, const TableSchema &schema,
                RowStore &store, int row)
{
    for (int i = 0; i < schema.fieldCount(); ++i) {
        if (result.isNull(resultRow, i))
            continue;
        const std::string_view value = result.value(resultRow, i);
        switch (schema.field(i).type) {
        case FieldType::Text:
            store.setText(row, i, value);
            break;
        case FieldType::Currency:
            if (const auto amount = amountOf(value))
                store.setInteger(row, i, *amount);
            break;
        case FieldType::Blob:
            // octet_length gives the size; the value itself, hex-escaped bytes.
            if (value.size() >= 2 && value[0] == '\\' && value[1] == 'x')
                store.setInteger(row, i, qint64(value.size() - 2) / 2);
            else
                store.setInteger(row, i, integerOf(value));
            break;
        case FieldType::AutoInc:
        case FieldType::Integer:
            store.setInteger(row, i, integerOf(value));
            break;
        }
    }
}

QByteArray unescapedBytes(std::string_view hex)
{
    size_t length = 0;
    unsigned char *bytes =
        PQunescapeBytea(reinterpret_cast<const unsigned char *>(hex.data()), &length);
    QByteArray result(reinterpret_cast<const char *>(bytes), qsizetype(length));
    PQfreemem(bytes);
    return result;
}

// A row's key, as the statements' key parameter takes it.
ServerConnection::Parameter keyParameter(qint64 key)
{
    return {QByteArray::number(key), false};
}

QString field(const PGresult *result, int code)
{
    const char *value = PQresultErrorField(result, code);
    return value ? QString::fromUtf8(value) : QString();
}

// The declared name of a column that the server names in lower case.
QString declaredName(const TableSchema *schema, const QString &serverName)
{
    if (schema)
        for (const FieldDef &def : schema->fields())
            if (def.name.compare(serverName, Qt::CaseInsensitive) == 0)
                return def.name;
    return serverName;
}

} // namespace

ServerConnection::ServerConnection(QString connectionString)
    : connectionString_(std::move(connectionString)), name_(describeTarget(connectionString_))
{}

ServerConnection::~ServerConnection()
{
    close();
}

QString ServerConnection::describeTarget(const QString &connectionString)
{
    char *error = nullptr;
    const QByteArray utf8 = connectionString.toUtf8();
    PQconninfoOption *options = PQconninfoParse(utf8.constData(), &error);
    PQfreemem(error);
    if (!options)
        return QStringLiteral("(неверная строка подключения)");
    QString database, host, user, service;
    for (PQconninfoOption *o = options; o->keyword; ++o) {
        if (!o->val || !*o->val)
            continue;
        const QString value = QString::fromUtf8(o->val);
        const QByteArray keyword(o->keyword);
        if (keyword == "dbname")
            database = value;
        else if (keyword == "host" || (keyword == "hostaddr" && host.isEmpty()))
            host = value;
        else if (keyword == "user")
            user = value;
        else if (keyword == "service")
            service = value;
    }
    PQconninfoFree(options);
    if (database.isEmpty())
        database =
            !service.isEmpty() ? service : (!user.isEmpty() ? user : qEnvironmentVariable("USER"));
    if (host.isEmpty())
        host = service.isEmpty() ? QStringLiteral("localhost") : QString();
    return host.isEmpty() ? database : QStringLiteral("%1 на сервере %2").arg(database, host);
}

void ServerConnection::open()
{
    if (conn_)
        return;
    std::vector<const char *> keywords(std::begin(kDefaultKeywords), std::end(kDefaultKeywords));
    std::vector<const char *> values(std::begin(kDefaultValues), std::end(kDefaultValues));
    const QByteArray utf8 = connectionString_.toUtf8();
    keywords.push_back("dbname"); // expanded: the user's string, over the defaults
    values.push_back(utf8.constData());
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    conn_ = PQconnectdbParams(keywords.data(), values.data(), 1);
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
        const QString detail = conn_ ? QString::fromUtf8(PQerrorMessage(conn_)).trimmed()
                                     : QStringLiteral("нет памяти");
        close();
        raiseConnectFailure(detail);
    }
    PQsetClientEncoding(conn_, "UTF8");
    // The server's notices ("table does not exist, skipping") are for a
    // technician's console, not for the shop's terminal.
    PQsetNoticeProcessor(
        conn_, [](void *, const char *) {}, nullptr);
    try {
        execute(kLockTimeoutSql);
        const ServerResult result = execute(kReadOnlySql);
        readOnly_ = result.rows() == 1 && result.value(0, 0) == "t";
    } catch (...) {
        close();
        throw;
    }
}

pg_conn *ServerConnection::handle()
{
    open();
    return conn_;
}

void ServerConnection::raiseConnectFailure(const QString &detail)
{
    const QString lower = detail.toLower();
    if (lower.contains(QLatin1String("password")) || lower.contains(QLatin1String("парол")) ||
        lower.contains(QLatin1String("authentication")) ||
        lower.contains(QLatin1String("аутентификац")))
        throw StoreError(Kind::Denied, QStringLiteral("Сервер базы данных «%1» не принял имя "
                                                      "пользователя или пароль")
                                           .arg(name_));
    if ((lower.contains(QLatin1String("database")) || lower.contains(QLatin1String("база"))) &&
        (lower.contains(QLatin1String("does not exist")) ||
         lower.contains(QLatin1String("не существует"))))
        throw StoreError(Kind::Unreachable,
                         QStringLiteral("База данных «%1» не найдена").arg(name_));
    if (lower.contains(QLatin1String("invalid connection option")) ||
        lower.contains(QLatin1String("missing")) || lower.contains(QLatin1String("invalid uri")))
        throw StoreError(Kind::Refused, QStringLiteral("Неверная строка подключения к серверу базы "
                                                       "данных (%1): %2")
                                            .arg(QString::fromLatin1(ServerVariable), detail));
    throw StoreError(Kind::Unreachable,
                     QStringLiteral("Нет связи с сервером базы данных «%1». Проверьте, что "
                                    "сервер запущен и доступен по сети (%2)")
                         .arg(name_, detail.section(QLatin1Char('\n'), 0, 0)));
}

void ServerConnection::close()
{
    if (conn_) {
        PQfinish(conn_);
        conn_ = nullptr;
    }
    readOnly_ = false;
}

ServerConnection::Parameter ServerConnection::parameter(FieldType type, const StoreValue &value)
{
    if (value.null)
        return {};
    switch (type) {
    case FieldType::Text:
        return {value.text.toUtf8(), false};
    case FieldType::Blob:
        return {value.bytes, true};
    case FieldType::Currency:
        return {Currency::format(value.number, QLatin1Char('.')).toLatin1(), false};
    case FieldType::AutoInc:
    case FieldType::Integer:
        break;
    }
    return {QByteArray::number(value.number), false};
}

ServerConnection::ParameterArrays::ParameterArrays(const std::vector<Parameter> &parameters)
{
    values.reserve(parameters.size());
    lengths.reserve(parameters.size());
    formats.reserve(parameters.size());
    for (const Parameter &p : parameters) {
        values.push_back(p.value ? (p.value->isEmpty() ? "" : p.value->constData()) : nullptr);
        lengths.push_back(p.value ? int(p.value->size()) : 0);
        formats.push_back(p.binary ? 1 : 0);
    }
}

ServerResult ServerConnection::execute(const QByteArray &sql,
                                       const std::vector<Parameter> &parameters,
                                       const TableSchema *schema, bool binary)
{
    open();
    const ParameterArrays arrays(parameters);
    ServerResult result(PQexecParams(conn_, sql.constData(), int(parameters.size()), nullptr,
                                     arrays.values.data(), arrays.lengths.data(),
                                     arrays.formats.data(), binary ? 1 : 0));
    const ExecStatusType status = result.get() ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        raise(result, schema);
    return result;
}

void ServerConnection::raise(const ServerResult &result, const TableSchema *schema)
{
    const PGresult *r = result.get();
    const QString state = r ? field(r, PG_DIAG_SQLSTATE) : QString();
    const QString primary = r ? field(r, PG_DIAG_MESSAGE_PRIMARY) : QString();
    const auto fail = [&](Kind kind, const QString &message) {
        throw StoreError(kind, message, state,
                         primary.isEmpty() && conn_
                             ? QString::fromUtf8(PQerrorMessage(conn_)).trimmed()
                             : primary);
    };
    // A server that closed an idle connection is noticed by the next command,
    // which libpq fails without a SQLSTATE of the server's, while the
    // connection may still count as good; a server shutting down says 57P0x.
    const bool lost = !conn_ || PQstatus(conn_) != CONNECTION_OK || !r || state.isEmpty() ||
                      state.startsWith(QLatin1String("08")) ||
                      state.startsWith(QLatin1String("57P0"));
    if (lost) {
        // The server went away or the network is cut: whatever the command
        // did is rolled back by the server; the next one connects anew.
        close();
        fail(Kind::Lost, QStringLiteral("Нет связи с сервером базы данных «%1»: действие не "
                                        "выполнено, изменения не сохранены. Проверьте сеть "
                                        "и повторите действие.")
                             .arg(name_));
    }
    const QString table = field(r, PG_DIAG_TABLE_NAME);
    const QString shownTable = schema && table.compare(schema->table(), Qt::CaseInsensitive) == 0
                                   ? schema->table()
                                   : table;
    if (state == QLatin1String(kUniqueViolation)) {
        // The server names the constraint "<table>_<column>_key"; its
        // message is in the server's language, so it is not read.
        const QString constraint = field(r, PG_DIAG_CONSTRAINT_NAME);
        QString column;
        if (schema)
            for (const FieldDef &def : schema->fields())
                if (constraint.compare(table + QLatin1Char('_') + def.name + QLatin1String("_key"),
                                       Qt::CaseInsensitive) == 0 ||
                    (constraint.endsWith(QLatin1String("_pkey")) && def.type == FieldType::AutoInc))
                    column = def.name;
        if (!column.isEmpty())
            fail(Kind::Constraint, QStringLiteral("В таблице «%1» уже есть запись с таким же "
                                                  "значением поля «%2»")
                                       .arg(shownTable, column));
    }
    if (state == QLatin1String(kNotNullViolation))
        fail(Kind::Constraint,
             QStringLiteral("Поле «%2» таблицы «%1» должно быть заполнено")
                 .arg(shownTable, declaredName(schema, field(r, PG_DIAG_COLUMN_NAME))));
    for (const Refusal &refusal : kRefusals)
        if (state == QLatin1String(refusal.state))
            fail(refusal.kind, QString::fromUtf8(refusal.message).arg(name_));
    const QString detail =
        primary.isEmpty() && conn_ ? QString::fromUtf8(PQerrorMessage(conn_)).trimmed() : primary;
    // Other rules of the tables (class 23) the server's own words explain.
    if (state.startsWith(QLatin1String("23")))
        fail(Kind::Constraint,
             QStringLiteral("Запись нарушает ограничение базы данных: %1").arg(detail));
    throw StoreError(Kind::Refused,
                     QStringLiteral("Ошибка базы данных «%1»: %2").arg(name_, detail), state,
                     detail);
}

TableSchema ServerConnection::verified(const TableSchema &declared)
{
    return ServerSchema::verified(*this, declared);
}

void ServerConnection::readAll(const TableSchema &schema, RowStore &rows)
{
    ServerCopyOut(schema, rows)
        .read(*this, TableSql(schema, TableSql::Dialect::Server).selectAll());
}

QByteArray ServerConnection::readAllMarked(const TableSchema &schema, RowStore &rows)
{
    return ServerVersions(*this, schema).readAll(rows);
}

QByteArray ServerConnection::readAgain(const TableSchema &schema, const RowStore &last,
                                       const QByteArray &mark, RowStore &rows)
{
    return ServerVersions(*this, schema).readAgain(last, mark, rows);
}

bool ServerConnection::readRow(const TableSchema &schema, qint64 key,
                               const std::vector<int> &withBytes, bool lock, RowStore &rows,
                               std::map<int, QByteArray> &bytes)
{
    const ServerResult result =
        execute(TableSql(schema, TableSql::Dialect::Server).selectRow(withBytes, lock),
                {keyParameter(key)}, &schema);
    if (result.rows() == 0)
        return false;
    readValues(result, 0, schema, rows, rows.appendRow());
    for (const int i : withBytes)
        bytes[i] = result.isNull(0, i) ? QByteArray() : unescapedBytes(result.value(0, i));
    return true;
}

std::optional<QByteArray> ServerConnection::readBlob(const TableSchema &schema, int field,
                                                     qint64 key)
{
    const ServerResult result =
        execute(TableSql(schema, TableSql::Dialect::Server).selectBlob(field), {keyParameter(key)},
                &schema, true);
    if (result.rows() == 0 || result.isNull(0, 0))
        return std::nullopt;
    const std::string_view value = result.value(0, 0);
    return QByteArray(value.data(), qsizetype(value.size()));
}

qint64 ServerConnection::insert(const TableSchema &schema, const std::vector<StoreValue> &values)
{
    std::vector<Parameter> parameters;
    size_t n = 0;
    for (int i = 0; i < schema.fieldCount(); ++i)
        if (i != schema.keyIndex())
            parameters.push_back(parameter(schema.field(i).type, values[n++]));
    const ServerResult result =
        execute(TableSql(schema, TableSql::Dialect::Server).insert(), parameters, &schema);
    return result.rows() == 1 ? result.integer(0, 0) : 0;
}

int ServerConnection::update(const TableSchema &schema, qint64 key, const std::vector<int> &fields,
                             const std::vector<StoreValue> &values)
{
    std::vector<Parameter> parameters;
    for (size_t n = 0; n < fields.size(); ++n)
        parameters.push_back(parameter(schema.field(fields[n]).type, values[n]));
    parameters.push_back(keyParameter(key));
    return execute(TableSql(schema, TableSql::Dialect::Server).update(fields), parameters, &schema)
        .changes();
}

int ServerConnection::remove(const TableSchema &schema, qint64 key)
{
    return execute(TableSql(schema, TableSql::Dialect::Server).remove(), {keyParameter(key)},
                   &schema)
        .changes();
}

void ServerConnection::updateMany(const TableSchema &schema, const std::vector<RowChange> &changes)
{
    ServerPipeline pipeline(*this, schema);
    std::map<std::vector<int>, QByteArray> statements;
    for (const RowChange &change : changes) {
        QByteArray &sql = statements[change.fields];
        if (sql.isEmpty())
            sql = TableSql(schema, TableSql::Dialect::Server).update(change.fields);
        std::vector<Parameter> parameters;
        for (size_t n = 0; n < change.fields.size(); ++n)
            parameters.push_back(parameter(schema.field(change.fields[n]).type, change.values[n]));
        parameters.push_back(keyParameter(change.key));
        pipeline.send(sql, parameters);
    }
    pipeline.finish();
}

void ServerConnection::insertMany(const TableSchema &schema,
                                  const std::vector<std::vector<StoreValue>> &rows)
{
    ServerPipeline pipeline(*this, schema);
    // The new keys are not told, so the server need not send them back.
    QByteArray sql = TableSql(schema, TableSql::Dialect::Server).insert();
    if (const qsizetype returning = sql.indexOf(" RETURNING "); returning >= 0)
        sql.truncate(returning);
    for (const std::vector<StoreValue> &values : rows) {
        std::vector<Parameter> parameters;
        size_t n = 0;
        for (int i = 0; i < schema.fieldCount(); ++i)
            if (i != schema.keyIndex())
                parameters.push_back(parameter(schema.field(i).type, values[n++]));
        pipeline.send(sql, parameters);
    }
    pipeline.finish();
}

void ServerConnection::begin()
{
    execute(kBeginSql);
}

void ServerConnection::commit()
{
    execute(kCommitSql);
}

void ServerConnection::rollback()
{
    if (conn_ && PQtransactionStatus(conn_) != PQTRANS_IDLE)
        execute(kRollbackSql);
}

namespace {

// The server's type numbers of the values run() gives back as numbers or bytes.
constexpr Oid kBoolOid = 16;
constexpr Oid kByteaOid = 17;
constexpr Oid kInt8Oid = 20;
constexpr Oid kInt2Oid = 21;
constexpr Oid kInt4Oid = 23;
constexpr Oid kFloat4Oid = 700;
constexpr Oid kFloat8Oid = 701;
constexpr Oid kNumericOid = 1700;

} // namespace

std::vector<QVariantList> ServerConnection::run(const QByteArray &sql,
                                                const QVariantList &parameters)
{
    std::vector<Parameter> bound;
    for (const QVariant &value : parameters) {
        if (value.isNull())
            bound.push_back({std::nullopt, false});
        else if (value.typeId() == QMetaType::QByteArray)
            bound.push_back({value.toByteArray(), true});
        else if (value.typeId() == QMetaType::QString)
            bound.push_back({value.toString().toUtf8(), false});
        else if (value.typeId() == QMetaType::Double)
            bound.push_back({QByteArray::number(value.toDouble(), 'g', 17), false});
        else
            bound.push_back({QByteArray::number(value.toLongLong()), false});
    }
    const ServerResult result = execute(sql, bound);
    std::vector<QVariantList> rows;
    rows.reserve(size_t(result.rows()));
    for (int r = 0; r < result.rows(); ++r) {
        QVariantList row;
        for (int c = 0; c < result.columns(); ++c) {
            if (result.isNull(r, c)) {
                row << QVariant();
                continue;
            }
            switch (PQftype(result.get(), c)) {
            case kBoolOid:
                row << QVariant(qint64(result.value(r, c) == "t"));
                break;
            case kInt2Oid:
            case kInt4Oid:
            case kInt8Oid:
                row << QVariant(result.integer(r, c));
                break;
            case kFloat4Oid:
            case kFloat8Oid:
            case kNumericOid:
                row << QVariant(
                    QByteArray(result.value(r, c).data(), qsizetype(result.value(r, c).size()))
                        .toDouble());
                break;
            case kByteaOid:
                row << QVariant(unescapedBytes(result.value(r, c)));
                break;
            default:
                row << QVariant(result.text(r, c));
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}
