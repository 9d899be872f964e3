#include "../reports/FakeReportData.h"
#include "GuiTestMain.h"

#include "labels/LabelProducer.h"
#include "recordset/Error.h"
#include "reports/renderer/PageFile.h"
#include "reports/renderer/ReportPrinting.h"
#include "ui/labels/FontMeasure.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace {

struct Part
{
    qint64 id;
    QString code, name, model, price;
    int count;
};

const QString LongName = QStringLiteral(
    "Комплект ремня ГРМ с роликами и помпой усиленный для двигателей объёмом 1,6 литра");

// Five parts: articles a scanner types back, none, a Cyrillic one, digits
// only, and twenty characters that only wide labels can carry as they are.
const QVector<Part> &parts()
{
    static const QVector<Part> all = {
        {1, "W 712/75", "Фильтр масляный", "ВАЗ 2108-2115", "289.55", 2},
        {2, "", LongName, "Chevrolet Niva, Лада 4x4 Urban", "1250", 0},
        {3, "Ф-123", "Свеча зажигания", "", "0.5", 1},
        {987654, "0986452041", "Колодки тормозные передние", "Ford Focus II", "3400", 3},
        {5, "ABCDEFGHIJKLMNOPQRST", "Ремень", "Lada", "100", 1},
    };
    return all;
}

FakeReportData rowsOf(const QVector<Part> &list)
{
    QVector<FakeReportData::Row> rows;
    for (const Part &p : list)
        rows.append({{"auto_id", QString::number(p.id)},
                     {"codeTov", p.code},
                     {"tovName", p.name},
                     {"models", p.model},
                     {"price", p.price},
                     {"counts", QString::number(p.count)}});
    return FakeReportData(rows);
}

ReportPages labels(const QVector<Part> &list, const LabelOptions &options)
{
    FakeReportData rows = rowsOf(list);
    LabelProducer producer(rows, options, FontMeasure::measure(), QStringLiteral("Этикетки"));
    while (producer.step(7)) {
    }
    return producer.takePages();
}

LabelSheet sheetNamed(const QString &start)
{
    for (const LabelSheet &sheet : LabelSheet::all())
        if (sheet.name.startsWith(start))
            return sheet;
    qFatal("no such sheet");
}

// What an independent decoder reads off each label of the pages, printed to
// PDF and turned into pictures: [page][position] = "TYPE:data" of every
// symbol found within that label.
QVector<QVector<QStringList>> decode(const ReportPages &pages, const LabelSheet &sheet)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("labels.pdf"));
    ReportPrinting::exportPdf(pages, pdf);
    constexpr int Dpi = 300;
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {"-r", QString::number(Dpi), "-png", pdf, dir.filePath(QStringLiteral("page"))});
    if (!render.waitForFinished(60000) || render.exitCode() != 0)
        qFatal("pdftoppm failed");
    const QStringList images =
        QDir(dir.path()).entryList({QStringLiteral("page-*.png")}, QDir::Files, QDir::Name);
    QVector<QVector<QStringList>> found(images.size(), QVector<QStringList>(sheet.perSheet()));
    QStringList crops;
    QHash<QString, QPair<int, int>> placeOf;
    const double scale = Dpi / 254.0;
    for (int page = 0; page < images.size(); ++page) {
        const QImage image(dir.filePath(images[page]));
        for (int position = 0; position < sheet.perSheet(); ++position) {
            const QRect label(int(sheet.labelLeft(position) * scale),
                              int(sheet.labelTop(position) * scale), int(sheet.labelWidth * scale),
                              int(sheet.labelHeight * scale));
            const QString crop =
                dir.filePath(QStringLiteral("crop-%1-%2.png").arg(page).arg(position));
            image.copy(label).save(crop);
            crops << crop;
            placeOf.insert(crop, {page, position});
        }
    }
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), QStringList{"--xml", "-q"} + crops);
    if (!zbar.waitForFinished(120000))
        qFatal("zbarimg hangs");
    QXmlStreamReader xml(zbar.readAllStandardOutput());
    QPair<int, int> place;
    QString type;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("source"))
            place = placeOf.value(xml.attributes().value("href").toString());
        else if (xml.name() == QLatin1String("symbol"))
            type = xml.attributes().value("type").toString();
        else if (xml.name() == QLatin1String("data"))
            found[place.first][place.second] << type + QLatin1Char(':') + xml.readElementText();
    }
    return found;
}

} // namespace

// Label sheets printed to PDF, read back by an independent barcode decoder.
class TestLabelSheets : public QObject
{
    Q_OBJECT
private slots:
    void everyLabelScansBack_data();
    void everyLabelScansBack();
    void textsStayOnTheirLabel_data();
    void textsStayOnTheirLabel();
    void labelPagesSaveAndLoad();
};

void TestLabelSheets::everyLabelScansBack_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<bool>("asInStock");
    QTest::addColumn<int>("start");
    QTest::addColumn<QStringList>("expected"); // label by label, in printing order
    const QString ean2 = QStringLiteral("EAN-13:2000000000022");
    const QString ean3 = QStringLiteral("EAN-13:2000000000039");
    const QString w712 = QStringLiteral("CODE-128:W 712/75");
    const QString bosch = QStringLiteral("CODE-128:0986452041");
    const QString long20 = QStringLiteral("CODE-128:ABCDEFGHIJKLMNOPQRST");
    const QString ean5 = QStringLiteral("EAN-13:2000000000053");
    const QStringList one = {w712, ean2, ean3, bosch, long20};
    const QStringList inStock = {w712, w712, ean3, bosch, bosch, bosch, long20};
    QTest::newRow("3 x 8, one each, from the 23rd") << "A4, 24" << false << 22 << one;
    QTest::newRow("3 x 8, as in stock") << "A4, 24" << true << 0 << inStock;
    QTest::newRow("3 x 7, one each, from the 20th") << "A4, 21" << false << 19 << one;
    QTest::newRow("3 x 7, as in stock, from the 2nd") << "A4, 21" << true << 1 << inStock;
    // Twenty characters need more room than 52.5 mm: the store's code instead.
    QStringList narrow = one;
    narrow.last() = ean5;
    QTest::newRow("4 x 10, one each, from the 38th") << "A4, 40" << false << 37 << narrow;
    QTest::newRow("roll, one each") << "Рулон" << false << 0 << one;
    QTest::newRow("roll, as in stock, start ignored") << "Рулон" << true << 5 << inStock;
}

void TestLabelSheets::everyLabelScansBack()
{
    QFETCH(QString, sheet);
    QFETCH(bool, asInStock);
    QFETCH(int, start);
    QFETCH(QStringList, expected);
    LabelOptions options;
    options.sheet = sheetNamed(sheet);
    options.asInStock = asInStock;
    options.start = start;
    const ReportPages pages = labels(parts(), options);
    const int perSheet = options.sheet.perSheet();
    const int first = perSheet > 1 ? start : 0;
    QCOMPARE(int(pages.pages.size()), (first + int(expected.size()) + perSheet - 1) / perSheet);

    const auto found = decode(pages, options.sheet);
    QCOMPARE(found.size(), qsizetype(pages.pages.size()));
    for (int page = 0; page < found.size(); ++page)
        for (int position = 0; position < perSheet; ++position) {
            const int label = page * perSheet + position - first;
            const QStringList want = label >= 0 && label < expected.size()
                                         ? QStringList{expected[label]}
                                         : QStringList{};
            QVERIFY2(found[page][position] == want,
                     qPrintable(QStringLiteral("page %1, label %2: %3")
                                    .arg(page + 1)
                                    .arg(position + 1)
                                    .arg(found[page][position].join(", "))));
        }
}

void TestLabelSheets::textsStayOnTheirLabel_data()
{
    QTest::addColumn<QString>("sheet");
    for (const LabelSheet &sheet : LabelSheet::all())
        QTest::newRow(qPrintable(sheet.name)) << sheet.name;
}

void TestLabelSheets::textsStayOnTheirLabel()
{
    QFETCH(QString, sheet);
    LabelOptions options;
    options.sheet = sheetNamed(sheet);
    const LabelSheet &s = options.sheet;
    const TextMeasure measure = FontMeasure::measure();
    const ReportPages pages = labels(parts(), options);
    QStringList texts;
    QMap<int, QStringList> nameLines; // label by label, the name's font only
    for (size_t page = 0; page < pages.pages.size(); ++page) {
        for (const PageItem &item : pages.pages[page].items) {
            int position = -1;
            for (int p = 0; p < s.perSheet(); ++p)
                if (QRect(s.labelLeft(p), s.labelTop(p), s.labelWidth, s.labelHeight)
                        .contains(item.rect.topLeft()))
                    position = p;
            QVERIFY2(position >= 0, qPrintable(item.text));
            QRect drawn = item.rect;
            if (item.kind == PageItem::Kind::Text) {
                const ReportFont &font = pages.fonts[size_t(item.font)];
                drawn.setWidth(int(measure.width(font, item.text)));
                drawn.setHeight(int(measure.lineHeight(font)));
                texts << item.text;
                if (item.font == 0)
                    nameLines[int(page) * s.perSheet() + position] << item.text;
            }
            QVERIFY2(QRect(s.labelLeft(position), s.labelTop(position), s.labelWidth, s.labelHeight)
                         .contains(drawn),
                     qPrintable(item.text));
        }
    }
    // The long name: whole words on the first line, the end shortened.
    QCOMPARE(nameLines.size(), parts().size());
    const QStringList longName = *std::next(nameLines.begin());
    QCOMPARE(longName.size(), 2);
    QVERIFY(LongName.startsWith(longName[0] + QLatin1Char(' ')));
    QVERIFY2(longName[1].endsWith(QStringLiteral("…")), qPrintable(longName[1]));
    QVERIFY(LongName.startsWith(longName[0] + QLatin1Char(' ') + longName[1].chopped(1)));
    QCOMPARE(*nameLines.begin(), QStringList{QStringLiteral("Фильтр масляный")});
    QVERIFY(texts.contains(QStringLiteral("1\u00a0250,00 руб.")));
    QVERIFY(texts.contains(QStringLiteral("0,50 руб.")));
    QVERIFY(texts.contains(QStringLiteral("ВАЗ 2108-2115")));
}

void TestLabelSheets::labelPagesSaveAndLoad()
{
    LabelOptions options;
    options.sheet = sheetNamed("A4, 24");
    const ReportPages pages = labels(parts(), options);
    const QByteArray file = PageFile::encode(pages);
    QCOMPARE(PageFile::decode(file), pages);

    // The version before barcodes had no bars: such a file is damaged.
    QByteArray older = file;
    older[8] = 1;
    QVERIFY_THROWS_EXCEPTION(Error, PageFile::decode(older));
    // Bars of anything but spaces, bars and guards are refused.
    ReportPages odd = pages;
    for (PageItem &item : odd.pages[0].items)
        if (item.kind == PageItem::Kind::Bars)
            item.text[3] = QLatin1Char('7');
    QVERIFY_THROWS_EXCEPTION(Error, PageFile::decode(PageFile::encode(odd)));
}

AUTOPARTS_GUI_TEST_MAIN(TestLabelSheets)
#include "tst_labelsheets.moc"
