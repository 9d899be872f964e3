#include "CurrentFolder.h"
#include "UnitDM.h"
#include "recordset/Error.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

using Replacements = QList<QPair<QString, QString>>;

namespace {

// The catalogue as another tool might have written it; each case edits this text.
const char kCatalogueSql[] = R"(
BEGIN;
CREATE TABLE category (cat_id INTEGER PRIMARY KEY AUTOINCREMENT, catName NVARCHAR(50) UNIQUE);
CREATE TABLE autotype (auto_type INTEGER PRIMARY KEY AUTOINCREMENT, name NVARCHAR(50) UNIQUE);
CREATE TABLE country (country_id INTEGER PRIMARY KEY AUTOINCREMENT, country NVARCHAR(50) UNIQUE);
CREATE TABLE tovars (auto_id INTEGER PRIMARY KEY AUTOINCREMENT, codeTov NVARCHAR(20),
    numSklad INTEGER, cat_id INTEGER, tovName NVARCHAR(100), models NVARCHAR(50),
    counts INTEGER, price DECIMAL(19,4), auto_type INTEGER, country_id INTEGER,
    screenshots BLOB);
INSERT INTO category (catName) VALUES ('Фильтры');
INSERT INTO tovars (tovName, cat_id) VALUES ('Фильтр', 1);
COMMIT;
)";

bool buildCatalogue(const QString &fileName, const QString &sql)
{
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(fileName).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        qWarning("%s", sqlite3_errmsg(db));
    sqlite3_close_v2(db);
    return rc == SQLITE_OK;
}

} // namespace

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void check_data();
    void check();
    void textWidthComesFromTheFile();
};

void TestSchema::check_data()
{
    QTest::addColumn<Replacements>("edits");
    QTest::addColumn<QStringList>("failing"); // tables of the cursors that stay closed
    QTest::addColumn<QStringList>("named");   // what each report must mention

    const QString autotype = QStringLiteral(
        "CREATE TABLE autotype (auto_type INTEGER PRIMARY KEY AUTOINCREMENT, name NVARCHAR(50) "
        "UNIQUE);");
    QTest::newRow("as made") << Replacements{} << QStringList{} << QStringList{};
    QTest::newRow("missing table")
        << Replacements{{autotype, ""}} << QStringList{"autotype"} << QStringList{"autotype"};
    QTest::newRow("missing column") << Replacements{{"models NVARCHAR(50),", ""}}
                                    << QStringList{"tovars"} << QStringList{"tovars", "models"};
    QTest::newRow("text for a number") << Replacements{{"counts INTEGER", "counts NVARCHAR(10)"}}
                                       << QStringList{"tovars"} << QStringList{"tovars", "counts"};
    QTest::newRow("number for a text")
        << Replacements{{"catName NVARCHAR(50)", "catName INTEGER"}} << QStringList{"category"}
        << QStringList{"category", "catName"};
    QTest::newRow("price with 2 places") << Replacements{{"DECIMAL(19,4)", "DECIMAL(19,2)"}}
                                         << QStringList{"tovars"} << QStringList{"tovars", "price"};
    QTest::newRow("price as floating point")
        << Replacements{{"DECIMAL(19,4)", "REAL"}} << QStringList{"tovars"}
        << QStringList{"tovars", "price"};
    QTest::newRow("price too wide") << Replacements{{"DECIMAL(19,4)", "DECIMAL(28,4)"}}
                                    << QStringList{"tovars"} << QStringList{"tovars", "price"};
    QTest::newRow("photo as text") << Replacements{{"screenshots BLOB", "screenshots TEXT"}}
                                   << QStringList{"tovars"} << QStringList{"tovars", "screenshots"};
    QTest::newRow("key without auto-increment")
        << Replacements{{"country_id INTEGER PRIMARY KEY AUTOINCREMENT", "country_id INTEGER"}}
        << QStringList{"country", "country"} << QStringList{"country", "country_id"};
    QTest::newRow("equivalent type names")
        << Replacements{{"DECIMAL(19,4)", "NUMERIC(19, 4)"},
                        {"tovName NVARCHAR(100)", "tovName VARCHAR(100)"},
                        {"counts INTEGER", "counts INT"}}
        << QStringList{} << QStringList{};
    QTest::newRow("currency type")
        << Replacements{{"DECIMAL(19,4)", "CURRENCY"}} << QStringList{} << QStringList{};
}

void TestSchema::check()
{
    QFETCH(Replacements, edits);
    QFETCH(QStringList, failing);
    QFETCH(QStringList, named);

    QString sql = QString::fromUtf8(kCatalogueSql);
    for (const auto &edit : edits) {
        QVERIFY2(sql.contains(edit.first), qPrintable(edit.first));
        sql.replace(edit.first, edit.second);
    }
    QTemporaryDir folder;
    QVERIFY(buildCatalogue(folder.filePath("db.mdb"), sql));
    const CurrentFolder inFolder(folder.path());

    QStringList reports;
    {
        TDMAuto dm([&](const std::exception &e) { reports << QString::fromUtf8(e.what()); });
        QCOMPARE(reports.size(), failing.size());
        for (const QString &report : reports)
            for (const QString &word : named)
                QVERIFY2(report.contains(QStringLiteral("«%1»").arg(word)), qPrintable(report));
        for (Cursor *c :
             {&dm.tblCountry, &dm.tblCategory, &dm.tblAuto, &dm.tblMarka, &dm.tblCountryList})
            QCOMPARE(c->isOpen(), !failing.contains(c->tableName()));
        if (dm.tblAuto.isOpen())
            QCOMPARE(dm.tblAuto.RecordCount(), 1);
        if (dm.tblAuto.isOpen() && dm.tblCategory.isOpen())
            QCOMPARE(dm.tblAutostrCat.DisplayText(), "Фильтры");
    }
}

void TestSchema::textWidthComesFromTheFile()
{
    QString sql = QString::fromUtf8(kCatalogueSql);
    sql.replace("tovName NVARCHAR(100)", "tovName NVARCHAR(8)");
    QTemporaryDir folder;
    QVERIFY(buildCatalogue(folder.filePath("db.mdb"), sql));
    const CurrentFolder inFolder(folder.path());
    {
        TDMAuto dm([](const std::exception &e) { QFAIL(e.what()); });
        QCOMPARE(dm.tblAutotovName.Size(), 8);
        dm.tblAuto.Edit();
        dm.tblAutotovName.setAsString("12345678");
        QVERIFY_THROWS_EXCEPTION(Error, dm.tblAutotovName.setAsString("123456789"));
        dm.tblAuto.Cancel();
    }
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
