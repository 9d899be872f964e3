#include "CatalogueSchema.h"
#include "ErrorOf.h"
#include "EngineTest.h"
#include "TestCatalogue.h"
#include "recordset/Connection.h"
#include "recordset/Currency.h"
#include "recordset/Cursor.h"
#include "recordset/Error.h"
#include "recordset/RowStore.h"
#include "recordset/server/ServerConnection.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

// One program's view of the shared catalogue: a connection of its own and a
// goods cursor over it.
struct Program
{
    explicit Program(const TestCatalogue &catalogue)
        : connection(catalogue.connect()), goods(*connection, CatalogueSchema::goods())
    {
        goods.open();
        for (const auto &[name, label] : {std::pair{"counts", "Количество"},
                                          {"price", "Цена"},
                                          {"tovName", "Наименование"},
                                          {"screenshots", "Фото"}})
            field(name).setDisplayLabel(QString::fromUtf8(label));
    }
    Field &field(const char *name) { return goods.FieldByName(QLatin1String(name)); }

    std::unique_ptr<Store> connection;
    Cursor goods;
};

qint64 addNamed(TestCatalogue &catalogue, const QString &name)
{
    TestCatalogue::Goods g;
    g.tovName = name;
    return catalogue.addGoods(g);
}

} // namespace

class TestConcurrency : public EngineTest
{
    Q_OBJECT

private slots:
    void writeSeenByFreshSnapshot();
    void editOfRowDeletedElsewhere();
    void postWhileAnotherHoldsTheRow_data();
    void postWhileAnotherHoldsTheRow();
    void sameRowChangedByBoth_data();
    void sameRowChangedByBoth();
    void photoReplacedByBoth_data();
    void photoReplacedByBoth();
};

void TestConcurrency::writeSeenByFreshSnapshot()
{
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    addNamed(catalogue, "Старое имя");
    Program a(catalogue), b(catalogue);

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
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    addNamed(catalogue, "Первый");
    const qint64 second = addNamed(catalogue, "Второй");
    Program a(catalogue), b(catalogue);
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

void TestConcurrency::postWhileAnotherHoldsTheRow_data()
{
    QTest::addColumn<bool>("append"); // else an edit of the held row
    QTest::newRow("edit") << false;
    QTest::newRow("append") << true;
}

// Another program holds the row in a transaction of its own (on the file,
// the whole file): a post of that row waits for the lock timeout and is
// refused with the input kept, then goes through once the lock is gone. A
// new row waits on the file only: the server locks rows, not the table.
void TestConcurrency::postWhileAnotherHoldsTheRow()
{
    QFETCH(bool, append);
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    const qint64 held = addNamed(catalogue, "Есть");
    Program a(catalogue);
    if (append)
        a.goods.Append();
    else
        a.goods.Edit();
    a.field("tovName").setAsString("Ждёт");

    const TableSchema goods = CatalogueSchema::goods();
    const std::unique_ptr<Store> other = catalogue.connect();
    other->begin();
    RowStore rows(goods);
    std::map<int, QByteArray> bytes;
    QVERIFY(other->readRow(goods, held, {}, true, rows, bytes));
    QElapsedTimer timer;
    timer.start();
    const QString message = errorOf([&] { a.goods.Post(); });
    const qint64 waited = timer.elapsed();
    other->commit();

    static_assert(Connection::BusyTimeoutMs == ServerConnection::LockTimeoutMs);
    if (append && catalogue.onServer()) {
        QCOMPARE(message, QString());
        QCOMPARE(catalogue.count("tovars"), 2);
        return;
    }
    QVERIFY2(message.contains("занята другой программой"), qPrintable(message));
    QVERIFY2(waited >= Connection::BusyTimeoutMs * 9 / 10, qPrintable(QString::number(waited)));
    QVERIFY2(waited < Connection::BusyTimeoutMs * 2, qPrintable(QString::number(waited)));
    QCOMPARE(a.goods.State(), append ? CursorState::Insert : CursorState::Edit);
    QCOMPARE(a.field("tovName").AsString(), "Ждёт");
    QCOMPARE(catalogue.count("tovars"), 1);
    QCOMPARE(catalogue.query("SELECT tovName FROM tovars WHERE auto_id = ?", {held}).toString(),
             "Есть");

    a.goods.Post();
    QCOMPARE(a.goods.State(), CursorState::Browse);
    QCOMPARE(catalogue.count("tovars"), append ? 2 : 1);
    QCOMPARE(catalogue
                 .query("SELECT count(*) FROM tovars WHERE tovName = ?", {QStringLiteral("Ждёт")})
                 .toInt(),
             1);
}

void TestConcurrency::sameRowChangedByBoth_data()
{
    QTest::addColumn<QString>("theirColumn"); // changed by the other program first
    QTest::addColumn<QString>("theirs");
    QTest::addColumn<QString>("ourColumn");
    QTest::addColumn<QString>("ours");
    QTest::addColumn<QString>("told"); // the line about the column, '#' the decimal separator;
                                       // empty: no refusal
    QTest::addColumn<bool>("again");   // after a refusal: post again, or cancel
    const QString quantity = "«Количество»: другая программа сохранила 9, вы ввели 12";
    QTest::newRow("quantity, ours stored") << "counts" << "9" << "counts" << "12" << quantity
                                           << true;
    QTest::newRow("quantity, theirs kept") << "counts" << "9" << "counts" << "12" << quantity
                                           << false;
    QTest::newRow("price") << "price" << "300" << "price" << "350.5"
                           << "«Цена»: другая программа сохранила 300#00, вы ввели 350#50" << true;
    QTest::newRow("name, ours cleared")
        << "tovName" << "Их" << "tovName" << ""
        << "«Наименование»: другая программа сохранила «Их», вы ввели пустое значение" << true;
    QTest::newRow("both stored the same") << "counts" << "12" << "counts" << "12" << "" << true;
    QTest::newRow("different columns: both kept")
        << "tovName" << "Фильтр масляный" << "price" << "120" << "" << true;
}

void TestConcurrency::sameRowChangedByBoth()
{
    QFETCH(QString, theirColumn);
    QFETCH(QString, theirs);
    QFETCH(QString, ourColumn);
    QFETCH(QString, ours);
    QFETCH(QString, told);
    QFETCH(bool, again);
    told.replace('#', Currency::systemDecimalSeparator());
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    TestCatalogue::Goods g;
    g.tovName = QStringLiteral("Было");
    g.counts = 10;
    g.price = 100 * Currency::Scale;
    catalogue.addGoods(g);
    Program a(catalogue), b(catalogue);
    const auto field = [](Program &p, const QString &column) -> Field & {
        return p.goods.FieldByName(column);
    };
    // What a fresh program shows, and what a typed text shows as.
    const auto stored = [&](const QString &column) {
        Program fresh(catalogue);
        return field(fresh, column).AsString();
    };
    const auto shown = [](const QString &column, const QString &typed) {
        if (column != "price")
            return typed;
        return Currency::format(*Currency::parse(typed, '.'), Currency::systemDecimalSeparator());
    };
    theirs = shown(theirColumn, theirs);
    ours = shown(ourColumn, ours);

    b.goods.Edit();
    field(b, theirColumn).setAsString(theirs);
    b.goods.Post();
    a.goods.Edit();
    field(a, ourColumn).setAsString(ours);
    const QString message = errorOf([&] { a.goods.Post(); });
    if (told.isEmpty()) {
        QCOMPARE(message, QString());
        QCOMPARE(stored(ourColumn), ours);
        QCOMPARE(stored(theirColumn), theirs);
        // A shows the row as stored, not its stale snapshot of the other columns.
        QCOMPARE(field(a, theirColumn).AsString(), theirs);
        return;
    }
    QVERIFY2(message.contains(told), qPrintable(message));
    QVERIFY2(message.contains("сохраните запись ещё раз") && message.contains("откажитесь"),
             qPrintable(message));
    QCOMPARE(a.goods.State(), CursorState::Edit);
    QCOMPARE(field(a, ourColumn).AsString(), ours); // the input is kept
    QCOMPARE(stored(ourColumn), theirs);
    if (again) {
        a.goods.Post(); // their value is now the one read
        QCOMPARE(stored(ourColumn), ours);
    } else {
        a.goods.Cancel();
        QCOMPARE(field(a, ourColumn).AsString(), theirs);
        QCOMPARE(stored(ourColumn), theirs);
    }
}

void TestConcurrency::photoReplacedByBoth_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("theirs");
    QTest::addColumn<bool>("refused");
    const QByteArray photo(5000, 'a');
    QTest::newRow("theirs of the same size") << photo << QByteArray(5000, 'b') << true;
    QTest::newRow("theirs larger") << photo << QByteArray(7000, 'b') << true;
    QTest::newRow("theirs removed") << photo << QByteArray() << true;
    QTest::newRow("theirs added to none") << QByteArray() << photo << true;
    QTest::newRow("theirs the same bytes again") << photo << photo << false;
}

void TestConcurrency::photoReplacedByBoth()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, theirs);
    QFETCH(bool, refused);
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    TestCatalogue::Goods g;
    g.tovName = QStringLiteral("Диск");
    if (!before.isNull())
        g.screenshots = before;
    catalogue.addGoods(g);
    Program a(catalogue), b(catalogue);
    QCOMPARE(a.field("screenshots").AsBytes(), before); // shown, as a photo box does

    b.goods.Edit();
    b.field("screenshots").setAsBytes(theirs);
    b.goods.Post();
    const QByteArray ours(5000, 'c');
    a.goods.Edit();
    a.field("screenshots").setAsBytes(ours);
    const QString message = errorOf([&] { a.goods.Post(); });
    QCOMPARE(catalogue.query("SELECT screenshots FROM tovars").toByteArray(),
             refused ? theirs : ours);
    if (!refused)
        return;
    QVERIFY2(message.contains("«Фото»") && message.contains("5000 байт"), qPrintable(message));
    a.goods.Post();
    QCOMPARE(catalogue.query("SELECT screenshots FROM tovars").toByteArray(), ours);
}

QTEST_GUILESS_MAIN(TestConcurrency)
#include "tst_concurrency.moc"
