#include "TestCatalogue.h"

#include "CatalogueSchema.h"
#include "ServerCatalogue.h"
#include "recordset/Connection.h"
#include "recordset/server/ServerConnection.h"
#include "recordset/server/ServerResult.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>
#include <atomic>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <stdexcept>

namespace {

constexpr const char *kServerVariable = "AUTOPARTS_TEST_SERVER";

// The server's type numbers of the columns that the checks read.
enum ServerType { Bool = 16, Bytea = 17, Int8 = 20, Int2 = 21, Int4 = 23, Float4 = 700,
                  Float8 = 701, Numeric = 1700 };

} // namespace

void TestCatalogue::addEngines()
{
    QTest::addColumn<QString>("engine");
    QTest::newRow("file") << QStringLiteral("file");
    QTest::newRow("server") << QStringLiteral("server");
}

TestCatalogue::Engine TestCatalogue::engineOfTest()
{
    QFETCH_GLOBAL(QString, engine);
    return engine == QLatin1String("server") ? Engine::Server : Engine::File;
}

bool TestCatalogue::serverAvailable()
{
    return !qEnvironmentVariableIsEmpty(kServerVariable);
}

QString TestCatalogue::serverConnectionString()
{
    return qEnvironmentVariable(kServerVariable);
}

TestCatalogue::TestCatalogue(Engine engine) : engine_(engine)
{
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
    previousDir_ = QDir::currentPath();
    previousTarget_ = qgetenv(Store::ServerVariable);
    if (engine_ == Engine::Server) {
        if (!serverAvailable())
            throw std::runtime_error("AUTOPARTS_TEST_SERVER is not set");
        // Tables of their own in a schema of their own: quicker to make than
        // a database, and no test sees another's rows.
        static std::atomic<int> made{0};
        schema_ = QStringLiteral("apt_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
        ServerConnection admin(serverConnectionString());
        admin.execute("DROP SCHEMA IF EXISTS " + schema_.toLatin1() + " CASCADE");
        admin.execute("CREATE SCHEMA " + schema_.toLatin1());
        server_ = std::make_unique<ServerConnection>(path());
        ServerCatalogue::create(*server_);
        qputenv(Store::ServerVariable, path().toUtf8());
    } else {
        qunsetenv(Store::ServerVariable);
        CatalogueSchema::create(path());
        if (sqlite3_open_v2(QFile::encodeName(path()).constData(), &db_, SQLITE_OPEN_READWRITE,
                            nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open the test catalogue");
        sqlite3_busy_timeout(db_, 5000);
    }
    QDir::setCurrent(dir_.path());
}

TestCatalogue::~TestCatalogue()
{
    sqlite3_close_v2(db_);
    if (server_) {
        server_.reset();
        try {
            ServerConnection(serverConnectionString())
                .execute("DROP SCHEMA IF EXISTS " + schema_.toLatin1() + " CASCADE");
        } catch (...) {
            // A server stopped by the test leaves the schema to the next run's cluster.
        }
    }
    if (previousTarget_.isNull())
        qunsetenv(Store::ServerVariable);
    else
        qputenv(Store::ServerVariable, previousTarget_);
    QDir::setCurrent(previousDir_);
}

QString TestCatalogue::path() const
{
    if (engine_ == Engine::Server)
        return serverConnectionString() +
               QStringLiteral(" options='-c search_path=%1'").arg(schema_);
    return dir_.filePath(QStringLiteral("db.mdb"));
}

std::unique_ptr<Store> TestCatalogue::connect() const
{
    if (engine_ == Engine::Server)
        return std::make_unique<ServerConnection>(path());
    return std::make_unique<Connection>(QStringLiteral("db.mdb"));
}

QVariant TestCatalogue::serverQuery(const char *sql, const QVariantList &parameters)
{
    QByteArray text;
    int number = 0;
    for (const char *c = sql; *c; ++c)
        text += *c == '?' ? '$' + QByteArray::number(++number) : QByteArray(1, *c);
    std::vector<ServerConnection::Parameter> values;
    for (const QVariant &p : parameters) {
        if (p.isNull())
            values.push_back({});
        else if (p.typeId() == QMetaType::QByteArray)
            values.push_back({p.toByteArray(), true});
        else
            values.push_back({p.toString().toUtf8(), false});
    }
    const ServerResult result = server_->execute(text, values);
    if (result.rows() == 0 || PQnfields(result.get()) == 0 || result.isNull(0, 0))
        return {};
    const std::string_view value = result.value(0, 0);
    switch (PQftype(result.get(), 0)) {
    case Bool:
        return value == "t";
    case Int2:
    case Int4:
    case Int8:
        return result.integer(0, 0);
    case Float4:
    case Float8:
        return result.text(0, 0).toDouble();
    case Numeric: {
        const double amount = result.text(0, 0).toDouble();
        if (amount == double(qint64(amount)))
            return qint64(amount);
        return amount;
    }
    case Bytea: {
        size_t length = 0;
        unsigned char *bytes =
            PQunescapeBytea(reinterpret_cast<const unsigned char *>(value.data()), &length);
        const QByteArray data(reinterpret_cast<const char *>(bytes), qsizetype(length));
        PQfreemem(bytes);
        return data;
    }
    default:
        return result.text(0, 0);
    }
}

QVariant TestCatalogue::query(const char *sql, const QVariantList &parameters)
{
    if (server_)
        return serverQuery(sql, parameters);
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db_));
    for (int i = 0; i < parameters.size(); ++i) {
        const QVariant &p = parameters[i];
        if (p.isNull()) {
            sqlite3_bind_null(stmt, i + 1);
        } else if (p.typeId() == QMetaType::QByteArray) {
            const QByteArray bytes = p.toByteArray();
            sqlite3_bind_blob(stmt, i + 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        } else if (p.typeId() == QMetaType::Double) {
            sqlite3_bind_double(stmt, i + 1, p.toDouble());
        } else if (p.typeId() == QMetaType::QString) {
            const QByteArray text = p.toString().toUtf8();
            sqlite3_bind_text(stmt, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_int64(stmt, i + 1, p.toLongLong());
        }
    }
    QVariant result;
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
        switch (sqlite3_column_type(stmt, 0)) {
        case SQLITE_INTEGER:
            result = qint64(sqlite3_column_int64(stmt, 0));
            break;
        case SQLITE_TEXT:
            result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
            break;
        case SQLITE_BLOB:
            result = QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, 0)),
                                sqlite3_column_bytes(stmt, 0));
            break;
        case SQLITE_FLOAT:
            result = sqlite3_column_double(stmt, 0);
            break;
        default:
            break;
        }
    } else if (rc != SQLITE_DONE) {
        const std::string message = sqlite3_errmsg(db_);
        sqlite3_finalize(stmt);
        throw std::runtime_error(message);
    }
    sqlite3_finalize(stmt);
    return result;
}

int TestCatalogue::count(const char *table)
{
    const QByteArray sql = QByteArray("SELECT count(*) FROM ") + table;
    return query(sql.constData()).toInt();
}

qint64 TestCatalogue::insert(const char *sql, const QVariantList &parameters)
{
    if (server_) {
        // Every table's key is its first column.
        const QByteArray returning = QByteArray(sql) + " RETURNING " +
                                     (QByteArray(sql).contains("tovars")     ? "auto_id"
                                      : QByteArray(sql).contains("category") ? "cat_id"
                                      : QByteArray(sql).contains("autotype") ? "auto_type"
                                                                             : "country_id");
        return serverQuery(returning.constData(), parameters).toLongLong();
    }
    query(sql, parameters);
    return sqlite3_last_insert_rowid(db_);
}

qint64 TestCatalogue::addCategory(const QString &name)
{
    return insert("INSERT INTO category (catName) VALUES (?)", {name});
}

qint64 TestCatalogue::addMake(const QString &name)
{
    return insert("INSERT INTO autotype (name) VALUES (?)", {name});
}

qint64 TestCatalogue::addCountry(const QString &name)
{
    return insert("INSERT INTO country (country) VALUES (?)", {name});
}

qint64 TestCatalogue::addGoods(const Goods &g)
{
    const auto value = [](const auto &optional) {
        return optional ? QVariant::fromValue(*optional) : QVariant();
    };
    // Written as any program writes an amount: whole roubles as an integer.
    const auto price = [](const std::optional<qint64> &tenThousandths) {
        if (!tenThousandths)
            return QVariant();
        if (*tenThousandths % 10000 == 0)
            return QVariant(*tenThousandths / 10000);
        return QVariant(double(*tenThousandths) / 10000.0);
    };
    return insert("INSERT INTO tovars (codeTov, numSklad, cat_id, tovName, models, counts, price, "
                  "auto_type, country_id, screenshots) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                  {value(g.codeTov), value(g.numSklad), value(g.catId), value(g.tovName),
                   value(g.models), value(g.counts), price(g.price), value(g.autoType),
                   value(g.countryId), value(g.screenshots)});
}
