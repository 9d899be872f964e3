#include "CatalogueSchema.h"
#include "JetTestCatalogue.h"
#include "ServerSchemaScope.h"
#include "TestCatalogue.h"
#include "UnitDM.h"
#include "recordset/Connection.h"
#include "recordset/Cursor.h"
#include "recordset/Statement.h"
#include "recordset/server/ServerConnection.h"
#include "recordset/server/ServerResult.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the tool without a display setting, as a user at a console would.
Run newdb(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(AUTOPARTS_NEWDB_PATH), arguments);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Opens db.mdb of `folder` as the program does; returns the goods count or -1.
int openAsProgram(const QString &folder, QStringList *failures)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    int goods = -1;
    {
        TDMAuto dm([&](const std::exception &e) { failures->append(QString::fromUtf8(e.what())); });
        if (dm.tblAuto.isOpen())
            goods = dm.tblAuto.RecordCount();
    }
    QDir::setCurrent(previous);
    return goods;
}

// Every value of every row as the grid shows it, in key order.
QStringList shown(Store &store, const TableSchema &table)
{
    Cursor cursor(store, table);
    cursor.open();
    QStringList rows;
    for (int row = 0; row < cursor.displayRowCount(); ++row) {
        QStringList values;
        for (int field = 0; field < cursor.fieldCount(); ++field)
            values << (cursor.field(field).DataType() == FieldType::Blob
                           ? QString::number(cursor.numberAt(row, field))
                           : cursor.displayTextAt(row, field));
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace

class TestNewDb : public QObject
{
    Q_OBJECT

private slots:
    void makesCataloguesTheProgramOpens_data();
    void makesCataloguesTheProgramOpens();
    void refusesAnExistingFile_data();
    void refusesAnExistingFile();
    void badArgumentsShowUsage_data();
    void badArgumentsShowUsage();
    void missingFolderIsReported();
    void upgradesACatalogueOfTheEarlierFormat_data();
    void upgradesACatalogueOfTheEarlierFormat();
    void makesTheTablesOnAServer_data();
    void makesTheTablesOnAServer();
    void movesAFileCatalogueToTheServer();
    void bringsAJetCatalogueIntoAFile();
    void bringsAJetCatalogueOntoTheServer();
};

void TestNewDb::bringsAJetCatalogueIntoAFile()
{
    QTemporaryDir dir;
    const QString jet = dir.filePath(QStringLiteral("old.mdb"));
    JetTestWriter::writeFile(jet, JetTestCatalogue::generated(60, 10, 3000, 5));
    const QString file = dir.filePath(QStringLiteral("db.mdb"));
    const Run run = newdb({QStringLiteral("--from-jet"), jet, file});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(QStringLiteral("Перенесено товаров: 60 (с фотографией: 6), "
                                             "категорий: 200, марок: 100, стран: 30.")),
             qPrintable(run.out + run.err));
    QStringList failures;
    QCOMPARE(openAsProgram(dir.path(), &failures), 60);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));

    // An existing catalogue is never overwritten; what is not a Jet file is told.
    const Run again = newdb({QStringLiteral("--from-jet"), jet, file});
    QCOMPARE(again.exitCode, 1);
    QVERIFY2(again.err.contains(QStringLiteral("уже существует")), qPrintable(again.err));
    const Run ours = newdb({QStringLiteral("--from-jet"), file, dir.filePath(QStringLiteral("x"))});
    QCOMPARE(ours.exitCode, 1);
    QVERIFY2(ours.err.contains(QStringLiteral("не является базой данных Access")),
             qPrintable(ours.err));
}

void TestNewDb::bringsAJetCatalogueOntoTheServer()
{
    if (!TestCatalogue::serverAvailable())
        QSKIP("AUTOPARTS_TEST_SERVER is not set: there is no server to test against");
    QTemporaryDir dir;
    const QString jet = dir.filePath(QStringLiteral("old.mdb"));
    JetFilePlan plan = JetTestCatalogue::generated(40, 8, 9000, 11);
    JetTestCatalogue::table(plan, QStringLiteral("category")).nextAutoNumber = 900;
    JetTestWriter::writeFile(jet, plan);
    const QString file = dir.filePath(QStringLiteral("db.mdb"));
    QCOMPARE(newdb({QStringLiteral("--from-jet"), jet, file}).exitCode, 0);
    const ServerSchemaScope scope("newdb_jet");
    const Run run =
        newdb({QStringLiteral("--from-jet"), jet, QStringLiteral("--server"), scope.target});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(QStringLiteral("Перенесено товаров: 40")), qPrintable(run.out + run.err));

    // The server holds what the file conversion holds, row by row and photo by photo.
    Connection converted(file);
    ServerConnection moved(scope.target);
    for (const TableSchema &table : {CatalogueSchema::goods(), CatalogueSchema::categories(),
                                     CatalogueSchema::makes(), CatalogueSchema::countries()})
        QCOMPARE(shown(moved, table), shown(converted, table));
    const TableSchema goods = CatalogueSchema::goods();
    const int photo = goods.indexOf(QStringLiteral("screenshots"));
    for (qint64 key = 1; key <= 40; ++key)
        QCOMPARE(moved.readBlob(goods, photo, key), converted.readBlob(goods, photo, key));

    // New rows go on past the file's own counter.
    Cursor categories(moved, CatalogueSchema::categories());
    categories.open();
    categories.Append();
    categories.field(1).setAsString(QStringLiteral("Новая"));
    categories.Post();
    QVERIFY(categories.field(0).AsInteger() > 900);
}

void TestNewDb::makesTheTablesOnAServer_data()
{
    makesCataloguesTheProgramOpens_data();
}

void TestNewDb::makesTheTablesOnAServer()
{
    QFETCH(QStringList, options);
    QFETCH(bool, withGoods);
    if (!TestCatalogue::serverAvailable())
        QSKIP("AUTOPARTS_TEST_SERVER is not set: there is no server to test against");
    const ServerSchemaScope scope(withGoods ? "newdb_demo" : "newdb_empty");
    Run run = newdb(QStringList{QStringLiteral("--server"), scope.target} << options);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.startsWith(QStringLiteral("Создан")), qPrintable(run.out + run.err));

    QStringList failures;
    qputenv(Store::ServerVariable, scope.target.toUtf8());
    QTemporaryDir dir;
    const int goods = openAsProgram(dir.path(), &failures);
    qunsetenv(Store::ServerVariable);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(goods > 0, withGoods);

    // A second time finds the tables and leaves them alone.
    run = newdb(QStringList{QStringLiteral("--server"), scope.target} << options);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QStringLiteral("уже есть таблица")), qPrintable(run.err));
}

void TestNewDb::movesAFileCatalogueToTheServer()
{
    if (!TestCatalogue::serverAvailable())
        QSKIP("AUTOPARTS_TEST_SERVER is not set: there is no server to test against");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("db.mdb"));
    QCOMPARE(newdb({QStringLiteral("--demo"), file}).exitCode, 0);
    const ServerSchemaScope scope("newdb_copy");
    const Run run = newdb({QStringLiteral("--copy"), file, QStringLiteral("--server"), scope.target});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(QStringLiteral("перенесён")), qPrintable(run.out + run.err));

    // Every row of every table as it was, keys and photos included.
    Connection source(file);
    ServerConnection moved(scope.target);
    const std::vector<TableSchema> tables = {CatalogueSchema::goods(), CatalogueSchema::categories(),
                                             CatalogueSchema::makes(), CatalogueSchema::countries()};
    for (const TableSchema &table : tables)
        QCOMPARE(shown(moved, table), shown(source, table));
    const TableSchema goods = CatalogueSchema::goods();
    const int photo = goods.indexOf(QStringLiteral("screenshots"));
    for (qint64 key = 1; key <= 60; ++key)
        QCOMPARE(moved.readBlob(goods, photo, key), source.readBlob(goods, photo, key));

    // The counters go on after the largest key moved.
    for (const TableSchema &table : tables) {
        Cursor cursor(moved, table);
        cursor.open();
        qint64 largest = 0;
        for (cursor.First(); !cursor.Eof(); cursor.Next())
            largest = std::max(largest, cursor.field(table.keyIndex()).AsInteger());
        cursor.Append();
        cursor.field(1).setAsString(QStringLiteral("Новое"));
        cursor.Post();
        QCOMPARE(cursor.field(table.keyIndex()).AsInteger(), largest + 1);
    }

    // Moved twice, the second finds the tables and changes nothing.
    const Run again =
        newdb({QStringLiteral("--copy"), file, QStringLiteral("--server"), scope.target});
    QCOMPARE(again.exitCode, 1);
    QVERIFY2(again.err.contains(QStringLiteral("уже есть таблица")), qPrintable(again.err));
}

void TestNewDb::makesCataloguesTheProgramOpens_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("withGoods");
    QTest::newRow("empty") << QStringList() << false;
    QTest::newRow("demo") << QStringList{QStringLiteral("--demo")} << true;
}

void TestNewDb::makesCataloguesTheProgramOpens()
{
    QFETCH(QStringList, options);
    QFETCH(bool, withGoods);
    QTemporaryDir dir;
    const Run run = newdb(options << dir.filePath(QStringLiteral("db.mdb")));
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.startsWith(QStringLiteral("Создан")));

    QStringList failures;
    const int goods = openAsProgram(dir.path(), &failures);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(goods > 0, withGoods);
}

void TestNewDb::refusesAnExistingFile_data()
{
    makesCataloguesTheProgramOpens_data();
}

void TestNewDb::refusesAnExistingFile()
{
    QFETCH(QStringList, options);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("db.mdb"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();

    const Run run = newdb(options << path);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QStringLiteral("уже существует")), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
}

void TestNewDb::badArgumentsShowUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("nothing") << QStringList();
    QTest::newRow("only --demo") << QStringList{QStringLiteral("--demo")};
    QTest::newRow("two files") << QStringList{QStringLiteral("a.mdb"), QStringLiteral("b.mdb")};
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("--empty"), QStringLiteral("a.mdb")};
    QTest::newRow("--copy without --server")
        << QStringList{QStringLiteral("--copy"), QStringLiteral("a.mdb")};
    QTest::newRow("--server without its string") << QStringList{QStringLiteral("--server")};
    QTest::newRow("--from-jet without the new file")
        << QStringList{QStringLiteral("--from-jet"), QStringLiteral("old.mdb")};
    QTest::newRow("--from-jet with --demo")
        << QStringList{QStringLiteral("--from-jet"), QStringLiteral("old.mdb"),
                       QStringLiteral("--demo"), QStringLiteral("a.mdb")};
    QTest::newRow("--server with a file too")
        << QStringList{QStringLiteral("--server"), QStringLiteral("dbname=x"), QStringLiteral("a.mdb")};
}

void TestNewDb::badArgumentsShowUsage()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const Run run = newdb(arguments);
    QDir::setCurrent(previous);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QStringLiteral("Использование")), qPrintable(run.err));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

void TestNewDb::missingFolderIsReported()
{
    QTemporaryDir dir;
    const Run run = newdb({QStringLiteral("--demo"), dir.filePath(QStringLiteral("no/db.mdb"))});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QStringLiteral("не существует")), qPrintable(run.err));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("no"))));
}

void TestNewDb::upgradesACatalogueOfTheEarlierFormat_data()
{
    QTest::addColumn<bool>("unmarked");   // as the earlier version left its files
    QTest::addColumn<QString>("prices");  // as it, or the present one, wrote them
    QTest::addColumn<QString>("refusal"); // empty: upgraded
    QTest::newRow("earlier format") << true << "2895000, 3500000, NULL, -15000"
                                    << "";
    QTest::newRow("already upgraded") << false << "289.5, 350, NULL, -1.5"
                                      << "уже в нынешнем";
    QTest::newRow("unmarked, with amounts") << true << "289.5, 350, NULL, -1.5"
                                            << "не прежней версией";
}

void TestNewDb::upgradesACatalogueOfTheEarlierFormat()
{
    QFETCH(bool, unmarked);
    QFETCH(QString, prices);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("db.mdb"));
    QCOMPARE(newdb({path}).exitCode, 0);
    {
        Connection connection(path);
        connection.open();
        if (unmarked) {
            Statement(connection, "PRAGMA application_id = 0").step();
            Statement(connection, "PRAGMA user_version = 0").step();
        }
        for (const QString &price : prices.split(QStringLiteral(", ")))
            Statement(connection, "INSERT INTO tovars (price) VALUES (" + price.toUtf8() + ")")
                .step();
    }

    const Run run = newdb({QStringLiteral("--upgrade"), path});
    QCOMPARE(run.exitCode, refusal.isEmpty() ? 0 : 1);
    QVERIFY2(run.err.contains(refusal), qPrintable(run.err));
    // Upgraded, or refused and untouched: the file holds the amounts themselves.
    Connection connection(path);
    connection.open();
    Statement stored(connection, "SELECT group_concat(quote(price), ', ') FROM tovars");
    QVERIFY(stored.step());
    QCOMPARE(stored.text(0), QStringLiteral("289.5, 350, NULL, -1.5"));
    Statement version(connection, "PRAGMA user_version");
    QVERIFY(version.step());
    QCOMPARE(version.integer(0), unmarked && !refusal.isEmpty() ? 0 : 2);
    QStringList failures;
    QCOMPARE(openAsProgram(dir.path(), &failures), 4);
}

QTEST_MAIN(TestNewDb)
#include "tst_newdb.moc"
