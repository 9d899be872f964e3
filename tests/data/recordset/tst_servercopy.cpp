#include "CatalogueGenerator.h"
#include "CatalogueSchema.h"
#include "ErrorOf.h"
#include "ServerCatalogue.h"
#include "ServerSchemaScope.h"
#include "StoredRows.h"
#include "TestCatalogue.h"
#include "recordset/Connection.h"
#include "recordset/Cursor.h"
#include "recordset/RowStore.h"
#include "recordset/TableSql.h"
#include "recordset/server/ServerConnection.h"
#include "recordset/server/ServerCopyIn.h"
#include "recordset/server/ServerCopyOut.h"
#include "recordset/server/ServerResult.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <libpq-fe.h>
#include <limits>

namespace {

bool anyTableLeft(ServerConnection &server)
{
    for (const TableSchema &table : CatalogueSchema::tables()) {
        const ServerResult exists =
            server.execute("SELECT to_regclass($1) IS NOT NULL",
                           {{TableSql::name(table.table(), TableSql::Dialect::Server), false}});
        if (exists.value(0, 0) == "t")
            return true;
    }
    return false;
}

const TableSchema kAmounts(QStringLiteral("amounts"),
                           {FieldDef{QStringLiteral("id"), FieldType::AutoInc},
                            FieldDef{QStringLiteral("a"), FieldType::Currency}});

} // namespace

// The server's bulk path both ways: a catalogue moved onto the server as it
// was, value by value; a move that fails leaves nothing; the binary forms.
class TestServerCopy : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void amountsInTheServersOwnForm();
    void readingTakesTheStreamCutAnywhere();
    void movesEveryValueAsItIs();
    void refusedMoveLeavesNoTables_data();
    void refusedMoveLeavesNoTables();
    void serverStoppedDuringAMove();
    void readingAgainTakesOnlyWhatChanged();
};

void TestServerCopy::init()
{
    if (!TestCatalogue::serverAvailable())
        QSKIP("AUTOPARTS_TEST_SERVER is not set: there is no server to test against");
}

// Amounts sent as numeric's binary form come back as the server prints them
// and as the same number read back: signs, the places of the fourth
// decimal, groups of zeros, the ends of the range.
void TestServerCopy::amountsInTheServersOwnForm()
{
    const qint64 max = std::numeric_limits<qint64>::max();
    const std::vector<qint64> amounts = {
        0,         1,         -1,       9999, 10000,         -10000,
        100000000, 100000001, 12345678, -5,   1000000000000, 2895000,
        99990000,  max,       -max};
    ServerSchemaScope scope("copy_amounts");
    ServerConnection server(scope.target);
    server.execute(TableSql(kAmounts, TableSql::Dialect::Server).create());
    {
        ServerCopyIn copy(server, kAmounts);
        qint64 id = 0;
        for (const qint64 amount : amounts)
            copy.addRow({StoreValue{false, ++id, {}, {}}, StoreValue{false, amount, {}, {}}});
        copy.finish();
    }
    const ServerResult printed = server.execute("SELECT a::text FROM amounts ORDER BY id");
    RowStore read(kAmounts);
    server.readAll(kAmounts, read);
    QCOMPARE(read.rowCount(), int(amounts.size()));
    for (int i = 0; i < int(amounts.size()); ++i) {
        const qint64 amount = amounts[size_t(i)];
        const quint64 magnitude = amount < 0 ? quint64(-amount) : quint64(amount);
        const QString expected = QStringLiteral("%1%2.%3")
                                     .arg(amount < 0 ? "-" : "")
                                     .arg(magnitude / 10000)
                                     .arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
        QCOMPARE(printed.text(i, 0), expected);
        QCOMPARE(read.integer(i, 1), amount);
    }
    // What the column cannot be: not a number, a sign word of its own.
    qint64 amount = 0;
    QVERIFY(
        !ServerCopyOut::amountOf(QByteArray::fromHex("00000000C0000000").toStdString(), &amount));
    QVERIFY(
        !ServerCopyOut::amountOf(QByteArray::fromHex("00000000D0000000").toStdString(), &amount));
    QVERIFY(!ServerCopyOut::amountOf(QByteArray::fromHex("000100000000").toStdString(), &amount));
}

// The rows read from the server's stream are the same however the stream
// is cut, the header and a row's length words included.
void TestServerCopy::readingTakesTheStreamCutAnywhere()
{
    TestCatalogue catalogue(TestCatalogue::Engine::Server);
    for (int i = 0; i < 40; ++i) {
        TestCatalogue::Goods goods;
        goods.tovName = QStringLiteral("Деталь %1 \t\\ «кавычки»").arg(i);
        if (i % 3)
            goods.price = qint64(i) * 12345 - 100000;
        if (i % 4)
            goods.screenshots = QByteArray(i * 10, char(i));
        catalogue.addGoods(goods);
    }
    const TableSchema goods = CatalogueSchema::goods();
    ServerConnection server(catalogue.path());
    const QByteArray sql = "COPY (" + TableSql(goods, TableSql::Dialect::Server).selectAll() +
                           ") TO STDOUT (FORMAT binary)";
    QByteArray stream;
    {
        ServerResult start(PQexec(server.handle(), sql.constData()));
        QCOMPARE(PQresultStatus(start.get()), PGRES_COPY_OUT);
        char *message = nullptr;
        int length = 0;
        while ((length = PQgetCopyData(server.handle(), &message, 0)) > 0) {
            stream.append(message, length);
            PQfreemem(message);
        }
        while (PGresult *end = PQgetResult(server.handle()))
            PQclear(end);
    }
    RowStore whole(goods);
    server.readAll(goods, whole);
    QCOMPARE(whole.rowCount(), 40);
    for (const int piece : {1, 2, 3, 7, 19, 64, 1000}) {
        RowStore rows(goods);
        ServerCopyOut reader(goods, rows);
        for (qsizetype at = 0; at < stream.size(); at += piece)
            reader.take(std::string_view(stream.constData() + at,
                                         size_t(std::min<qsizetype>(piece, stream.size() - at))));
        QVERIFY(reader.ended());
        QCOMPARE(rows.rowCount(), whole.rowCount());
        for (int r = 0; r < rows.rowCount(); ++r)
            for (int i = 0; i < goods.fieldCount(); ++i)
                QVERIFY2(
                    rows.sameValue(r, i, whole, r),
                    qPrintable(
                        QStringLiteral("piece %1, row %2, column %3").arg(piece).arg(r).arg(i)));
    }
    // A stream that is not one is refused, not read as rows.
    RowStore rows(goods);
    ServerCopyOut reader(goods, rows);
    QVERIFY(!errorOf([&] { reader.take("PGCOPY\nXXXXXXXXXXXXXXXXXXX"); }).isNull());
}

// A file of awkward values moved onto the server holds the same, value by
// value and photo by photo: NULL in every column that takes one, empty
// texts, control characters and quotes, signs and kopecks, the ends of
// the integers, an empty photo told from none, a large one, keys with gaps.
void TestServerCopy::movesEveryValueAsItIs()
{
    TestCatalogue file;
    file.addCategory(QStringLiteral("Фильтры\tи\\масла"));
    file.addCategory(QString());
    file.addMake(QStringLiteral("ВАЗ \"Лада\" 🚗"));
    file.addCountry(QStringLiteral("Россия\nи СНГ"));
    QByteArray large(3 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(large.data()), large.size() / 4);
    std::vector<TestCatalogue::Goods> goods(6);
    goods[1] = {std::numeric_limits<int>::max(),
                std::numeric_limits<int>::min(),
                QStringLiteral("Фильтр масляный"),
                QString(),
                0,
                -123456,
                1,
                0,
                QByteArray(),
                QString()};
    goods[2] = {0,
                1,
                QStringLiteral("Свеча\r\n«Бош»\\N"),
                QStringLiteral("2101-2107"),
                -5,
                1,
                0,
                1,
                large,
                QStringLiteral("BPR6ES")};
    goods[3] = {
        1, 1, QStringLiteral("Ремень ГРМ"), QStringLiteral("e\u0301"), 7, 9000000000000000000LL,
        1, 1, QByteArray("\0\x01\xff", 3),  QStringLiteral("")};
    goods[4].tovName = QStringLiteral("Только имя");
    goods[5] = {3,
                1,
                QStringLiteral("Амортизатор"),
                QStringLiteral("Нива"),
                12,
                28950000,
                1,
                1,
                std::nullopt,
                QStringLiteral("04152-YZZA1")};
    for (const TestCatalogue::Goods &row : goods)
        file.addGoods(row);
    file.query("DELETE FROM tovars WHERE auto_id = 4");
    file.query("UPDATE tovars SET auto_id = 100000 WHERE auto_id = 6");

    ServerSchemaScope scope("copy_values");
    {
        Connection source(file.path());
        ServerConnection server(scope.target);
        ServerCatalogue::copy(source, server);
    }
    Connection source(file.path());
    ServerConnection moved(scope.target);
    for (const TableSchema &table : CatalogueSchema::tables())
        QCOMPARE(storedRows(moved, table), storedRows(source, table));
    const TableSchema schema = CatalogueSchema::goods();
    const int photo = schema.indexOf(QStringLiteral("screenshots"));
    for (const qint64 key : {1, 2, 3, 5, 100000})
        QCOMPARE(moved.readBlob(schema, photo, key), source.readBlob(schema, photo, key));
    QCOMPARE(moved.readBlob(schema, photo, 3)->size(), large.size());
    QCOMPARE(moved.readBlob(schema, photo, 2), std::optional<QByteArray>(QByteArray()));
}

void TestServerCopy::refusedMoveLeavesNoTables_data()
{
    QTest::addColumn<QByteArray>("handMade");
    QTest::addColumn<QString>("reason");
    // A file made by another program, without the rule the server keeps.
    QTest::newRow("a name twice")
        << QByteArray("DROP TABLE autotype; CREATE TABLE autotype (auto_type INTEGER PRIMARY "
                      "KEY AUTOINCREMENT, name NVARCHAR(50)); INSERT INTO autotype (name) "
                      "VALUES ('ВАЗ'), ('ГАЗ'), ('ВАЗ')")
        << QStringLiteral("В таблице «autotype» уже есть запись с таким же значением поля «name»");
    QTest::newRow("a number past the server's integer")
        << QByteArray("UPDATE tovars SET counts = 3000000000 WHERE auto_id = 2")
        << QStringLiteral("Значение 3000000000 поля «counts» таблицы «tovars» слишком велико");
}

// The move is all or nothing: a refusal after the tables were made and
// others filled leaves the server's database as it
// was, and says why.
void TestServerCopy::refusedMoveLeavesNoTables()
{
    QFETCH(QByteArray, handMade);
    QFETCH(QString, reason);
    TestCatalogue file;
    file.addCategory(QStringLiteral("Фильтры"));
    for (int i = 0; i < 3; ++i) {
        TestCatalogue::Goods goods;
        goods.tovName = QStringLiteral("Деталь %1").arg(i);
        file.addGoods(goods);
    }
    for (const QByteArray &statement : handMade.split(';'))
        file.query(statement.constData());
    ServerSchemaScope scope("copy_refused");
    Connection source(file.path());
    ServerConnection server(scope.target);
    const QString message = errorOf([&] { ServerCatalogue::copy(source, server); });
    QVERIFY2(message.contains(reason), qPrintable(message));
    QVERIFY(!anyTableLeft(server));
}

// A server of the test's own, stopped while the rows stream in: the move
// says the connection is lost, and once the server is back it holds none
// of the catalogue's tables.
void TestServerCopy::serverStoppedDuringAMove()
{
    const QString control = qEnvironmentVariable("AUTOPARTS_TEST_SERVER_CONTROL");
    if (control.isEmpty())
        QSKIP("AUTOPARTS_TEST_SERVER_CONTROL is not set: the test cannot stop a server");
    QTemporaryDir dir(QStringLiteral("/tmp/autoparts-copy.XXXXXX"));
    const auto server = [&](const char *command) {
        return QProcess::execute(QStringLiteral("sh"),
                                 {control, QString::fromLatin1(command), dir.path()});
    };
    const QString file = dir.filePath(QStringLiteral("db.mdb"));
    CatalogueGenerator::createBenchmark(file, 20000, 11);
    QCOMPARE(server("start"), 0);
    const QString target = QStringLiteral("host=%1 user=postgres dbname=postgres").arg(dir.path());
    Connection source(file);
    ServerConnection connection(target);
    bool stopped = false;
    const QString message = errorOf([&] {
        ServerCatalogue::copy(source, connection, [&](qint64 done, qint64) {
            if (done >= 8000 && !stopped)
                stopped = server("crash") == 0;
        });
    });
    QVERIFY(stopped);
    QVERIFY2(message.contains(QStringLiteral("Нет связи с сервером базы данных")),
             qPrintable(message));
    QCOMPARE(server("start"), 0);
    ServerConnection check(target);
    QVERIFY(!anyTableLeft(check));
    check.close();
    connection.close();
    QCOMPARE(server("stop"), 0);
}

// A cursor's snapshot read again after others' work: updates, a delete, a
// row added, and a transaction that was running while the cursor read and
// commits later (its change is read the time after); what the refresh holds
// is what a whole reading holds, row for row, the added row left unseen.
void TestServerCopy::readingAgainTakesOnlyWhatChanged()
{
    TestCatalogue catalogue(TestCatalogue::Engine::Server);
    for (int i = 0; i < 30; ++i) {
        TestCatalogue::Goods goods;
        goods.tovName = QStringLiteral("Деталь %1").arg(i);
        goods.counts = i;
        goods.price = 10000 * i;
        catalogue.addGoods(goods);
    }
    const TableSchema schema = CatalogueSchema::goods();
    ServerConnection connection(catalogue.path());
    Cursor cursor(connection, schema);
    cursor.open();
    ServerConnection other(catalogue.path()), late(catalogue.path());
    const auto asWholeReadingHasIt = [&] {
        ServerConnection fresh(catalogue.path());
        QStringList rows = storedRows(fresh, schema);
        rows.removeIf([](const QString &row) { return row.startsWith("31|"); }); // the added one
        return rows;
    };
    const auto cursorRows = [&] {
        QStringList rows;
        for (cursor.First(); !cursor.Eof(); cursor.Next()) {
            QStringList values;
            for (int i = 0; i < schema.fieldCount(); ++i)
                values << (cursor.field(i).IsNull() ? QStringLiteral("NULL")
                           : cursor.field(i).DataType() == FieldType::Text
                               ? '"' + cursor.field(i).AsString() + '"'
                               : QString::number(cursor.numberAt(cursor.RecNo() - 1, i)));
            rows << values.join('|');
        }
        return rows;
    };

    late.begin();
    late.execute("UPDATE tovars SET counts = 700 WHERE auto_id = 7");
    other.execute("UPDATE tovars SET price = 3.5, tovname = 'Новое имя' WHERE auto_id = 3");
    other.execute("DELETE FROM tovars WHERE auto_id = 5");
    other.execute("INSERT INTO tovars (tovname) VALUES ('Добавлена')");
    cursor.Refresh();
    late.commit();
    QCOMPARE(cursor.RecordCount(), 29);
    QStringList expected = asWholeReadingHasIt();
    expected.replaceInStrings(QRegularExpression("^7\\|(.*)\\|700\\|"), "7|\\1|6|");
    QCOMPARE(cursorRows(), expected); // the late change is not seen yet
    cursor.Refresh();
    QCOMPARE(cursorRows(), asWholeReadingHasIt());
    other.execute("UPDATE tovars SET models = 'Нива' WHERE auto_id = 30");
    cursor.Refresh();
    QCOMPARE(cursorRows(), asWholeReadingHasIt());
}

QTEST_MAIN(TestServerCopy) // the generator draws its photos
#include "tst_servercopy.moc"
