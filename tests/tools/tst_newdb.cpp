#include "UnitDM.h"
#include "recordset/Connection.h"
#include "recordset/Statement.h"

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
};

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
