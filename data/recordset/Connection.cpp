#include "Connection.h"

#include "Error.h"
#include "RowStore.h"
#include "SnapshotRead.h"
#include "Statement.h"
#include "TableSql.h"
#include "jet/JetSignature.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>
#include <utility>

namespace {

// Any statement that has to read the file's first page: it tells a database
// from a file of another kind without writing anything.
constexpr const char *kProbeSql = "SELECT count(*) FROM sqlite_master";

// The engine says "UNIQUE constraint failed: category.catName"; the user is
// told which table and column refused the value.
QString describeConstraint(int rc, const QString &detail)
{
    const QString where = detail.section(QLatin1String(": "), 1).section(QLatin1Char(','), 0, 0);
    const QString table = where.section(QLatin1Char('.'), 0, 0).trimmed();
    const QString column = where.section(QLatin1Char('.'), 1).trimmed();
    if (!table.isEmpty() && !column.isEmpty()) {
        if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
            return QStringLiteral("В таблице «%1» уже есть запись с таким же значением поля «%2»")
                .arg(table, column);
        if (rc == SQLITE_CONSTRAINT_NOTNULL)
            return QStringLiteral("Поле «%2» таблицы «%1» должно быть заполнено")
                .arg(table, column);
    }
    return QStringLiteral("Запись нарушает ограничение базы данных: %1").arg(detail);
}

} // namespace

Connection::Connection(QString fileName, Access access)
    : fileName_(std::move(fileName)), access_(access)
{}

Connection::~Connection()
{
    close();
}

void Connection::open()
{
    if (db_)
        return;
    const QFileInfo info(fileName_);
    if (!info.exists())
        throw Error(QStringLiteral("Файл базы данных «%1» не найден в папке «%2»")
                        .arg(fileName_, QDir::toNativeSeparators(info.absolutePath())));
    if (info.isFile() && info.size() == 0)
        throw Error(
            QStringLiteral("Файл «%1» пуст: это не база данных каталога запчастей").arg(fileName_));

    const QByteArray name = QFile::encodeName(fileName_);
    // READWRITE without CREATE: the program never makes a new file. The engine
    // falls back to read-only by itself when the file is write-protected.
    // A connection is used by one thread at a time, so the engine need not
    // lock it on every call.
    const int access = access_ == Access::ReadBeside ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    const int rc = sqlite3_open_v2(name.constData(), &db_, access | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const StoreError error = this->error(rc);
        close();
        throw error;
    }
    sqlite3_extended_result_codes(db_, 1);
    // Start-up opens the connection and then every cursor tries it again: if
    // each waited out another program's lock, the program would stand frozen
    // for six timeouts. An attempt soon after one that failed for a lock looks
    // once and gives up; writes still wait the full timeout.
    const bool justLockedOut = lockedOut_.isValid() && lockedOut_.elapsed() < BusyTimeoutMs;
    const bool wait = !justLockedOut && access_ == Access::ReadWrite;
    sqlite3_busy_timeout(db_, wait ? BusyTimeoutMs : 0);
    try {
        verifyIsDatabase();
    } catch (const StoreError &error) {
        if (error.kind() == StoreError::Kind::Busy)
            lockedOut_.start();
        close();
        throw;
    } catch (...) {
        close();
        throw;
    }
    lockedOut_.invalidate();
    if (access_ == Access::ReadWrite)
        sqlite3_busy_timeout(db_, BusyTimeoutMs);
    const QFileInfo folder(info.absolutePath());
    readOnly_ = sqlite3_db_readonly(db_, "main") == 1 || !folder.isWritable() ||
                access_ == Access::ReadBeside;
}

void Connection::verifyIsDatabase()
{
    Statement probe(*this, kProbeSql);
    probe.step();
}

void Connection::close()
{
    prepared_.clear(); // before the connection they belong to
    kept_.clear();
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    readOnly_ = false;
}

void Connection::raise(int rc) const
{
    throw error(rc);
}

StoreError Connection::error(int rc) const
{
    return StoreError(kindOf(rc), describe(rc), QString::number(rc),
                      QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc)));
}

StoreError::Kind Connection::kindOf(int rc)
{
    using Kind = StoreError::Kind;
    static constexpr std::pair<int, Kind> kinds[] = {
        {SQLITE_BUSY, Kind::Busy},
        {SQLITE_LOCKED, Kind::Busy},
        {SQLITE_CONSTRAINT, Kind::Constraint},
        {SQLITE_READONLY, Kind::ReadOnly},
        {SQLITE_CANTOPEN, Kind::Unreachable},
        {SQLITE_PERM, Kind::Denied},
        {SQLITE_AUTH, Kind::Denied},
        {SQLITE_FULL, Kind::Full},
        {SQLITE_IOERR, Kind::Io},
        {SQLITE_CORRUPT, Kind::Damaged},
        {SQLITE_NOTADB, Kind::Damaged},
    };
    for (const auto &[primary, kind] : kinds)
        if ((rc & 0xff) == primary)
            return kind;
    return Kind::Refused;
}

QString Connection::describe(int rc) const
{
    const QString file = fileName_;
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("База данных «%1» занята другой программой; повторите действие "
                              "немного позже")
            .arg(file);
    case SQLITE_READONLY:
        return QStringLiteral("База данных «%1» доступна только для чтения: изменения не "
                              "сохранены")
            .arg(file);
    case SQLITE_FULL:
        return QStringLiteral("На диске не хватает места: изменения в базе данных «%1» не "
                              "сохранены")
            .arg(file);
    case SQLITE_IOERR:
        return QStringLiteral("Ошибка чтения или записи файла базы данных «%1»").arg(file);
    case SQLITE_CORRUPT:
        return QStringLiteral("Файл базы данных «%1» повреждён").arg(file);
    case SQLITE_NOTADB:
        switch (JetSignature::ofFile(fileName_)) {
        case JetSignature::Kind::Jet3:
        case JetSignature::Kind::Jet4:
            return QStringLiteral("Файл «%1» — каталог прежнего вида (база данных Microsoft "
                                  "Access), который ещё не переведён в формат программы. Чтобы "
                                  "перевести его, запустите программу снова и согласитесь на "
                                  "перенос")
                .arg(file);
        case JetSignature::Kind::Ace:
            return QStringLiteral("Файл «%1» — база данных Access 2007 или более новой версии "
                                  "(формат ACCDB), а не каталог запчастей. Программа переносит "
                                  "каталоги только из файлов Access 97 и Access 2000–2003: "
                                  "сохраните базу данных в формате «Access 2002-2003 (*.mdb)»")
                .arg(file);
        case JetSignature::Kind::Other:
            break;
        }
        return QStringLiteral("Файл «%1» не является базой данных каталога запчастей (это не "
                              "файл SQLite)")
            .arg(file);
    case SQLITE_CANTOPEN:
        // With the file open, what a write could not open is its journal
        // beside the file: the folder does not let a file be made in it.
        if (db_ && readOnly_)
            return QStringLiteral("База данных «%1» доступна только для чтения (в её папку нельзя "
                                  "записывать): изменения не сохранены")
                .arg(file);
        return QStringLiteral("Не удаётся открыть файл базы данных «%1»").arg(file);
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("Нет доступа к файлу базы данных «%1»").arg(file);
    case SQLITE_CONSTRAINT:
        return describeConstraint(rc, db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString());
    case SQLITE_NOMEM:
        return QStringLiteral("Не хватает памяти для работы с базой данных «%1»").arg(file);
    default:
        break;
    }
    const char *detail = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    return QStringLiteral("Ошибка базы данных «%1»: %2").arg(file, QString::fromUtf8(detail));
}

// --- the store's operations --------------------------------------------------

namespace {

constexpr const char *kBeginSql = "BEGIN IMMEDIATE";
constexpr const char *kCommitSql = "COMMIT";
constexpr const char *kRollbackSql = "ROLLBACK";

void bindValue(Statement &statement, int parameter, FieldType type, const StoreValue &value)
{
    if (value.null)
        statement.bindNull(parameter);
    else if (type == FieldType::Text)
        statement.bindText(parameter, value.text);
    else if (type == FieldType::Blob)
        statement.bindBlob(parameter, value.bytes);
    else if (type == FieldType::Currency)
        statement.bindCurrency(parameter, value.number);
    else
        statement.bindInteger(parameter, value.number);
}

} // namespace

TableSchema Connection::verified(const TableSchema &declared)
{
    open();
    return declared.verified(*this);
}

void Connection::readAll(const TableSchema &schema, RowStore &rows)
{
    open();
    SnapshotRead(*this, schema).into(rows);
}

bool Connection::readRow(const TableSchema &schema, qint64 key, const std::vector<int> &withBytes,
                         bool /*lock: the transaction holds the whole file already*/,
                         RowStore &rows, std::map<int, QByteArray> &bytes)
{
    open();
    const TableSql sql(schema);
    Statement read(*this, sql.selectRow(withBytes));
    read.bindInteger(1, key);
    if (!read.step())
        return false;
    sql.readRow(read, rows, rows.appendRow());
    for (const int i : withBytes)
        bytes[i] = read.isNull(i) ? QByteArray() : read.blob(i);
    return true;
}

std::optional<QByteArray> Connection::readBlob(const TableSchema &schema, int field, qint64 key)
{
    open();
    Statement query(*this, TableSql(schema).selectBlob(field));
    query.bindInteger(1, key);
    if (!query.step() || query.isNull(0))
        return std::nullopt;
    return query.blob(0);
}

template <typename MakeSql>
Statement &Connection::prepared(const TableSchema &schema, Write kind,
                                const std::vector<int> &fields, MakeSql makeSql)
{
    open();
    Prepared &entry = prepared_[{schema.table(), kind, fields}];
    // Two schemas of one table may list different columns.
    bool same = entry.statement && entry.columns.size() == size_t(schema.fieldCount());
    for (int i = 0; same && i < schema.fieldCount(); ++i)
        same = entry.columns[size_t(i)] == schema.field(i).name;
    if (!same) {
        entry.statement = std::make_unique<Statement>(*this, makeSql());
        entry.columns.clear();
        for (const FieldDef &def : schema.fields())
            entry.columns.push_back(def.name);
    }
    entry.statement->reset();
    return *entry.statement;
}

qint64 Connection::insert(const TableSchema &schema, const std::vector<StoreValue> &values)
{
    Statement &insert =
        prepared(schema, Write::Insert, {}, [&] { return TableSql(schema).insert(); });
    int parameter = 0;
    for (int i = 0; i < schema.fieldCount(); ++i)
        if (i != schema.keyIndex()) {
            bindValue(insert, parameter + 1, schema.field(i).type, values[size_t(parameter)]);
            ++parameter;
        }
    insert.step();
    insert.reset();
    return insert.lastInsertRowId();
}

int Connection::update(const TableSchema &schema, qint64 key, const std::vector<int> &fields,
                       const std::vector<StoreValue> &values)
{
    Statement &update =
        prepared(schema, Write::Update, fields, [&] { return TableSql(schema).update(fields); });
    for (size_t n = 0; n < fields.size(); ++n)
        bindValue(update, int(n) + 1, schema.field(fields[n]).type, values[n]);
    update.bindInteger(int(fields.size()) + 1, key);
    update.step();
    update.reset();
    return update.changes();
}

int Connection::remove(const TableSchema &schema, qint64 key)
{
    Statement &remove =
        prepared(schema, Write::Remove, {}, [&] { return TableSql(schema).remove(); });
    remove.bindInteger(1, key);
    remove.step();
    remove.reset();
    return remove.changes();
}

void Connection::begin()
{
    open();
    Statement(*this, kBeginSql).step();
}

void Connection::commit()
{
    Statement(*this, kCommitSql).step();
}

void Connection::rollback()
{
    if (db_ && !sqlite3_get_autocommit(db_))
        Statement(*this, kRollbackSql).step();
}

std::vector<QVariantList> Connection::run(const QByteArray &sql, const QVariantList &parameters)
{
    open();
    // The statements of every write (the journal's session) are kept
    // prepared; the rest (making tables, attaching a file) run once.
    std::unique_ptr<Statement> once;
    Statement *kept = nullptr;
    if (sql.startsWith("SELECT") || sql.startsWith("INSERT") || sql.startsWith("UPDATE") ||
        sql.startsWith("DELETE")) {
        std::unique_ptr<Statement> &slot = kept_[sql];
        if (!slot)
            slot = std::make_unique<Statement>(*this, sql);
        kept = slot.get();
        kept->reset();
    } else {
        // A file is detached only when no statement is prepared on it.
        if (sql.startsWith("DETACH"))
            kept_.clear();
        once = std::make_unique<Statement>(*this, sql);
    }
    Statement &statement = kept ? *kept : *once;
    for (int i = 0; i < parameters.size(); ++i) {
        const QVariant &value = parameters[i];
        switch (value.typeId()) {
        case QMetaType::QString:
            statement.bindText(i + 1, value.toString());
            break;
        case QMetaType::QByteArray:
            statement.bindBlob(i + 1, value.toByteArray());
            break;
        case QMetaType::Double:
            statement.bindReal(i + 1, value.toDouble());
            break;
        default:
            if (value.isNull())
                statement.bindNull(i + 1);
            else
                statement.bindInteger(i + 1, value.toLongLong());
        }
    }
    std::vector<QVariantList> rows;
    while (statement.step()) {
        QVariantList row;
        for (int c = 0; c < statement.columns(); ++c)
            switch (statement.type(c)) {
            case Statement::Type::Null:
                row << QVariant();
                break;
            case Statement::Type::Integer:
                row << QVariant(statement.integer(c));
                break;
            case Statement::Type::Real:
                row << QVariant(statement.real(c));
                break;
            case Statement::Type::Text:
                row << QVariant(statement.text(c));
                break;
            case Statement::Type::Blob:
                row << QVariant(statement.blob(c));
                break;
            }
        rows.push_back(std::move(row));
    }
    statement.reset();
    return rows;
}
