#include "CatalogueSchema.h"
#include "exchange/CsvReader.h"
#include "exchange/CsvSheetWriter.h"
#include "exchange/GoodsExport.h"
#include "exchange/PriceListMapping.h"
#include "exchange/XlsxReader.h"
#include "exchange/XlsxSheetWriter.h"
#include "recordset/Error.h"

#include <QFile>
#include <QSet>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <zip.h>

Q_DECLARE_METATYPE(std::vector<QStringList>)

namespace {

std::vector<SheetColumn> columns()
{
    return {{QStringLiteral("Наименование"), SheetColumn::Kind::Text, 30},
            {QStringLiteral("Количество"), SheetColumn::Kind::Number, 10},
            {QStringLiteral("Цена"), SheetColumn::Kind::Money, 10}};
}

std::vector<SheetCell> cells(const QString &name, qint64 count, qint64 price)
{
    return {{SheetCell::Kind::Text, name, 0},
            {SheetCell::Kind::Number, {}, count},
            {SheetCell::Kind::Money, {}, price}};
}

} // namespace

// Spreadsheet files in and out: what the writers write, the readers read
// back, CSV as suppliers send it, and the guess of which column is which.
class TestSheets : public QObject
{
    Q_OBJECT
private slots:
    void writtenFilesReadBack_data();
    void writtenFilesReadBack();
    void csvAsSuppliersSendIt_data();
    void csvAsSuppliersSendIt();
    void xlsxWithSharedStringsAndGaps();
    void notAWorkbookIsRefused();
    void mappingGuessedFromTitles_data();
    void mappingGuessedFromTitles();
    void targetsAndExtraColumnsComeFromTheDescription();
};

void TestSheets::writtenFilesReadBack_data()
{
    QTest::addColumn<bool>("xlsx");
    QTest::newRow("xlsx") << true;
    QTest::newRow("csv") << false;
}

void TestSheets::writtenFilesReadBack()
{
    QFETCH(bool, xlsx);
    QTemporaryDir dir;
    const QString path = dir.filePath(xlsx ? "list.xlsx" : "list.csv");
    {
        auto writer =
            SheetWriter::create(xlsx ? SheetWriter::Format::Xlsx : SheetWriter::Format::Csv, path);
        writer->begin(columns());
        writer->writeRow(cells(QStringLiteral("Фильтр; \"Бош\""), 45, 2895000));
        writer->writeRow(cells(QStringLiteral("две\nстроки"), -3, 123456));
        writer->writeRow({{}, {}, {}});
        writer->writeRow(cells(QStringLiteral(" с пробелом "), 0, 10000));
        writer->finish();
    }
    const SheetTable table = xlsx ? XlsxReader(path).read(0) : CsvReader::read(path);
    QCOMPARE(int(table.rows.size()), 5);
    QCOMPARE(table.rows[0], (QStringList{"Наименование", "Количество", "Цена"}));
    // Amounts keep all four decimals: as a number in a workbook, with the
    // decimal comma in CSV.
    const QStringList first = xlsx ? QStringList{"Фильтр; \"Бош\"", "45", "289.5"}
                                   : QStringList{"Фильтр; \"Бош\"", "45", "289,50"};
    QCOMPARE(table.rows[1], first);
    QCOMPARE(table.rows[2].value(0), QStringLiteral("две\nстроки"));
    QCOMPARE(table.rows[2].value(2), xlsx ? QStringLiteral("12.3456") : QStringLiteral("12,3456"));
    QVERIFY(table.rows[3].join(QString()).isEmpty());
    QCOMPARE(table.rows[4].value(0), QStringLiteral(" с пробелом "));
    if (!xlsx) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"
                                 "Наименование;Количество;Цена\r\n"));
        QVERIFY(bytes.contains("\"Фильтр; \"\"Бош\"\"\";45;289,50\r\n"));
    }
}

void TestSheets::csvAsSuppliersSendIt_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<std::vector<QStringList>>("rows");
    const std::vector<QStringList> plain = {{"Артикул", "Цена"}, {"2105-1012005", "289,50"}};
    QTest::newRow("semicolons, BOM, CRLF") << QByteArray("\xEF\xBB\xBF"
                                                         "Артикул;Цена\r\n2105-1012005;289,50\r\n")
                                           << plain;
    QTest::newRow("commas, prices quoted")
        << QByteArray("Артикул,Цена\n2105-1012005,\"289,50\"\n") << plain;
    QTest::newRow("tabs") << QByteArray("Артикул\tЦена\n2105-1012005\t289,50") << plain;
    QStringEncoder cp1251("windows-1251");
    QTest::newRow("Windows-1251") << QByteArray(cp1251(
                                         QStringLiteral("Артикул;Цена\r\n2105-1012005;289,50\r\n")))
                                  << plain;
    QTest::newRow("quotes doubled, a break inside quotes")
        << QByteArray("Наименование;Модель\n\"Свеча \"\"Бош\"\"\";\"2101,\n2107\"\n")
        << std::vector<QStringList>{{"Наименование", "Модель"}, {"Свеча \"Бош\"", "2101,\n2107"}};
    QTest::newRow("empty lines stay, so line numbers do")
        << QByteArray("А;Б\n\n1;2\r\n\r\n3;4\n")
        << std::vector<QStringList>{{"А", "Б"}, {}, {"1", "2"}, {}, {"3", "4"}};
    QTest::newRow("commas in text, semicolons between")
        << QByteArray("Наименование;Цена\nФильтр, масляный;10\nРемень, ГРМ;20\n")
        << std::vector<QStringList>{
               {"Наименование", "Цена"}, {"Фильтр, масляный", "10"}, {"Ремень, ГРМ", "20"}};
}

void TestSheets::csvAsSuppliersSendIt()
{
    QFETCH(QByteArray, bytes);
    QFETCH(std::vector<QStringList>, rows);
    QCOMPARE(CsvReader::parse(bytes).rows, rows);
}

void TestSheets::xlsxWithSharedStringsAndGaps()
{
    // As a spreadsheet program writes it: shared strings, a formatted string,
    // a gap in the row numbers and a cell left out.
    QTemporaryDir dir;
    const QString path = dir.filePath("supplier.xlsx");
    const std::pair<const char *, QByteArray> parts[] = {
        {"xl/workbook.xml", R"(<?xml version="1.0"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"
 xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>
<sheet name="Прайс" sheetId="1" r:id="rId7"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels", R"(<?xml version="1.0"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId7" Type="worksheet" Target="worksheets/price.xml"/></Relationships>)"},
        {"xl/worksheets/price.xml", R"(<?xml version="1.0"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>
<row r="1"><c r="A1" t="s"><v>0</v></c><c r="C1" t="s"><v>1</v></c></row>
<row r="3"><c r="A3" t="inlineStr"><is><t>Свеча</t></is></c><c r="B3"><v>12</v></c><c r="C3"><v>350.5</v></c></row>
</sheetData></worksheet>)"},
        {"xl/sharedStrings.xml", R"(<?xml version="1.0"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="2" uniqueCount="2">
<si><t>Наименование</t></si><si><r><t>Цена,</t></r><r><t xml:space="preserve"> руб.</t></r><rPh><t>x</t></rPh></si></sst>)"},
    };
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    QVERIFY(zip);
    for (const auto &[name, bytes] : parts) {
        QCOMPARE(zipOpenNewFileInZip64(zip, name, nullptr, nullptr, 0, nullptr, 0, nullptr,
                                       Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0),
                 ZIP_OK);
        QCOMPARE(zipWriteInFileInZip(zip, bytes.constData(), unsigned(bytes.size())), ZIP_OK);
        QCOMPARE(zipCloseFileInZip(zip), ZIP_OK);
    }
    QCOMPARE(zipClose(zip, nullptr), ZIP_OK);
    XlsxReader reader(path);
    QCOMPARE(reader.sheetNames(), QStringList{"Прайс"});
    const SheetTable table = reader.read(0);
    QCOMPARE(int(table.rows.size()), 3);
    QCOMPARE(table.rows[0], (QStringList{"Наименование", "", "Цена, руб."}));
    QVERIFY(table.rows[1].isEmpty());
    QCOMPARE(table.rows[2], (QStringList{"Свеча", "12", "350.5"}));
    QCOMPARE(XlsxReader::columnOf("AB7"), 27);
}

void TestSheets::notAWorkbookIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.xlsx");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Артикул;Цена\n");
    file.close();
    try {
        XlsxReader reader(path);
        QFAIL("a text file read as a workbook");
    } catch (const Error &error) {
        QVERIFY2(error.message().contains("не является книгой Excel"), qPrintable(error.message()));
    }
}

void TestSheets::mappingGuessedFromTitles_data()
{
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("expected"); // the column of each target, "-" for none
    QTest::newRow("our own export")
        << QStringList{"Код товара", "Категория",     "№ склада",   "Наименование", "Модель",
                       "Марка",      "Производитель", "Количество", "Цена",         "Артикул"}
        << "9 3 4 7 8 1 5 6 2";
    QTest::newRow("a supplier's list")
        << QStringList{"Код", "Наименование товара", "Применяемость", "Цена, руб.", "Остаток"}
        << "0 1 2 4 3 - - - -";
    QTest::newRow("short titles") << QStringList{"Артикул",   "Название", "Кол-во",
                                                 "Стоимость", "Группа",   "Страна"}
                                  << "0 1 - 2 3 4 - 5 -";
    QTest::newRow("Latin titles") << QStringList{"SKU", "Name", "Qty", "Price"}
                                  << "0 1 - 2 3 - - - -";
    QTest::newRow("nothing known") << QStringList{"Колонка 1", "Колонка 2"} << "- - - - - - - - -";
}

void TestSheets::mappingGuessedFromTitles()
{
    QFETCH(QStringList, titles);
    QFETCH(QString, expected);
    const PriceListMapping mapping = PriceListMapping::guess(titles);
    QStringList columns;
    for (int t = 0; t < PriceListMapping::targetCount(); ++t) {
        const int column = mapping.column(PriceListMapping::Target(t));
        columns << (column < 0 ? QStringLiteral("-") : QString::number(column));
    }
    QCOMPARE(columns.join(' '), expected);
}

void TestSheets::targetsAndExtraColumnsComeFromTheDescription()
{
    // The targets name goods columns by their description's names: a name
    // that is not one would fail only here, not while a shop imports.
    const TableSchema goods = CatalogueSchema::goods();
    QSet<int> fed;
    for (int t = 0; t < PriceListMapping::targetCount(); ++t) {
        const int column = PriceListMapping::goodsColumn(t);
        QVERIFY2(column >= 0 && column < goods.fieldCount(), qPrintable(QString::number(t)));
        QVERIFY2(!fed.contains(column), "two targets feed one column");
        fed.insert(column);
        QCOMPARE(PriceListMapping::label(t), goods.field(column).label);
        QVERIFY(!PriceListMapping::noun(t).isEmpty());
    }
    QCOMPARE(PriceListMapping::label(PriceListMapping::Warehouse), QStringLiteral("№ склада"));

    // The export adds what the grid does not show, by label, once: not the
    // photo, not the reference keys (their names are shown).
    const std::vector<GoodsExport::Column> shown = {{"tovName", "Наименование"},
                                                    {"strCat", "Категория"}};
    QStringList fields;
    for (const GoodsExport::Column &column : GoodsExport::withUnshown(shown))
        fields << column.field + QLatin1Char('=') + column.title;
    QCOMPARE(fields, (QStringList{"tovName=Наименование", "strCat=Категория", "auto_id=Код товара",
                                  "codeTov=Артикул", "numSklad=№ склада", "models=Модель",
                                  "counts=Количество", "price=Цена"}));
}

QTEST_GUILESS_MAIN(TestSheets)
#include "tst_sheets.moc"
