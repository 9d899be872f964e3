#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <QtTest/QTest>
#include <memory>
#include <optional>

class ServerConnection;
class Store;
struct sqlite3;

// A fresh catalogue in a temporary folder, which becomes the current
// directory for the object's life, as the program expects: the file `db.mdb`,
// or tables of their own on the test server (a schema of the server's test
// database, named by AUTOPARTS_TEST_SERVER), which AUTOPARTS_DATABASE then
// names for the object's life, so that the data module and second programs
// started meanwhile find it. Set-up and checks go straight to the store
// through a connection of the test's own.
class TestCatalogue
{
public:
    enum class Engine { File, Server };

    // Tests that run once for each store name them in their global data:
    // initTestCase_data() calls addEngines(), init() calls
    // SKIP_UNLESS_ENGINE_AVAILABLE(), and the catalogue is made with
    // engineOfTest().
    static void addEngines();
    static Engine engineOfTest();
    static bool serverAvailable();
    // The connection string of the test server's own database.
    static QString serverConnectionString();

    struct Goods
    {
        std::optional<int> numSklad;
        std::optional<int> catId;
        std::optional<QString> tovName;
        std::optional<QString> models;
        std::optional<int> counts;
        std::optional<qint64> price; // ten-thousandths
        std::optional<int> autoType;
        std::optional<int> countryId;
        std::optional<QByteArray> screenshots;
        std::optional<QString> codeTov;
    };

    explicit TestCatalogue(Engine engine = Engine::File);
    ~TestCatalogue();
    TestCatalogue(const TestCatalogue &) = delete;
    TestCatalogue &operator=(const TestCatalogue &) = delete;

    Engine engine() const { return engine_; }
    bool onServer() const { return engine_ == Engine::Server; }
    QString folder() const { return dir_.path(); }
    // The file, or the server's connection string that names these tables.
    QString path() const;
    // A new connection of the program's own kind to this catalogue.
    std::unique_ptr<Store> connect() const;

    qint64 addCategory(const QString &name);
    qint64 addMake(const QString &name);
    qint64 addCountry(const QString &name);
    qint64 addGoods(const Goods &goods);

    // Runs a statement with positional parameters ("?"); returns the first
    // column of the first row, or an invalid QVariant. On the server an
    // amount reads as an integer when whole, else as a double, as the file
    // holds it.
    QVariant query(const char *sql, const QVariantList &parameters = {});
    int count(const char *table);

private:
    QVariant serverQuery(const char *sql, const QVariantList &parameters);
    qint64 insert(const char *sql, const QVariantList &parameters);

    Engine engine_;
    QTemporaryDir dir_;
    QString previousDir_;
    sqlite3 *db_ = nullptr;
    std::unique_ptr<ServerConnection> server_;
    QString schema_; // on the server
    QByteArray previousTarget_;
};

// In init(): skips the test function when its store is the server and no
// test server is configured.
#define SKIP_UNLESS_ENGINE_AVAILABLE()                                                             \
    do {                                                                                           \
        if (TestCatalogue::engineOfTest() == TestCatalogue::Engine::Server &&                      \
            !TestCatalogue::serverAvailable())                                                     \
            QSKIP("AUTOPARTS_TEST_SERVER is not set: there is no server to test against");         \
    } while (false)
