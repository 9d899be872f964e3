#include "CatalogueSchema.h"
#include "ErrorOf.h"
#include "EngineTest.h"
#include "TestCatalogue.h"
#include "recordset/Connection.h"
#include "recordset/Currency.h"
#include "recordset/Cursor.h"
#include "recordset/DataLink.h"
#include "recordset/DataSource.h"
#include "recordset/Error.h"

#include <QTest>
#include <functional>
#include <memory>

using CursorAction = std::function<void(Cursor &)>;
Q_DECLARE_METATYPE(CursorAction)

namespace {

// A goods table of `rows` rows "Товар 1".. with numSklad i, counts 10*i,
// price 100*i and models "M i", and a cursor over it. Keys are 1..rows.
struct Fixture
{
    explicit Fixture(int rows = 3)
    {
        if (!catalogue.onServer())
            catalogue.query("PRAGMA synchronous = OFF"); // set-up speed only
        for (int i = 1; i <= rows; ++i) {
            TestCatalogue::Goods g;
            g.tovName = QStringLiteral("Товар %1").arg(i);
            g.numSklad = i;
            g.counts = 10 * i;
            g.price = qint64(i) * 100 * Currency::Scale;
            g.models = QStringLiteral("M %1").arg(i);
            catalogue.addGoods(g);
        }
        goods = std::make_unique<Cursor>(*connection, CatalogueSchema::goods());
        goods->open();
    }

    Field &field(const char *name) { return goods->FieldByName(QLatin1String(name)); }
    qint64 key() { return field("auto_id").AsInteger(); }
    QVariant stored(const char *column, qint64 key)
    {
        const QByteArray sql = QByteArray("SELECT ") + column + " FROM tovars WHERE auto_id = ?";
        return catalogue.query(sql.constData(), {key});
    }

    TestCatalogue catalogue{TestCatalogue::engineOfTest()};
    std::unique_ptr<Store> connection = catalogue.connect();
    std::unique_ptr<Cursor> goods;
};

QString kindName(DataEventKind kind)
{
    switch (kind) {
    case DataEventKind::ActiveChanged:
        return "ActiveChanged";
    case DataEventKind::DataSetChanged:
        return "DataSetChanged";
    case DataEventKind::RowInserted:
        return "RowInserted";
    case DataEventKind::RowRemoving:
        return "RowRemoving";
    case DataEventKind::RowRemoved:
        return "RowRemoved";
    case DataEventKind::RecordChanged:
        return "RecordChanged";
    case DataEventKind::Scrolled:
        return "Scrolled";
    case DataEventKind::StateChanged:
        return "StateChanged";
    case DataEventKind::UpdateData:
        return "UpdateData";
    }
    return {};
}

class Recorder : public DataLink
{
public:
    explicit Recorder(Cursor &cursor) : source_(&cursor) { setDataSource(&source_); }

    void dataEvent(const DataEvent &event) override
    {
        QString text = kindName(event.kind);
        if (event.kind == DataEventKind::RowInserted || event.kind == DataEventKind::RowRemoving ||
            event.kind == DataEventKind::RowRemoved)
            text += QLatin1Char('@') + QString::number(event.row);
        events << text;
        if (onEvent)
            onEvent(event);
    }

    QStringList events;
    std::function<void(const DataEvent &)> onEvent;

private:
    DataSource source_;
};

} // namespace

class TestCursor : public EngineTest
{
    Q_OBJECT

private slots:
    void stateTransitions();
    void operationsOnClosedCursorRaise_data();
    void operationsOnClosedCursorRaise();
    void appendPostsPendingThenStartsRowAtEnd();
    void appendWithoutHookIsNotModified();
    void editEdges();
    void postEdges();
    void cancelNewRowReturnsToPreviousRow();
    void cancelEditRestoresValues();
    void cancelInBrowseDoesNothing();
    void deleteRow_data();
    void deleteRow();
    void deleteInInsertCancels();
    void firstNextEof();
    void locate_data();
    void locate();
    void wholeSnapshotWalk();
    void refresh();
    void refreshLosesCurrentRowToAnotherProgram();
    void recNo();
    void fieldByName();
    void columnReads_data();
    void columnReads();
    void integerWrites_data();
    void integerWrites();
    void otherWrites();
    void blobSize();
    void pricesWrittenByAnotherProgram_data();
    void pricesWrittenByAnotherProgram();
    void pricesStoredAsAmounts_data();
    void pricesStoredAsAmounts();
    void clearStoresNull();
    void failedWriteLeavesNothing_data();
    void failedWriteLeavesNothing();
    void updateDataPrecedesPost();
    void listenerFailureDuringMove_data();
    void listenerFailureDuringMove();
};

void TestCursor::stateTransitions()
{
    Fixture f;
    Cursor &c = *f.goods;
    c.close();
    QCOMPARE(c.State(), CursorState::Inactive);
    QVERIFY(!c.CanModify());

    c.open();
    QCOMPARE(c.State(), CursorState::Browse);
    QVERIFY(c.CanModify());
    c.Edit();
    QCOMPARE(c.State(), CursorState::Edit);
    c.Cancel();
    QCOMPARE(c.State(), CursorState::Browse);
    c.Append();
    QCOMPARE(c.State(), CursorState::Insert);
    c.Cancel();
    QCOMPARE(c.State(), CursorState::Browse);
    c.Edit();
    f.field("counts").setAsInteger(1);
    c.Post();
    QCOMPARE(c.State(), CursorState::Browse);
    c.Append();
    f.field("tovName").setAsString("Новый");
    c.Post();
    QCOMPARE(c.State(), CursorState::Browse);

    // Closing drops a change that was not posted.
    c.Edit();
    f.field("tovName").setAsString("Не сохранено");
    c.close();
    QCOMPARE(c.State(), CursorState::Inactive);
    QCOMPARE(f.catalogue.count("tovars"), 4);
    QCOMPARE(f.stored("tovName", 4).toString(), "Новый");
    c.open();
    QCOMPARE(c.RecordCount(), 4);
}

void TestCursor::operationsOnClosedCursorRaise_data()
{
    QTest::addColumn<CursorAction>("action");

    QTest::newRow("First") << CursorAction([](Cursor &c) { c.First(); });
    QTest::newRow("Next") << CursorAction([](Cursor &c) { c.Next(); });
    QTest::newRow("Append") << CursorAction([](Cursor &c) { c.Append(); });
    QTest::newRow("Edit") << CursorAction([](Cursor &c) { c.Edit(); });
    QTest::newRow("Post") << CursorAction([](Cursor &c) { c.Post(); });
    QTest::newRow("Delete") << CursorAction([](Cursor &c) { c.Delete(); });
    QTest::newRow("Locate") << CursorAction([](Cursor &c) { c.Locate("auto_id", 1); });
    QTest::newRow("Refresh") << CursorAction([](Cursor &c) { c.Refresh(); });
    QTest::newRow("RecordCount") << CursorAction([](Cursor &c) { c.RecordCount(); });
    QTest::newRow("Sort") << CursorAction([](Cursor &c) { c.setSort("auto_id"); });
    QTest::newRow("write") << CursorAction(
        [](Cursor &c) { c.FieldByName("tovName").setAsString("x"); });
    QTest::newRow("Clear") << CursorAction([](Cursor &c) { c.FieldByName("price").Clear(); });
}

void TestCursor::operationsOnClosedCursorRaise()
{
    QFETCH(CursorAction, action);

    Fixture f;
    f.goods->close();
    const QString message = errorOf([&] { action(*f.goods); });
    QVERIFY2(!message.isNull(), "no error on a closed cursor");
    QVERIFY2(message.contains("tovars"), qPrintable(message));
    QCOMPARE(f.goods->State(), CursorState::Inactive);
    QCOMPARE(f.catalogue.count("tovars"), 3);
}

void TestCursor::appendPostsPendingThenStartsRowAtEnd()
{
    Fixture f;
    Cursor &c = *f.goods;
    Recorder recorder(c);
    int hookRuns = 0;
    c.afterInsert = [&] {
        ++hookRuns;
        QCOMPARE(c.State(), CursorState::Insert);
        QVERIFY(!c.Modified());
        f.field("counts").setAsInteger(99);
    };

    c.moveTo(1);
    c.Edit();
    f.field("tovName").setAsString("Изменён");
    recorder.events.clear();
    c.Append();

    QCOMPARE(f.stored("tovName", 2).toString(), "Изменён");
    QCOMPARE(hookRuns, 1);
    QCOMPARE(c.State(), CursorState::Insert);
    QVERIFY(c.Modified());
    QCOMPARE(f.field("counts").AsInteger(), 99);
    QVERIFY(f.field("tovName").IsNull());
    QVERIFY(f.field("auto_id").IsNull());
    QCOMPARE(c.currentRow(), 3);
    QCOMPARE(c.displayRowCount(), 4);
    QCOMPARE(c.RecordCount(), 3);
    QVERIFY(recorder.events.contains("RowInserted@3"));
    QVERIFY(recorder.events.contains("StateChanged"));
    QVERIFY(recorder.events.contains("Scrolled"));

    recorder.events.clear();
    c.Post();
    QCOMPARE(recorder.events.first(), "UpdateData");
    QVERIFY(recorder.events.contains("StateChanged"));
    QVERIFY(!recorder.events.contains("RowInserted@3")); // the row is already shown
    const qint64 newKey = f.catalogue.query("SELECT max(auto_id) FROM tovars").toLongLong();
    QCOMPARE(newKey, 4);
    QCOMPARE(f.key(), newKey);
    QCOMPARE(c.RecNo(), 4);
    QCOMPARE(c.RecordCount(), 4);
    QCOMPARE(f.stored("counts", newKey).toInt(), 99);
    QVERIFY(!f.stored("tovName", newKey).isValid());
    QVERIFY(!c.Modified());
}

void TestCursor::appendWithoutHookIsNotModified()
{
    Fixture f(0);
    f.goods->Append();
    QVERIFY(!f.goods->Modified());
    f.field("tovName").setAsString("x");
    QVERIFY(f.goods->Modified());
}

void TestCursor::editEdges()
{
    Fixture f;
    Cursor &c = *f.goods;
    c.Edit();
    f.field("tovName").setAsString("Правка");
    c.Edit(); // no-op: the change stays pending
    QCOMPARE(c.State(), CursorState::Edit);
    QVERIFY(c.Modified());
    QCOMPARE(f.field("tovName").AsString(), "Правка");
    c.Cancel();

    c.Append();
    c.Edit();
    QCOMPARE(c.State(), CursorState::Insert);
    QCOMPARE(c.displayRowCount(), 4);
    c.Cancel();

    Fixture empty(0);
    empty.goods->Edit();
    QCOMPARE(empty.goods->State(), CursorState::Insert);
    QCOMPARE(empty.goods->displayRowCount(), 1);
    empty.field("tovName").setAsString("Первый");
    empty.goods->Post();
    QCOMPARE(empty.catalogue.count("tovars"), 1);
}

void TestCursor::postEdges()
{
    Fixture f;
    QVERIFY(!errorOf([&] { f.goods->Post(); }).isNull());
    QCOMPARE(f.goods->State(), CursorState::Browse);

    // Posting an edit without changes writes nothing and ends the edit.
    f.goods->Edit();
    f.goods->Post();
    QCOMPARE(f.goods->State(), CursorState::Browse);
    QVERIFY(!errorOf([&] { f.goods->Post(); }).isNull());
}

void TestCursor::cancelNewRowReturnsToPreviousRow()
{
    Fixture f;
    Cursor &c = *f.goods;
    Recorder recorder(c);
    c.moveTo(1);
    c.Append();
    f.field("tovName").setAsString("Черновик");
    recorder.events.clear();
    c.Cancel();

    QCOMPARE(c.State(), CursorState::Browse);
    QVERIFY(!c.Modified());
    QCOMPARE(c.RecNo(), 2);
    QCOMPARE(f.key(), 2);
    QCOMPARE(c.displayRowCount(), 3);
    QCOMPARE(f.catalogue.count("tovars"), 3);
    QVERIFY(recorder.events.contains("RowRemoved@3"));
    QVERIFY(recorder.events.contains("StateChanged"));
    QVERIFY(recorder.events.contains("Scrolled"));

    Fixture empty(0);
    empty.goods->Append();
    empty.goods->Cancel();
    QCOMPARE(empty.goods->RecNo(), -1);
    QCOMPARE(empty.goods->displayRowCount(), 0);
    QVERIFY(empty.goods->Eof());
}

void TestCursor::cancelEditRestoresValues()
{
    Fixture f;
    f.goods->Edit();
    f.field("tovName").setAsString("Правка");
    f.field("price").Clear();
    f.goods->Cancel();
    QCOMPARE(f.goods->State(), CursorState::Browse);
    QVERIFY(!f.goods->Modified());
    QCOMPARE(f.field("tovName").AsString(), "Товар 1");
    QCOMPARE(f.field("price").AsCurrency(), 100 * Currency::Scale);
    QCOMPARE(f.stored("tovName", 1).toString(), "Товар 1");
}

void TestCursor::cancelInBrowseDoesNothing()
{
    Fixture f;
    f.goods->moveTo(2);
    Recorder recorder(*f.goods);
    f.goods->Cancel();
    QVERIFY(recorder.events.isEmpty());
    QCOMPARE(f.goods->RecNo(), 3);
}

void TestCursor::deleteRow_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("position");
    QTest::addColumn<qint64>("currentAfter"); // 0: no row
    QTest::addColumn<int>("recNoAfter");

    QTest::newRow("first: next row") << 3 << 0 << qint64(2) << 1;
    QTest::newRow("middle: next row") << 3 << 1 << qint64(3) << 2;
    QTest::newRow("last: previous row") << 3 << 2 << qint64(2) << 2;
    QTest::newRow("only row") << 1 << 0 << qint64(0) << -1;
}

void TestCursor::deleteRow()
{
    QFETCH(int, rows);
    QFETCH(int, position);
    QFETCH(qint64, currentAfter);
    QFETCH(int, recNoAfter);

    Fixture f(rows);
    f.goods->moveTo(position);
    const qint64 deleted = f.key();
    Recorder recorder(*f.goods);
    f.goods->Delete();

    QCOMPARE(f.catalogue.count("tovars"), rows - 1);
    QVERIFY(!f.stored("auto_id", deleted).isValid());
    QCOMPARE(f.goods->RecordCount(), rows - 1);
    QCOMPARE(f.key(), currentAfter);
    QCOMPARE(f.goods->RecNo(), recNoAfter);
    QVERIFY(recorder.events.contains(QStringLiteral("RowRemoved@%1").arg(position)));
    QVERIFY(recorder.events.contains("Scrolled"));
    if (rows == 1)
        QVERIFY(!errorOf([&] { f.goods->Delete(); }).isNull());
}

void TestCursor::deleteInInsertCancels()
{
    Fixture f;
    f.goods->moveTo(1);
    f.goods->Append();
    f.field("tovName").setAsString("Черновик");
    f.goods->Delete();
    QCOMPARE(f.goods->State(), CursorState::Browse);
    QCOMPARE(f.catalogue.count("tovars"), 3);
    QCOMPARE(f.goods->RecordCount(), 3);
    QCOMPARE(f.key(), 2);
}

void TestCursor::firstNextEof()
{
    Fixture f;
    Cursor &c = *f.goods;
    QVERIFY(!c.Eof());
    QList<qint64> keys;
    for (c.First(); !c.Eof(); c.Next())
        keys << f.key();
    QCOMPARE(keys, (QList<qint64>{1, 2, 3}));
    QCOMPARE(c.RecNo(), 3); // the last row stays current
    c.First();
    QVERIFY(!c.Eof());
    QCOMPARE(c.RecNo(), 1);

    // Moving posts a pending change.
    c.Edit();
    f.field("counts").setAsInteger(5);
    c.Next();
    QCOMPARE(c.State(), CursorState::Browse);
    QCOMPARE(f.stored("counts", 1).toInt(), 5);
    QCOMPARE(f.key(), 2);

    Fixture empty(0);
    QVERIFY(empty.goods->Eof());
    empty.goods->First();
    empty.goods->Next();
    QVERIFY(empty.goods->Eof());
    QCOMPARE(empty.goods->RecNo(), -1);
}

void TestCursor::locate_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("found");
    QTest::addColumn<qint64>("keyAfter"); // starting on key 2

    QTest::newRow("text") << "tovName" << QVariant("Товар 3") << true << qint64(3);
    QTest::newRow("integer") << "numSklad" << QVariant(1) << true << qint64(1);
    QTest::newRow("integer as text") << "counts" << QVariant("30") << true << qint64(3);
    QTest::newRow("price with comma") << "price" << QVariant("300,00") << true << qint64(3);
    QTest::newRow("price with point") << "price" << QVariant("100.0") << true << qint64(1);
    QTest::newRow("current row") << "auto_id" << QVariant(2) << true << qint64(2);
    QTest::newRow("no such number") << "counts" << QVariant(999) << false << qint64(2);
    QTest::newRow("no such text") << "tovName" << QVariant("Нет такого") << false << qint64(2);
    QTest::newRow("NULL key") << "auto_id" << QVariant() << false << qint64(2);
}

void TestCursor::locate()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(bool, found);
    QFETCH(qint64, keyAfter);

    Fixture f;
    f.goods->moveTo(1);
    Recorder recorder(*f.goods);
    QCOMPARE(f.goods->Locate(field, value), found);
    QCOMPARE(f.key(), keyAfter);
    if (!found)
        QVERIFY(!recorder.events.contains("Scrolled"));
}

void TestCursor::wholeSnapshotWalk()
{
    Fixture f(4);
    Cursor &c = *f.goods;
    c.setFilter(QStringLiteral("numSklad='2'"));
    c.setFiltered(true);
    QVERIFY(c.Locate(QStringLiteral("auto_id"), 2));
    c.Edit();
    f.field("models").Clear();
    c.Post();
    QVERIFY(c.Locate(QStringLiteral("auto_id"), 2));
    c.setFiltered(false);
    QVERIFY(c.Locate(QStringLiteral("auto_id"), 3));
    c.Delete();
    c.setFiltered(true);

    // Rows the filter hides are walked and known by key; a deleted one is
    // neither; a null text is empty.
    QStringList seen;
    c.forEachText(QStringLiteral("models"), [&](qint64 key, std::string_view utf8) {
        seen << QStringLiteral("%1:%2").arg(key).arg(
            QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
    });
    QCOMPARE(seen, (QStringList{"1:M 1", "2:", "4:M 4"}));
    QVERIFY(c.hasKey(1));
    QVERIFY(c.hasKey(4));
    QVERIFY(!c.hasKey(3));
    QVERIFY(!c.hasKey(5));
    QCOMPARE(c.RecordCount(), 1); // the view is left as it was
    QCOMPARE(f.key(), 2);

    for (const char *notText : {"counts", "screenshots", "nosuch"})
        QVERIFY_THROWS_EXCEPTION(
            Error, c.forEachText(QLatin1String(notText), [](qint64, std::string_view) {}));
}

void TestCursor::refresh()
{
    Fixture f;
    Cursor &c = *f.goods;
    c.moveTo(1);
    c.Edit();
    f.field("counts").setAsInteger(77);

    f.catalogue.query("UPDATE tovars SET tovName = 'Переименован' WHERE auto_id IN (2, 3)");
    f.catalogue.query("UPDATE tovars SET screenshots = ? WHERE auto_id = 3",
                      {QByteArray("BM\0", 3)});
    f.catalogue.query("DELETE FROM tovars WHERE auto_id = 1");
    f.catalogue.addGoods(TestCatalogue::Goods{});
    c.Refresh();

    QCOMPARE(c.State(), CursorState::Browse);
    QCOMPARE(f.stored("counts", 2).toInt(), 77);
    QCOMPARE(f.key(), 2);
    QCOMPARE(c.RecNo(), 1);
    QCOMPARE(f.field("tovName").AsString(), "Переименован");
    QCOMPARE(f.field("counts").AsInteger(), 77);
    QCOMPARE(c.RecordCount(), 2); // the deleted row left, the new one stays unseen
    c.Next();
    QCOMPARE(f.key(), 3);
    QCOMPARE(f.field("tovName").AsString(), "Переименован");
    QCOMPARE(f.field("screenshots").BlobSize(), 3);
    c.Next();
    QVERIFY(c.Eof());
}

void TestCursor::refreshLosesCurrentRowToAnotherProgram()
{
    Fixture f;
    f.goods->moveTo(1);
    f.catalogue.query("DELETE FROM tovars WHERE auto_id = 2");
    f.goods->Refresh();
    QCOMPARE(f.key(), 3);
    f.goods->moveTo(1);
    f.catalogue.query("DELETE FROM tovars WHERE auto_id = 3");
    f.goods->Refresh();
    QCOMPARE(f.key(), 1);
    QCOMPARE(f.goods->RecordCount(), 1);
}

void TestCursor::recNo()
{
    Fixture f;
    Cursor &c = *f.goods;
    QCOMPARE(c.RecNo(), 1);
    c.moveTo(2);
    QCOMPARE(c.RecNo(), 3);
    QCOMPARE(c.recNoAt(0), 1);
    QCOMPARE(c.recNoAt(2), 3);
    QCOMPARE(c.recNoAt(3), -1);
    QCOMPARE(c.recNoAt(-1), -1);

    c.Append();
    QCOMPARE(c.RecNo(), -1);
    QCOMPARE(c.recNoAt(0), -1);
    QCOMPARE(c.recNoAt(3), -1);
    c.Cancel();
    QCOMPARE(c.RecNo(), 3);

    c.setFilter("numSklad>='2'");
    c.setFiltered(true);
    QCOMPARE(c.RecNo(), 1);
    QCOMPARE(f.key(), 2);
    c.Next();
    QCOMPARE(c.RecNo(), 2);
    QCOMPARE(c.RecordCount(), 2);

    c.setFilter("numSklad>'5'");
    QCOMPARE(c.RecNo(), -1);
    QCOMPARE(c.RecordCount(), 0);
}

void TestCursor::fieldByName()
{
    Fixture f;
    QCOMPARE(f.goods->FieldByName("TOVNAME").FieldName(), "tovName");
    QCOMPARE(f.goods->FieldByName("price").AsCurrency(), 100 * Currency::Scale);

    const QString message = errorOf([&] { f.goods->FieldByName("strCat"); });
    QVERIFY(!message.isNull());
    QVERIFY2(message.contains("strCat"), qPrintable(message));
}

void TestCursor::columnReads_data()
{
    QTest::addColumn<int>("row"); // 0: the row of NULLs, 1 and 2: filled rows, -1: no row
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("integer"); // invalid: not read as an integer
    QTest::addColumn<QString>("display");  // '#' stands for the decimal separator

    QTest::newRow("NULL integer") << 0 << "counts" << QVariant(0) << "";
    QTest::newRow("NULL text") << 0 << "tovName" << QVariant(0) << "";
    QTest::newRow("NULL price") << 0 << "price" << QVariant(0) << "";
    QTest::newRow("NULL photo") << 0 << "screenshots" << QVariant() << "";
    QTest::newRow("integer") << 1 << "counts" << QVariant(7) << "7";
    QTest::newRow("negative integer") << 1 << "numSklad" << QVariant(-3) << "-3";
    QTest::newRow("text") << 1 << "tovName" << QVariant() << "Свеча «Ё»";
    QTest::newRow("key") << 1 << "auto_id" << QVariant(2) << "2";
    QTest::newRow("whole price") << 1 << "price" << QVariant() << "150#00";
    QTest::newRow("price of four places") << 2 << "price" << QVariant() << "-12#3456";
    QTest::newRow("no row integer") << -1 << "counts" << QVariant(0) << "";
    QTest::newRow("no row text") << -1 << "tovName" << QVariant(0) << "";
}

void TestCursor::columnReads()
{
    QFETCH(int, row);
    QFETCH(QString, field);
    QFETCH(QVariant, integer);
    QFETCH(QString, display);

    Fixture f(0);
    TestCatalogue::Goods filled;
    filled.counts = 7;
    filled.numSklad = -3;
    filled.tovName = QStringLiteral("Свеча «Ё»");
    filled.price = 1500000;
    if (row >= 0) {
        f.catalogue.addGoods(TestCatalogue::Goods{});
        f.catalogue.addGoods(filled);
        filled.price = -123456;
        f.catalogue.addGoods(filled);
        f.goods->close();
        f.goods->open();
        f.goods->moveTo(row);
    }
    display.replace(QLatin1Char('#'), Currency::systemDecimalSeparator());
    Field &column = f.goods->FieldByName(field);
    if (integer.isValid())
        QCOMPARE(column.AsInteger(), integer.toLongLong());
    QCOMPARE(column.DisplayText(), display);
    QCOMPARE(column.IsNull(), display.isEmpty());
    if (column.DataType() == FieldType::Text)
        QCOMPARE(column.AsString(), display);
}

void TestCursor::integerWrites_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QVariant>("stored"); // invalid: NULL

    QTest::newRow("digits") << "42" << true << QVariant(42);
    QTest::newRow("plus") << "+7" << true << QVariant(7);
    QTest::newRow("blanks around") << " 12 " << true << QVariant(12);
    QTest::newRow("smallest") << "-2147483648" << true << QVariant(-2147483648LL);
    QTest::newRow("largest") << "2147483647" << true << QVariant(2147483647);
    QTest::newRow("empty clears") << "" << true << QVariant();
    QTest::newRow("blanks clear") << "   " << true << QVariant();
    QTest::newRow("above 32 bits") << "2147483648" << false << QVariant(10);
    QTest::newRow("below 32 bits") << "-2147483649" << false << QVariant(10);
    QTest::newRow("beyond 64 bits") << "99999999999999999999" << false << QVariant(10);
    QTest::newRow("decimal point") << "1.5" << false << QVariant(10);
    QTest::newRow("decimal comma") << "1,5" << false << QVariant(10);
    QTest::newRow("letters") << "abc" << false << QVariant(10);
    QTest::newRow("trailing letters") << "12abc" << false << QVariant(10);
    QTest::newRow("grouping") << "1 000" << false << QVariant(10);
    QTest::newRow("hexadecimal") << "0x10" << false << QVariant(10);
}

void TestCursor::integerWrites()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(QVariant, stored);

    Fixture f(1);
    QVERIFY(!errorOf([&] { f.field("counts").setAsString("5"); }).isNull()); // browse
    f.goods->Edit();
    const QString message = errorOf([&] { f.field("counts").setAsString(text); });
    QCOMPARE(message.isNull(), accepted);
    if (!accepted)
        QVERIFY(!f.goods->Modified());
    f.goods->Post();
    QCOMPARE(f.stored("counts", 1), stored);
}

void TestCursor::otherWrites()
{
    Fixture f(1);
    f.goods->Edit();

    // Text up to the column's width; a longer one is refused whole, naming
    // the column as the catalogue's description labels it.
    f.field("codeTov").setAsString(QString(20, QLatin1Char('x')));
    const QString message = errorOf([&] { f.field("codeTov").setAsString(QString(21, 'y')); });
    QVERIFY2(message.contains("«Артикул»") && message.contains("20"), qPrintable(message));
    QCOMPARE(f.field("codeTov").AsString(), QString(20, QLatin1Char('x')));
    f.field("tovName").setAsString(QString(100, QChar(0x42F)));
    QVERIFY(!errorOf([&] { f.field("tovName").setAsString(QString(101, 'a')); }).isNull());

    QVERIFY(!errorOf([&] { f.field("counts").setAsInteger(qint64(1) << 32); }).isNull());
    QVERIFY(!errorOf([&] { f.field("auto_id").setAsInteger(5); }).isNull());
    QVERIFY(!errorOf([&] { f.field("price").setAsString("дорого"); }).isNull());
    f.field("price").setAsString("12,5");
    f.field("numSklad").setAsInteger(-4);
    f.goods->Post();

    QCOMPARE(f.stored("codeTov", 1).toString(), QString(20, QLatin1Char('x')));
    QCOMPARE(f.stored("tovName", 1).toString(), QString(100, QChar(0x42F)));
    QCOMPARE(f.stored("price", 1), QVariant(12.5));
    QCOMPARE(f.stored("numSklad", 1).toInt(), -4);
    QCOMPARE(f.stored("auto_id", 1).toInt(), 1);
    const QChar separator = Currency::systemDecimalSeparator();
    QCOMPARE(f.field("price").DisplayText(),
             QStringLiteral("12") + separator + QStringLiteral("50"));

    f.goods->Edit();
    f.field("price").setAsString("");
    f.goods->Post();
    QVERIFY(!f.stored("price", 1).isValid());
}

void TestCursor::pricesWrittenByAnotherProgram_data()
{
    QTest::addColumn<QString>("value"); // as another program writes it in SQL
    QTest::addColumn<QString>("shown"); // '#' for the decimal separator; empty: no price
    QTest::newRow("integer") << "350"
                             << "350#00";
    QTest::newRow("whole real") << "350.0"
                                << "350#00";
    QTest::newRow("numeric text") << "'350'"
                                  << "350#00";
    QTest::newRow("real with kopecks") << "289.5"
                                       << "289#50";
    QTest::newRow("a ten-thousandth") << "0.0001"
                                      << "0#0001";
    QTest::newRow("negative") << "-12.3456"
                              << "-12#3456";
    QTest::newRow("half a ten-thousandth rounds up") << "0.00005"
                                                     << "0#0001";
    QTest::newRow("more decimals, rounded") << "1.23456"
                                            << "1#2346";
    QTest::newRow("text with a comma") << "'99,99'"
                                       << "99#99";
    QTest::newRow("text with more decimals") << "'1,23455'"
                                             << "1#2346";
    QTest::newRow("text with an exponent") << "'1.5e3 '"
                                           << "1500#00";
    QTest::newRow("large integer") << "922337203685477"
                                   << "922337203685477#00";
    QTest::newRow("integer out of range") << "922337203685478"
                                          << "";
    QTest::newRow("words") << "'дорого'"
                           << "";
    QTest::newRow("bytes") << "x'3335'"
                           << "";
}

void TestCursor::pricesWrittenByAnotherProgram()
{
    QFETCH(QString, value);
    QFETCH(QString, shown);
    if (TestCatalogue::engineOfTest() == TestCatalogue::Engine::Server)
        QSKIP("the server's numeric column holds nothing but numbers of its own form");
    Fixture f(0);
    const QByteArray sql = "INSERT INTO tovars (price) VALUES (" + value.toUtf8() + ")";
    f.catalogue.query(sql.constData());
    f.goods->close();
    f.goods->open();
    QCOMPARE(f.field("price").IsNull(), shown.isEmpty());
    QCOMPARE(f.field("price").DisplayText(),
             QString(shown).replace('#', Currency::systemDecimalSeparator()));
    // The filter compares the amount exactly, as read.
    if (!shown.isEmpty()) {
        f.goods->setFilter("price='" + QString(shown).replace('#', '.') + "'");
        f.goods->setFiltered(true);
        QCOMPARE(f.goods->RecordCount(), 1);
    }
}

void TestCursor::pricesStoredAsAmounts_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("type"); // what SQLite reports
    QTest::addColumn<QString>("text"); // what the sqlite3 shell prints
    QTest::newRow("whole") << "350"
                           << "integer"
                           << "350";
    QTest::newRow("with kopecks") << "289,5"
                                  << "real"
                                  << "289.5";
    QTest::newRow("a ten-thousandth") << "0,0001"
                                      << "real"
                                      << "0.0001";
    QTest::newRow("negative") << "-12,3456"
                              << "real"
                              << "-12.3456";
    QTest::newRow("fifteen digits") << "12345678901,2345"
                                    << "real"
                                    << "12345678901.2345";
    QTest::newRow("whole and large") << "922337203685477"
                                     << "integer"
                                     << "922337203685477";
    QTest::newRow("sixteen digits, refused") << "123456789012,3456"
                                             << ""
                                             << "";
    QTest::newRow("sixteen digits with kopecks, refused") << "99999999999999,99"
                                                          << ""
                                                          << "";
}

void TestCursor::pricesStoredAsAmounts()
{
    QFETCH(QString, typed);
    QFETCH(QString, type);
    QFETCH(QString, text);
    Fixture f(1);
    f.goods->Edit();
    const QString refusal = errorOf([&] { f.field("price").setAsString(typed); });
    if (type.isEmpty()) {
        // Refused at input: a double would not give it back exactly.
        QVERIFY2(refusal.contains("15"), qPrintable(refusal));
        f.goods->Post();
        QCOMPARE(f.stored("price", 1), QVariant(qint64(100)));
        return;
    }
    QCOMPARE(refusal, QString());
    f.goods->Post();
    if (!f.catalogue.onServer()) { // the server's column is numeric(19,4) whatever is stored
        QCOMPARE(f.stored("typeof(price)", 1).toString(), type);
        QCOMPARE(f.stored("CAST(price AS TEXT)", 1).toString(), text);
    }
    f.goods->close();
    f.goods->open();
    QCOMPARE(f.field("price").AsCurrency(), *Currency::parse(typed, ','));
}

void TestCursor::blobSize()
{
    Fixture f(0);
    const QByteArray photo(3000, 'p');
    TestCatalogue::Goods g;
    f.catalogue.addGoods(g);
    g.screenshots = QByteArray("");
    f.catalogue.addGoods(g);
    g.screenshots = photo;
    f.catalogue.addGoods(g);
    Field &shot = f.field("screenshots");
    QCOMPARE(shot.BlobSize(), 0); // no row
    f.goods->close();
    f.goods->open();

    QCOMPARE(shot.BlobSize(), 0);
    f.goods->Next();
    QCOMPARE(shot.BlobSize(), 0);
    f.goods->Next();
    QCOMPARE(shot.BlobSize(), 3000);
    QCOMPARE(shot.AsBytes(), photo);

    // The size comes with the snapshot; the bytes are read only when asked for.
    f.catalogue.query("UPDATE tovars SET screenshots = ? WHERE auto_id = 3", {QByteArray(10, 'q')});
    QCOMPARE(shot.BlobSize(), 3000);
    f.goods->Refresh();
    QCOMPARE(shot.BlobSize(), 10);

    f.goods->Edit();
    shot.setAsBytes(QByteArray(5, 'r'));
    QCOMPARE(shot.BlobSize(), 5);
    QCOMPARE(shot.AsBytes(), QByteArray(5, 'r'));
    f.goods->Post();
    QCOMPARE(shot.BlobSize(), 5);
    QCOMPARE(f.stored("screenshots", 3).toByteArray(), QByteArray(5, 'r'));
}

void TestCursor::clearStoresNull()
{
    Fixture f(1);
    f.catalogue.query("UPDATE tovars SET screenshots = ? WHERE auto_id = 1", {QByteArray("BM")});
    f.goods->Refresh();
    f.goods->Edit();
    const char *columns[] = {"tovName", "price", "counts", "screenshots"};
    for (const char *column : columns)
        f.field(column).Clear();
    QVERIFY(f.field("tovName").IsNull());
    QCOMPARE(f.field("screenshots").BlobSize(), 0);
    f.goods->Post();
    for (const char *column : columns) {
        const QByteArray sql = QByteArray("SELECT count(*) FROM tovars WHERE ") + column +
                               " IS NULL";
        QCOMPARE(f.catalogue.query(sql.constData()).toInt(), 1);
        QVERIFY(f.field(column).IsNull());
    }
}

void TestCursor::failedWriteLeavesNothing_data()
{
    // A trigger that refuses after the row has been written: only the
    // transaction around the write takes the written row back.
    QTest::addColumn<QString>("event");
    QTest::addColumn<CursorAction>("write");
    QTest::addColumn<CursorState>("stateAfter");

    QTest::newRow("insert") << "INSERT" << CursorAction([](Cursor &c) {
        c.Append();
        c.FieldByName("tovName").setAsString("Новый");
        c.Post();
    }) << CursorState::Insert;
    QTest::newRow("update") << "UPDATE" << CursorAction([](Cursor &c) {
        c.Edit();
        c.FieldByName("tovName").setAsString("Правка");
        c.Post();
    }) << CursorState::Edit;
    QTest::newRow("delete") << "DELETE" << CursorAction([](Cursor &c) { c.Delete(); })
                            << CursorState::Browse;
}

void TestCursor::failedWriteLeavesNothing()
{
    QFETCH(QString, event);
    QFETCH(CursorAction, write);
    QFETCH(CursorState, stateAfter);

    Fixture f;
    const bool server = f.catalogue.onServer();
    if (server)
        f.catalogue.query("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                          "$$BEGIN RAISE EXCEPTION 'отказано'; END$$");
    const QByteArray trigger =
        server ? "CREATE TRIGGER refuse AFTER " + event.toLatin1() +
                     " ON tovars FOR EACH ROW EXECUTE FUNCTION refuse()"
               : "CREATE TRIGGER refuse AFTER " + event.toLatin1() +
                     " ON tovars BEGIN SELECT RAISE(FAIL, 'отказано'); END";
    f.catalogue.query(trigger.constData());
    const char *names = server ? "SELECT string_agg(tovName, '|' ORDER BY auto_id) FROM tovars"
                               : "SELECT group_concat(tovName, '|') FROM tovars";
    const QString before = f.catalogue.query(names).toString();

    const QString message = errorOf([&] { write(*f.goods); });
    QVERIFY2(message.contains("отказано"), qPrintable(message));
    QCOMPARE(f.goods->State(), stateAfter);
    QCOMPARE(f.catalogue.query(names).toString(), before);
    QCOMPARE(f.goods->RecordCount(), 3);

    // Once the store accepts again, the same write goes through.
    f.catalogue.query(server ? "DROP TRIGGER refuse ON tovars" : "DROP TRIGGER refuse");
    if (stateAfter == CursorState::Browse)
        f.goods->Delete();
    else
        f.goods->Post();
    QCOMPARE(f.goods->State(), CursorState::Browse);
    QVERIFY(f.catalogue.query(names).toString() !=
            before);
}

void TestCursor::updateDataPrecedesPost()
{
    Fixture f;
    Recorder recorder(*f.goods);
    // A bound editor writes its pending input when asked.
    recorder.onEvent = [&](const DataEvent &e) {
        if (e.kind == DataEventKind::UpdateData)
            f.field("models").setAsString("Из редактора");
    };
    f.goods->Edit();
    f.goods->Post();
    QCOMPARE(f.stored("models", 1).toString(), "Из редактора");

    // An editor that refuses its input stops the post.
    recorder.onEvent = [](const DataEvent &e) {
        if (e.kind == DataEventKind::UpdateData)
            throw Error("Неверное значение");
    };
    f.goods->Edit();
    f.field("tovName").setAsString("Правка");
    QCOMPARE(errorOf([&] { f.goods->Post(); }), "Неверное значение");
    QCOMPARE(f.goods->State(), CursorState::Edit);
    QCOMPARE(f.stored("tovName", 1).toString(), "Товар 1");
}

void TestCursor::listenerFailureDuringMove_data()
{
    QTest::addColumn<CursorAction>("move");
    QTest::addColumn<qint64>("keyAfter"); // starting on key 2, in edit state
    QTest::addColumn<bool>("posts");

    QTest::newRow("Next") << CursorAction([](Cursor &c) { c.Next(); }) << qint64(3) << true;
    QTest::newRow("First") << CursorAction([](Cursor &c) { c.First(); }) << qint64(1) << true;
    QTest::newRow("Locate") << CursorAction([](Cursor &c) { c.Locate("numSklad", 3); }) << qint64(3)
                            << true;
    QTest::newRow("Append") << CursorAction([](Cursor &c) { c.Append(); }) << qint64(0) << true;
    QTest::newRow("Delete") << CursorAction([](Cursor &c) { c.Delete(); }) << qint64(3) << false;
}

void TestCursor::listenerFailureDuringMove()
{
    QFETCH(CursorAction, move);
    QFETCH(qint64, keyAfter);
    QFETCH(bool, posts);

    Fixture f;
    f.goods->moveTo(1);
    f.goods->Edit();
    f.field("counts").setAsInteger(55);
    Recorder failing(*f.goods);
    Recorder watching(*f.goods);
    failing.onEvent = [](const DataEvent &e) {
        if (e.kind == DataEventKind::Scrolled)
            throw Error("Картинка не читается");
    };

    QCOMPARE(errorOf([&] { move(*f.goods); }), "Картинка не читается");
    QCOMPARE(f.key(), keyAfter);
    QVERIFY(watching.events.contains("Scrolled"));
    if (posts)
        QCOMPARE(f.stored("counts", 2).toInt(), 55);
    else
        QVERIFY(!f.stored("counts", 2).isValid());

    // The failure was reported once; the cursor goes on normally.
    failing.onEvent = nullptr;
    f.goods->Cancel();
    QVERIFY(errorOf([&] { f.goods->First(); }).isNull());
    QCOMPARE(f.key(), 1);
}

QTEST_GUILESS_MAIN(TestCursor)
#include "tst_cursor.moc"
