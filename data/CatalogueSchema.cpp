#include "CatalogueSchema.h"

#include "recordset/Error.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace {

// A price is the amount itself, as every program reads it: whole amounts as
// integers, others as reals of at most 15 significant digits. Reference names
// are unique, so the store itself refuses a duplicate.
constexpr const char *kCreateTablesSql[] = {
    R"(CREATE TABLE category (
        cat_id INTEGER PRIMARY KEY AUTOINCREMENT,
        catName NVARCHAR(50) UNIQUE))",
    R"(CREATE TABLE autotype (
        auto_type INTEGER PRIMARY KEY AUTOINCREMENT,
        name NVARCHAR(50) UNIQUE))",
    R"(CREATE TABLE country (
        country_id INTEGER PRIMARY KEY AUTOINCREMENT,
        country NVARCHAR(50) UNIQUE))",
    R"(CREATE TABLE tovars (
        auto_id INTEGER PRIMARY KEY AUTOINCREMENT,
        codeTov NVARCHAR(20),
        numSklad INTEGER,
        cat_id INTEGER,
        tovName NVARCHAR(100),
        models NVARCHAR(50),
        counts INTEGER,
        price DECIMAL(19,4),
        auto_type INTEGER,
        country_id INTEGER,
        screenshots BLOB))",
};

// Pragmas take no bound parameters; the numbers are our own constants.
constexpr const char *kApplicationIdSql = "PRAGMA application_id = %1";
constexpr const char *kUserVersionSql = "PRAGMA user_version = %1";

} // namespace

TableSchema CatalogueSchema::goods()
{
    return TableSchema(QStringLiteral("tovars"),
                       {{QStringLiteral("auto_id"), FieldType::AutoInc, 0},
                        {QStringLiteral("codeTov"), FieldType::Text, 20},
                        {QStringLiteral("numSklad"), FieldType::Integer, 0},
                        {QStringLiteral("cat_id"), FieldType::Integer, 0},
                        {QStringLiteral("tovName"), FieldType::Text, 100},
                        {QStringLiteral("models"), FieldType::Text, 50},
                        {QStringLiteral("counts"), FieldType::Integer, 0},
                        {QStringLiteral("price"), FieldType::Currency, 0},
                        {QStringLiteral("auto_type"), FieldType::Integer, 0},
                        {QStringLiteral("country_id"), FieldType::Integer, 0},
                        {QStringLiteral("screenshots"), FieldType::Blob, 0}});
}

TableSchema CatalogueSchema::categories()
{
    return TableSchema(QStringLiteral("category"),
                       {{QStringLiteral("cat_id"), FieldType::AutoInc, 0},
                        {QStringLiteral("catName"), FieldType::Text, 50, true}});
}

TableSchema CatalogueSchema::makes()
{
    return TableSchema(QStringLiteral("autotype"),
                       {{QStringLiteral("auto_type"), FieldType::AutoInc, 0},
                        {QStringLiteral("name"), FieldType::Text, 50, true}});
}

TableSchema CatalogueSchema::countries()
{
    return TableSchema(QStringLiteral("country"),
                       {{QStringLiteral("country_id"), FieldType::AutoInc, 0},
                        {QStringLiteral("country"), FieldType::Text, 50, true}});
}

QList<QByteArray> CatalogueSchema::markStatements()
{
    return {QString::fromLatin1(kApplicationIdSql).arg(ApplicationId).toLatin1(),
            QString::fromLatin1(kUserVersionSql).arg(FormatVersion).toLatin1()};
}

void CatalogueSchema::create(const QString &fileName)
{
    if (QFileInfo::exists(fileName))
        throw Error(QStringLiteral("Файл «%1» уже существует").arg(fileName));
    // A new file is empty, which the program's own connection rightly
    // refuses; so the tables are made over a connection of their own.
    sqlite3 *db = nullptr;
    const QByteArray name = QFile::encodeName(fileName);
    int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (const char *sql : kCreateTablesSql)
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    for (const QByteArray &mark : markStatements())
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, mark.constData(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const QString detail = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    if (rc != SQLITE_OK)
        throw StoreError(rc, QStringLiteral("Не удаётся создать файл «%1»: %2").arg(fileName, detail));
}
