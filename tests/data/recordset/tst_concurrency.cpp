#include "CatalogueSchema.h"
#include "ErrorOf.h"
#include "TestCatalogue.h"
#include "recordset/Connection.h"
#include "recordset/Cursor.h"
#include "recordset/Error.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

// One program's view of the shared file: a connection of its own and a
// goods cursor over it.
struct Program
{
    Program() { goods.open(); }
    Field &field(const char *name) { return goods.FieldByName(QLatin1String(name)); }

    Connection connection{QStringLiteral("db.mdb")};
    Cursor goods{connection, CatalogueSchema::goods()};
};

qint64 addNamed(TestCatalogue &catalogue, const QString &name)
{
    TestCatalogue::Goods g;
    g.tovName = name;
    return catalogue.addGoods(g);
}

} // namespace

class TestConcurrency : public QObject
{
    Q_OBJECT

private slots:
    void writeSeenByFreshSnapshot();
    void editOfRowDeletedElsewhere();
    void lockedFileMakesPostWaitThenFail();
};

void TestConcurrency::writeSeenByFreshSnapshot()
{
    TestCatalogue catalogue;
    addNamed(catalogue, "Старое имя");
    Program a, b;

    a.goods.Edit();
    a.field("tovName").setAsString("Новое имя");
    a.goods.Post();
    a.goods.Append();
    a.field("tovName").setAsString("Добавлен в A");
    a.goods.Post();

    QCOMPARE(b.field("tovName").AsString(), "Старое имя");
    b.goods.Refresh();
    QCOMPARE(b.field("tovName").AsString(), "Новое имя");
    QCOMPARE(b.goods.RecordCount(), 1);
    b.goods.close();
    b.goods.open();
    QCOMPARE(b.goods.RecordCount(), 2);
    QVERIFY(b.goods.Locate("tovName", "Добавлен в A"));

    // And the other way round, through the same kind of cursor.
    b.goods.Edit();
    b.field("counts").setAsInteger(12);
    b.goods.Post();
    a.goods.Refresh();
    QCOMPARE(a.field("counts").AsInteger(), 12);
}

void TestConcurrency::editOfRowDeletedElsewhere()
{
    TestCatalogue catalogue;
    addNamed(catalogue, "Первый");
    const qint64 second = addNamed(catalogue, "Второй");
    Program a, b;
    a.goods.Next();
    b.goods.Next();

    a.goods.Edit();
    a.field("tovName").setAsString("Правка");
    b.goods.Delete();

    const QString message = errorOf([&] { a.goods.Post(); });
    QVERIFY(!message.isNull());
    QVERIFY2(message.contains("tovars"), qPrintable(message));
    QCOMPARE(a.goods.State(), CursorState::Edit);
    QCOMPARE(catalogue.count("tovars"), 1);
    QCOMPARE(catalogue.query("SELECT count(*) FROM tovars WHERE auto_id = ?", {second}).toInt(), 0);

    a.goods.Cancel();
    a.goods.Refresh();
    QCOMPARE(a.goods.RecordCount(), 1);
}

void TestConcurrency::lockedFileMakesPostWaitThenFail()
{
    TestCatalogue catalogue;
    addNamed(catalogue, "Есть");
    Program a;
    a.goods.Append();
    a.field("tovName").setAsString("Ждёт");

    catalogue.query("BEGIN EXCLUSIVE");
    QElapsedTimer timer;
    timer.start();
    const QString message = errorOf([&] { a.goods.Post(); });
    const qint64 waited = timer.elapsed();
    catalogue.query("COMMIT");

    QVERIFY2(message.contains("занята"), qPrintable(message));
    QVERIFY2(waited >= Connection::BusyTimeoutMs * 9 / 10, qPrintable(QString::number(waited)));
    QCOMPARE(a.goods.State(), CursorState::Insert);
    QCOMPARE(a.field("tovName").AsString(), "Ждёт");
    QCOMPARE(catalogue.count("tovars"), 1);

    a.goods.Post();
    QCOMPARE(a.goods.State(), CursorState::Browse);
    QCOMPARE(catalogue.count("tovars"), 2);
    QCOMPARE(catalogue.query("SELECT tovName FROM tovars WHERE auto_id = 2").toString(), "Ждёт");
}

QTEST_GUILESS_MAIN(TestConcurrency)
#include "tst_concurrency.moc"
