#include "CatalogueSchema.h"
#include "EngineTest.h"
#include "ErrorOf.h"
#include "ServerCatalogue.h"
#include "ServerSchemaScope.h"
#include "StoredRows.h"
#include "TestCatalogue.h"

#include "exchange/CsvReader.h"
#include "exchange/GoodsExport.h"
#include "exchange/PriceListImport.h"
#include "exchange/XlsxReader.h"
#include "exchange/XlsxSheetWriter.h"
#include "recordset/Connection.h"
#include "recordset/Currency.h"
#include "recordset/Cursor.h"
#include "recordset/server/ServerPipeline.h"

#include <QFile>
#include <QTest>

namespace {

using T = PriceListMapping::Target;

// Five goods, two of them sharing an article code; prices with kopecks.
struct Catalogue
{
    Catalogue()
    {
        catalogue.addCategory(QStringLiteral("Фильтры"));
        const struct
        {
            const char *code, *name, *model;
            int count;
            qint64 price;
        } goods[] = {{"2105-1012005", "Фильтр масляный", "2101-2107", 45, 2895000},
                     {"BPR6ES", "Свеча зажигания", "2107", 100, 195000},
                     {"BPR6ES", "Свеча зажигания", "Нива", 60, 195000},
                     {"", "Ремень ГРМ", "2108", 20, 580000},
                     {"04152-YZZA1", "Фильтр масляный", "Camry", 18, 890000}};
        for (const auto &g : goods) {
            TestCatalogue::Goods row;
            if (*g.code)
                row.codeTov = QString::fromUtf8(g.code);
            row.tovName = QString::fromUtf8(g.name);
            row.models = QString::fromUtf8(g.model);
            row.counts = g.count;
            row.price = g.price;
            row.numSklad = 1;
            row.catId = 1;
            catalogue.addGoods(row);
        }
        connection->open();
        cursor.open();
    }
    // The rows of `table` as stored, read afresh: each row's `columns`
    // joined by ':', amounts as plain numbers ("300.1", "58"); rows in key
    // order, joined by ' ', those with a key above `after` only.
    QString stored(const TableSchema &table, const QStringList &columns, qint64 after = 0)
    {
        Cursor fresh(*connection, table);
        fresh.open();
        QStringList rows;
        for (fresh.First(); !fresh.Eof(); fresh.Next()) {
            if (fresh.field(table.keyIndex()).AsInteger() <= after)
                continue;
            QStringList values;
            for (const QString &column : columns) {
                Field &f = fresh.FieldByName(column);
                QString value = f.DisplayText();
                if (f.DataType() == FieldType::Currency && !f.IsNull()) {
                    value = Currency::format(f.AsCurrency(), QLatin1Char('.'));
                    while (value.endsWith('0'))
                        value.chop(1);
                    if (value.endsWith('.'))
                        value.chop(1);
                }
                values << value;
            }
            rows << values.join(':');
        }
        return rows.join(' ');
    }
    QString prices()
    {
        return stored(CatalogueSchema::goods(), {"auto_id", "price"}).replace(':', '=');
    }

    TestCatalogue catalogue{TestCatalogue::engineOfTest()};
    std::unique_ptr<Store> connection = catalogue.connect();
    Cursor cursor{*connection, CatalogueSchema::goods()};
};

const std::vector<GoodsExport::Column> kColumns = {
    {"auto_id", "Код товара"}, {"tovName", "Наименование"}, {"models", "Модель"},
    {"counts", "Количество"},  {"price", "Цена"},           {"numSklad", "№ склада"},
    {"codeTov", "Артикул"}};

SheetTable readBack(const QString &file)
{
    return file.endsWith(".xlsx") ? XlsxReader(file).read(0) : CsvReader::read(file);
}

PriceListImport::Plan planFor(Catalogue &c, const SheetTable &sheet, bool addNew = true)
{
    PriceListImport::Options options;
    options.addNew = addNew;
    return PriceListImport::plan(*c.connection, sheet, PriceListMapping::guess(sheet.rows.front()),
                                 options);
}

} // namespace

// The found list out to a table and a price list in: round trips, refused
// lines, new goods with their references, and writes that fail or are given up.
class TestPriceList : public EngineTest
{
    Q_OBJECT
private slots:
    void roundTripChangesNothing_data();
    void roundTripChangesNothing();
    void editedPricesChangeExactlyThose();
    void refusedLines();
    void newGoodsFindOrMakeTheirReferences();
    void failingHalfwayWritesNothing();
    void longListOnTheServerEndsAsOnTheFile();
    void cancelledExportLeavesNoFile();
};

void TestPriceList::roundTripChangesNothing_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("xlsx") << "found.xlsx";
    QTest::newRow("csv") << "found.csv";
}

void TestPriceList::roundTripChangesNothing()
{
    QFETCH(QString, file);
    Catalogue c;
    c.cursor.setSort("price DESC"); // the order in force is the order written
    c.cursor.moveTo(2);
    const QString path = c.catalogue.folder() + '/' + file;
    QVERIFY(GoodsExport::write(c.cursor, kColumns, path));
    QCOMPARE(c.cursor.currentRow(), 2);

    const SheetTable sheet = readBack(path);
    QCOMPARE(int(sheet.rows.size()), 6);
    QCOMPARE(sheet.rows[1].value(1), QStringLiteral("Фильтр масляный"));
    QCOMPARE(sheet.rows[1].value(0), QStringLiteral("1"));
    // The two goods that share a code are told, not guessed; the rest match.
    const PriceListImport::Plan plan = planFor(c, sheet);
    QCOMPARE(int(plan.updates.size()), 0);
    QCOMPARE(int(plan.additions.size()), 0);
    QCOMPARE(plan.unchanged, 3);
    QCOMPARE(plan.refused.size(), 2);
    QVERIFY2(
        plan.refused[0].contains("артикул «BPR6ES» есть у нескольких товаров (коды товара 2, 3)"),
        qPrintable(plan.refused[0]));
}

void TestPriceList::editedPricesChangeExactlyThose()
{
    Catalogue c;
    const QString path = c.catalogue.folder() + "/found.xlsx";
    QVERIFY(GoodsExport::write(c.cursor, kColumns, path));
    SheetTable sheet = XlsxReader(path).read(0);
    // The supplier changes two prices and sends the workbook back.
    sheet.rows[1][4] = QStringLiteral("300.1");
    sheet.rows[5][4] = QStringLiteral("95");
    const QString edited = c.catalogue.folder() + "/edited.xlsx";
    {
        XlsxSheetWriter writer(edited);
        std::vector<SheetColumn> columns;
        for (const QString &title : sheet.rows[0])
            columns.push_back({title, SheetColumn::Kind::Text, 10});
        writer.begin(columns);
        for (size_t r = 1; r < sheet.rows.size(); ++r) {
            std::vector<SheetCell> cells;
            for (int i = 0; i < sheet.rows[r].size(); ++i) {
                const auto amount = Currency::fromText(sheet.rows[r][i]);
                if (i == 4 && amount)
                    cells.push_back({SheetCell::Kind::Money, {}, *amount});
                else
                    cells.push_back({SheetCell::Kind::Text, sheet.rows[r][i], 0});
            }
            writer.writeRow(cells);
        }
        writer.finish();
    }
    const PriceListImport::Plan plan = planFor(c, XlsxReader(edited).read(0));
    QCOMPARE(int(plan.updates.size()), 2);
    PriceListImport::apply(*c.connection, plan);
    QCOMPARE(c.prices(), QStringLiteral("1=300.1 2=19.5 3=19.5 4=58 5=95"));
}

void TestPriceList::refusedLines()
{
    Catalogue c;
    SheetTable sheet;
    sheet.rows = {{"Артикул", "Наименование", "Модель", "Цена", "Кол-во"},
                  {"2105-1012005", "", "", "1 234,50 руб.", "46"}, // line 2: changes
                  {"", "", "", "", ""},                            // an empty line: skipped
                  {"2105-1012005", "", "", "300", ""},             // the same goods again
                  {"", "Ремень ГРМ", "2108", "12,3,4", ""},        // no number
                  {"", "Ремень ГРМ", "2108", "", "abc"},           // no whole number
                  {"", "", "", "100", "5"},                        // nothing to find it by
                  {"NEW-1", "", "", "100", "5"},                   // new, without a name
                  {"04152-YZZA1", "", "", "-5", ""}};              // a negative price
    const PriceListImport::Plan plan = planFor(c, sheet);
    QCOMPARE(plan.refused, (QStringList{"строка 4: тот же товар, что в строке 2",
                                        "строка 5: цена «12,3,4» не является числом",
                                        "строка 6: количество «abc» не является целым числом",
                                        "строка 7: нет ни артикула, ни наименования",
                                        "строка 8: у нового товара нет наименования",
                                        "строка 9: цена «-5» не годится для каталога"}));
    QCOMPARE(int(plan.updates.size()), 1);
    QCOMPARE(*plan.updates[0].price, qint64(12345000));
    QCOMPARE(*plan.updates[0].count, qint64(46));
}

void TestPriceList::newGoodsFindOrMakeTheirReferences()
{
    Catalogue c;
    SheetTable sheet;
    sheet.rows = {{"Артикул", "Наименование", "Категория", "Марка", "Цена"},
                  {"A-1", "Колодки", "ФИЛЬТРЫ", "ВАЗ", "10"},
                  {"A-2", "Диск", "Тормоза", "ваз", "20,5"}};
    const PriceListImport::Plan plan = planFor(c, sheet);
    QCOMPARE(int(plan.additions.size()), 2);
    QCOMPARE(plan.newCategories, QStringList{"Тормоза"}); // "ФИЛЬТРЫ" is "Фильтры"
    QCOMPARE(plan.newMakes, QStringList{"ВАЗ"});          // one make for both spellings
    PriceListImport::apply(*c.connection, plan);
    QCOMPARE(c.stored(CatalogueSchema::goods(),
                      {"tovName", "cat_id", "auto_type", "price", "country_id"}, 5),
             QStringLiteral("Колодки:1:1:10:0 Диск:2:1:20.5:0"));
    QCOMPARE(c.stored(CatalogueSchema::categories(), {"catName"}),
             QStringLiteral("Фильтры Тормоза"));
    // Loaded again, the lines find the goods they made and change nothing.
    const PriceListImport::Plan again = planFor(c, sheet, false);
    QCOMPARE(again.unchanged, 2);
    QVERIFY(again.updates.empty() && again.additions.empty() && again.notAdded == 0);
}

void TestPriceList::failingHalfwayWritesNothing()
{
    Catalogue c;
    SheetTable sheet;
    sheet.rows = {{"Артикул", "Наименование", "Категория", "Цена"},
                  {"2105-1012005", "", "", "1"},
                  {"04152-YZZA1", "", "", "2"},
                  {"N-1", "Новый 1", "Новая", "3"},
                  {"N-2", "Новый 2", "", "4"},
                  {"N-3", "Новый 3", "", "5"}};
    const PriceListImport::Plan plan = planFor(c, sheet);
    QCOMPARE(int(plan.additions.size()), 3);
    // Another program's rule refuses the third new row.
    if (c.catalogue.onServer()) {
        c.catalogue.query("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN "
                          "IF (SELECT count(*) FROM tovars) >= 7 THEN RAISE EXCEPTION 'нельзя'; "
                          "END IF; RETURN NEW; END$$");
        c.catalogue.query("CREATE TRIGGER refuse BEFORE INSERT ON tovars FOR EACH ROW EXECUTE "
                          "FUNCTION refuse()");
    } else {
        c.catalogue.query(
            "CREATE TRIGGER refuse BEFORE INSERT ON tovars WHEN "
            "(SELECT count(*) FROM tovars) >= 7 BEGIN SELECT RAISE(ABORT, 'нельзя'); END");
    }
    const QString before = c.prices();
    QVERIFY(!errorOf([&] { PriceListImport::apply(*c.connection, plan); }).isNull());
    QCOMPARE(c.prices(), before);
    QCOMPARE(c.catalogue.count("category"), 1);
}

// A list longer than the server takes in one batch, every kind of line in
// it (a price alone, a quantity alone, both, an article twice, new goods),
// leaves the server's catalogue as the same list leaves the file; refused in
// a later batch than the first, it leaves the server's as it was.
void TestPriceList::longListOnTheServerEndsAsOnTheFile()
{
    if (TestCatalogue::engineOfTest() != TestCatalogue::Engine::Server)
        QSKIP("compares the server with the file: runs once, with the server");
    TestCatalogue file;
    file.query("BEGIN");
    for (int i = 0; i < 2400; ++i) {
        TestCatalogue::Goods goods;
        goods.codeTov = QStringLiteral("A-%1").arg(i);
        goods.tovName = QStringLiteral("Деталь %1").arg(i);
        goods.counts = i % 7;
        goods.price = 10000 * i + 1234 * (i % 3);
        file.addGoods(goods);
    }
    file.query("COMMIT");
    const ServerSchemaScope scope("pricelist_long");
    ServerConnection server(scope.target);
    {
        Connection source(file.path());
        ServerCatalogue::copy(source, server);
    }
    SheetTable sheet;
    sheet.rows = {{"Артикул", "Наименование", "Цена", "Остаток"}};
    for (int i = 0; i < 2200; ++i)
        sheet.rows.push_back({QStringLiteral("A-%1").arg(i), QString(),
                              i % 3 == 1 ? QString() : QStringLiteral("%1,5").arg(i + 7),
                              i % 3 == 0 ? QString() : QString::number(i % 11)});
    sheet.rows.push_back({"A-5", "", "999", "1"});
    for (int i = 0; i < 300; ++i)
        sheet.rows.push_back({QStringLiteral("N-%1").arg(i), QStringLiteral("Новая %1").arg(i),
                              QStringLiteral("%1").arg(i + 1), "3"});
    PriceListImport::Options options;
    options.addNew = true;
    const auto planOn = [&](Store &store) {
        return PriceListImport::plan(store, sheet, PriceListMapping::guess(sheet.rows.front()),
                                     options);
    };
    Connection onFile(file.path());
    const PriceListImport::Plan plan = planOn(server);
    QCOMPARE(int(plan.updates.size()), int(planOn(onFile).updates.size()));
    QVERIFY(plan.updates.size() > 2 * size_t(ServerPipeline::BatchSize));
    QCOMPARE(int(plan.additions.size()), 300);

    const TableSchema goods = CatalogueSchema::goods();
    const QStringList before = storedRows(server, goods);
    server.execute("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN "
                   "IF NEW.price = 1507.5 THEN RAISE EXCEPTION 'нельзя'; END IF; "
                   "RETURN NEW; END$$");
    server.execute("CREATE TRIGGER refuse BEFORE UPDATE ON tovars FOR EACH ROW EXECUTE "
                   "FUNCTION refuse()");
    const QString refusal = errorOf([&] { PriceListImport::apply(server, plan); });
    QVERIFY2(refusal.contains(QStringLiteral("нельзя")), qPrintable(refusal));
    QCOMPARE(storedRows(server, goods), before);
    server.execute("DROP TRIGGER refuse ON tovars");

    PriceListImport::apply(server, plan);
    PriceListImport::apply(onFile, planOn(onFile));
    const QStringList moved = storedRows(server, goods);
    QCOMPARE(moved.size(), 2700);
    QCOMPARE(moved, storedRows(onFile, goods));
    QVERIFY(moved != before);
}

void TestPriceList::cancelledExportLeavesNoFile()
{
    Catalogue c;
    for (int i = 0; i < 2500; ++i)
        c.catalogue.addGoods(
            {1, {}, QStringLiteral("Деталь %1").arg(i), {}, 1, {}, {}, {}, {}, {}});
    c.cursor.close();
    c.cursor.open();
    for (const char *name : {"big.xlsx", "big.csv"}) {
        const QString path = c.catalogue.folder() + '/' + name;
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("the user's own file");
        earlier.close();
        int calls = 0;
        QVERIFY(!GoodsExport::write(c.cursor, kColumns, path, [&](int done, int total) {
            ++calls;
            return done < total / 2;
        }));
        QCOMPARE(calls, 2);
        QVERIFY(!QFile::exists(path + ".part"));
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("the user's own file"));
        earlier.close();
    }
}

QTEST_GUILESS_MAIN(TestPriceList)
#include "tst_pricelist.moc"
