#include "labels/LabelText.h"
#include "labels/PartCode.h"

#include <QTest>

namespace {

// Every letter 10 tenths wide, the ellipsis too; lines 30 high.
TextMeasure evenLetters()
{
    TextMeasure measure;
    measure.width = [](const ReportFont &, const QString &text) {
        double width = 0;
        for (const QChar c : text)
            if (c.category() != QChar::Mark_NonSpacing) // a combining mark takes no room
                width += 10;
        return width;
    };
    measure.lineHeight = [](const ReportFont &) { return 30.0; };
    return measure;
}

const ReportFont Font{QStringLiteral("Arial"), 8, false, std::nullopt};

} // namespace

// Which barcode a part gets and which part a scanned code names; fitting
// names into a label's lines.
class TestLabelCodes : public QObject
{
    Q_OBJECT
private slots:
    void eanCheckDigits_data();
    void eanCheckDigits();
    void barcodeOfAPart_data();
    void barcodeOfAPart();
    void scannedStoreCodes_data();
    void scannedStoreCodes();
    void wrapping_data();
    void wrapping();
};

void TestLabelCodes::eanCheckDigits_data()
{
    QTest::addColumn<QString>("twelve");
    QTest::addColumn<int>("check");
    // Codes printed on goods, checked by hand.
    QTest::newRow("4006381333931") << "400638133393" << 1;
    QTest::newRow("4601234567893") << "460123456789" << 3;
    QTest::newRow("all zeros") << "000000000000" << 0;
    QTest::newRow("a store code") << "200000000008" << 4;
    QTest::newRow("eleven digits") << "40063813339" << -1;
    QTest::newRow("a letter") << "40063813339X" << -1;
}

void TestLabelCodes::eanCheckDigits()
{
    QFETCH(QString, twelve);
    QFETCH(int, check);
    QCOMPARE(PartCode::eanCheckDigit(twelve), check);
}

void TestLabelCodes::barcodeOfAPart_data()
{
    QTest::addColumn<qint64>("autoId");
    QTest::addColumn<QString>("codeTov");
    QTest::addColumn<bool>("code128");
    QTest::addColumn<QString>("data");
    QTest::newRow("an article") << qint64(7) << "W 712/75" << true << "W 712/75";
    QTest::newRow("blanks around the article")
        << qint64(7) << "  0986452041 " << true << "0986452041";
    QTest::newRow("no article") << qint64(1) << "" << false << "2000000000015";
    QTest::newRow("only blanks") << qint64(42) << "   " << false << "2000000000428";
    QTest::newRow("a Cyrillic article") << qint64(3) << "Ф-123" << false << "2000000000039";
    QTest::newRow("the largest goods code")
        << qint64(99999999999) << "" << false << "2999999999991";
    QTest::newRow("a goods code too long") << qint64(100000000000) << "" << false << "";
    QTest::newRow("an article saves a long code") << qint64(100000000000) << "A1" << true << "A1";
}

void TestLabelCodes::barcodeOfAPart()
{
    QFETCH(qint64, autoId);
    QFETCH(QString, codeTov);
    QFETCH(bool, code128);
    QFETCH(QString, data);
    const auto barcode = PartCode::forPart(autoId, codeTov);
    QCOMPARE(barcode.has_value(), !data.isEmpty());
    if (!barcode)
        return;
    QCOMPARE(barcode->data, data);
    QCOMPARE(barcode->symbology == PartCode::Symbology::Code128, code128);
    if (!code128) // what a label carries, a scan gives back
        QCOMPARE(PartCode::goodsCodeOf(data), std::optional<qint64>(autoId));
}

void TestLabelCodes::scannedStoreCodes_data()
{
    QTest::addColumn<QString>("scanned");
    QTest::addColumn<qint64>("goodsCode"); // -1: none
    QTest::newRow("a store code") << "2000000123455" << qint64(12345);
    QTest::newRow("with a trailing blank") << "2000000123455 " << qint64(12345);
    QTest::newRow("a wrong check digit") << "2000000123453" << qint64(-1);
    QTest::newRow("another prefix") << "4006381333931" << qint64(-1);
    QTest::newRow("twelve digits") << "200000012345" << qint64(-1);
    QTest::newRow("letters") << "2000000I2345Z" << qint64(-1);
}

void TestLabelCodes::scannedStoreCodes()
{
    QFETCH(QString, scanned);
    QFETCH(qint64, goodsCode);
    const auto found = PartCode::goodsCodeOf(scanned);
    QCOMPARE(found.value_or(-1), goodsCode);
}

void TestLabelCodes::wrapping_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("fits") << "Фильтр" << 100.0 << 2 << QStringList{"Фильтр"};
    QTest::newRow("two lines at a blank")
        << "Фильтр масляный" << 100.0 << 2 << QStringList{"Фильтр", "масляный"};
    QTest::newRow("words kept together")
        << "Ось да ось" << 70.0 << 2 << QStringList{"Ось да", "ось"};
    QTest::newRow("the rest shortened")
        << "Фильтр масляный двигателя" << 100.0 << 2 << QStringList{"Фильтр", "масляный…"};
    QTest::newRow("one line shortened")
        << "Фильтр масляный" << 100.0 << 1 << QStringList{"Фильтр ма…"};
    QTest::newRow("a long word split between letters")
        << "Амортизатор" << 50.0 << 2 << QStringList{"Аморт", "изат…"};
    QTest::newRow("blanks and line breaks simplified")
        << "  Фильтр \n  воздушный " << 100.0 << 2 << QStringList{"Фильтр", "воздушный"};
    // "й" written as "и" and a combining breve: the mark stays with its letter.
    QTest::newRow("a combining mark is not cut off")
        << QString::fromUtf8("Маи\u0306ка") << 40.0 << 2
        << QStringList{QString::fromUtf8("Маи\u0306к"), "а"};
    QTest::newRow("nothing") << "" << 100.0 << 2 << QStringList{};
}

void TestLabelCodes::wrapping()
{
    QFETCH(QString, text);
    QFETCH(double, width);
    QFETCH(int, lines);
    QFETCH(QStringList, expected);
    const TextMeasure measure = evenLetters();
    const QStringList got = LabelText::wrap(text, Font, width, lines, measure);
    QCOMPARE(got, expected);
    for (const QString &line : got)
        QVERIFY2(measure.width(Font, line) <= width, qPrintable(line));
}

QTEST_APPLESS_MAIN(TestLabelCodes)
#include "tst_labelcodes.moc"
