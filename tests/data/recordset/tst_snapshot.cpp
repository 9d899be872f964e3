#include "CatalogueSchema.h"
#include "TestCatalogue.h"
#include "recordset/Connection.h"
#include "recordset/LargeArray.h"
#include "recordset/RowStore.h"
#include "recordset/SnapshotRead.h"
#include "recordset/Statement.h"
#include "recordset/TableSql.h"

#include <QTest>
#include <numeric>
#include <sqlite3.h>
#include <thread>

// The snapshot of a table: the arrays it is held in, two parts joined into
// one, and a large table read on two cores giving exactly what one reading
// gives.

namespace {

// Goods with every kind of value: NULLs in each column, amounts whole and
// with kopecks, photos, texts in two alphabets.
constexpr const char *kFillSql =
    "INSERT INTO tovars (codeTov, numSklad, cat_id, tovName, models, counts, price, "
    "auto_type, country_id, screenshots) "
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
    "SELECT printf('A-%05d', i), CASE WHEN i % 13 THEN i % 5 END, i % 7, "
    "CASE WHEN i % 17 THEN 'Фильтр ' || (i % 313) || ' Ёж' END, "
    "CASE WHEN i % 19 THEN 'Model ' || (i % 29) END, i % 100, "
    "CASE i % 3 WHEN 0 THEN i WHEN 1 THEN i + 0.25 END, i % 11, i % 4, "
    "CASE WHEN i % 997 = 0 THEN zeroblob(i % 50) END FROM n";

// The table as one plain reading of the engine gives it.
RowStore readPlainly(Connection &connection, const TableSchema &schema)
{
    RowStore rows(schema);
    const TableSql sql(schema);
    Statement query(connection, sql.selectAll());
    while (query.step())
        sql.readRow(query, rows, rows.appendRow());
    return rows;
}

// Fails with the first row and column where two stores differ.
void compareStores(const RowStore &actual, const RowStore &expected, int columns)
{
    QCOMPARE(actual.rowCount(), expected.rowCount());
    for (int row = 0; row < expected.rowCount(); ++row)
        for (int column = 0; column < columns; ++column)
            if (!actual.sameValue(row, column, expected, row) ||
                actual.isDeleted(row) != expected.isDeleted(row))
                QFAIL(qPrintable(QStringLiteral("row %1, column %2 differs").arg(row).arg(column)));
}

RowStore numbered(const TableSchema &schema, int first, int count)
{
    RowStore rows(schema);
    for (int key = first; key < first + count; ++key) {
        const int row = rows.appendRow();
        rows.setInteger(row, 0, key);
        if (key % 3)
            rows.setText(row, 1, QString::number(key));
        if (key % 5 == 0)
            rows.setDeleted(row);
    }
    return rows;
}

} // namespace

class TestSnapshot : public QObject
{
    Q_OBJECT
private slots:
    void arraysKeepTheirValues();
    void adoptedArraysJoinTheirValues();
    void joinedPartsKeepEveryValueAndMark_data();
    void joinedPartsKeepEveryValueAndMark();
    void twoCoresReadWhatOneReads_data();
    void twoCoresReadWhatOneReads();
    void valuesOfAnotherKindAsTheEngineGivesThem();
};

// Across the step from the heap to mapped memory, and back to less.
void TestSnapshot::arraysKeepTheirValues()
{
    LargeArray<int> values;
    for (int i = 0; i < 700000; ++i)
        values.push_back(i);
    values.erase(10);
    values.shrink();
    QCOMPARE(values.size(), size_t(699999));
    QCOMPARE(values[9], 9);
    QCOMPARE(values[10], 11);
    QCOMPARE(values.back(), 699999);
    LargeArray<int> copy = values;
    values.truncate(5);
    values.push_back(-1);
    QCOMPARE(values[5], -1);
    QCOMPARE(copy[5], 5);
    QCOMPARE(copy.size(), size_t(699999));
}

// On a page boundary the pages are taken over, elsewhere the values copied;
// either way the values follow each other and the array grows on after.
void TestSnapshot::adoptedArraysJoinTheirValues()
{
    for (const size_t first : {size_t(1) << 20, (size_t(1) << 20) + 3, size_t(100)}) {
        LargeArray<qint64> a, b;
        for (size_t i = 0; i < first; ++i)
            a.push_back(qint64(i));
        for (size_t i = 0; i < 300000; ++i)
            b.push_back(qint64(first + i));
        a.adopt(std::move(b));
        QVERIFY(b.empty());
        for (size_t i = 0; i < 600000; ++i)
            a.push_back(qint64(first + 300000 + i));
        QCOMPARE(a.size(), first + 900000);
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i] != qint64(i))
                QFAIL(qPrintable(QStringLiteral("%1 of %2: %3").arg(i).arg(first).arg(a[i])));
    }
}

void TestSnapshot::joinedPartsKeepEveryValueAndMark_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addRow("a whole page of rows first") << RowStore::PageRows * 3 << 2000;
    QTest::addRow("rows that end inside a word of marks") << 100 << 2000;
    QTest::addRow("nothing first") << 0 << 2000;
    QTest::addRow("parts large enough to be taken over") << RowStore::PageRows * 300 << 140000;
}

void TestSnapshot::joinedPartsKeepEveryValueAndMark()
{
    QFETCH(int, first);
    QFETCH(int, second);
    const TableSchema schema(QStringLiteral("t"), {{QStringLiteral("id"), FieldType::AutoInc, 0},
                                                   {QStringLiteral("name"), FieldType::Text, 0}});
    RowStore joined = numbered(schema, 1, first);
    joined.append(numbered(schema, first + 1, second));
    compareStores(joined, numbered(schema, 1, first + second), 2);
    QVERIFY(joined.keysAscending());
    QCOMPARE(joined.rowOfKey(first + 7), first + 6);

    // A part whose keys do not follow on is joined all the same, and then
    // found by walking the rows.
    joined.append(numbered(schema, 1, 10));
    QVERIFY(!joined.keysAscending());
    QCOMPARE(joined.rowOfKey(2), 1);
}

void TestSnapshot::twoCoresReadWhatOneReads_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("parts");
    QTest::addRow("keys without gaps") << QString() << 2;
    QTest::addRow("keys with gaps") << "DELETE FROM tovars WHERE auto_id % 7 = 0 OR "
                                       "auto_id BETWEEN 20000 AND 31000"
                                    << 2;
    QTest::addRow("fewer rows than half the keys")
        << "DELETE FROM tovars WHERE auto_id % 100 <> 0" << 2;
    QTest::addRow("a small table") << "DELETE FROM tovars WHERE auto_id > 40000" << 1;
    // A second connection of a file in WAL mode may see a later moment.
    QTest::addRow("a file in WAL mode") << "PRAGMA journal_mode=WAL" << 1;
}

void TestSnapshot::twoCoresReadWhatOneReads()
{
    QFETCH(QString, change);
    QFETCH(int, parts);
    if (std::thread::hardware_concurrency() < 2)
        parts = 1; // one core reads alone
    TestCatalogue catalogue;
    catalogue.query(kFillSql, {60000});
    if (!change.isEmpty())
        catalogue.query(change.toUtf8().constData());

    Connection connection(QStringLiteral("db.mdb"));
    const TableSchema schema = connection.verified(CatalogueSchema::goods());
    const RowStore expected = readPlainly(connection, schema);
    RowStore rows(schema);
    QCOMPARE(SnapshotRead(connection, schema).into(rows), parts);
    compareStores(rows, expected, schema.fieldCount());
    QVERIFY(rows.keysAscending());

    // Another program's row not yet committed is not seen; our own is.
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open_v2("db.mdb", &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE; INSERT INTO tovars (tovName) VALUES ('чужая')",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    RowStore whileWriting(schema);
    QCOMPARE(SnapshotRead(connection, schema).into(whileWriting), parts);
    compareStores(whileWriting, expected, schema.fieldCount());
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(other);

    connection.begin();
    connection.insert(schema, std::vector<StoreValue>(size_t(schema.fieldCount() - 1)));
    RowStore withOurs(schema);
    QCOMPARE(SnapshotRead(connection, schema).into(withOurs), 1);
    connection.rollback();
    QCOMPARE(withOurs.rowCount(), expected.rowCount() + 1);
}

// Another program may store any kind of value in any column: a text column
// shows a number as the engine writes it, a number column takes the engine's
// reading of a text or a real.
void TestSnapshot::valuesOfAnotherKindAsTheEngineGivesThem()
{
    TestCatalogue catalogue;
    catalogue.query("INSERT INTO tovars (tovName, models, counts, numSklad, screenshots) VALUES "
                    "(12, 1.5, '7', 2.9, x'0102'), (x'41', '', -3, '12abc', NULL)");
    Connection connection(QStringLiteral("db.mdb"));
    const TableSchema schema = connection.verified(CatalogueSchema::goods());
    RowStore rows(schema);
    SnapshotRead(connection, schema).into(rows);
    const auto column = [&](const char *name) { return schema.indexOf(QLatin1String(name)); };
    QCOMPARE(rows.text(0, column("tovName")), QStringLiteral("12"));
    QCOMPARE(rows.text(0, column("models")), QStringLiteral("1.5"));
    QCOMPARE(rows.integer(0, column("counts")), 7);
    QCOMPARE(rows.integer(0, column("numSklad")), 2);
    QCOMPARE(rows.integer(0, column("screenshots")), 2); // a photo by its size
    QCOMPARE(rows.text(1, column("tovName")), QStringLiteral("A"));
    QVERIFY(!rows.isNull(1, column("models")));
    QCOMPARE(rows.text(1, column("models")), QString());
    QCOMPARE(rows.integer(1, column("counts")), -3);
    QCOMPARE(rows.integer(1, column("numSklad")), 12);
    QVERIFY(rows.isNull(1, column("screenshots")));
}

QTEST_GUILESS_MAIN(TestSnapshot)
#include "tst_snapshot.moc"
