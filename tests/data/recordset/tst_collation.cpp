#include "recordset/Collation.h"
#include "recordset/Currency.h"

#include <QTest>
#include <optional>

Q_DECLARE_METATYPE(std::optional<qint64>)

class TestCollation : public QObject
{
    Q_OBJECT

private slots:
    void compare_data();
    void compare();
    void malformedUtf8StaysInBounds();
    void parseCurrency_data();
    void parseCurrency();
    void formatCurrency_data();
    void formatCurrency();
};

void TestCollation::compare_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected"); // sign only

    const auto row = [](const char *name, const char *a, const char *b, int expected) {
        QTest::newRow(name) << QString::fromUtf8(a) << QString::fromUtf8(b) << expected;
    };
    row("alphabet", "Абажур", "Бампер", -1);
    row("ya last", "Якорь", "Юбка", 1);
    row("yo after ye", "ёж", "ежевика", 1);
    row("yo before zhe", "Ёлка", "Жук", -1);
    row("capital yo after ye", "Ёж", "Ет", 1);
    row("yo case", "ЁЛКА", "ёлка", 0);
    row("cyrillic case", "ФИЛЬТР масляный", "фильтр МАСЛЯНЫЙ", 0);
    row("latin case", "BOSCH", "bosch", 0);
    row("latin case mixed", "abc", "ABD", -1);
    row("digit before latin", "9", "a", -1);
    row("digit before cyrillic", "9", "а", -1);
    row("digits in order", "2107", "2110", -1);
    row("latin before cyrillic", "zzz", "ааа", -1);
    row("capital latin before cyrillic", "Z", "а", -1);
    row("blank before digit", " 1", "0", -1);
    row("sign before digit", "-", "0", -1);
    row("prefix first", "Фильтр", "Фильтр масляный", -1);
    row("empty first", "", "а", -1);
    row("equal", "ВАЗ 2107", "ВАЗ 2107", 0);
    row("other letters after cyrillic", "é", "я", 1);
}

void TestCollation::compare()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);

    const auto sign = [](int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); };
    QCOMPARE(sign(Collation::compare(a, b)), expected);
    QCOMPARE(sign(Collation::compare(b, a)), -expected);
}

void TestCollation::malformedUtf8StaysInBounds()
{
    // A lead byte that promises two more bytes at the very end of the text.
    const char truncated[] = {'a', char(0xE0), char(0xA0)};
    const char *p = truncated + 1;
    QCOMPARE(Collation::decode(p, truncated + 3), char32_t(0xFFFD));
    QVERIFY(p <= truncated + 3);

    const char lone[] = {char(0xD0)};
    QCOMPARE(Collation::compare(lone, 1, lone, 1), 0);
    QVERIFY(Collation::compare(truncated, 3, "a", 1) > 0);
}

void TestCollation::parseCurrency_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<std::optional<qint64>>("expected");

    const QChar comma(','), point('.');
    const std::optional<qint64> refused;
    QTest::newRow("whole") << "150" << comma << std::optional<qint64>(1500000);
    QTest::newRow("comma") << "-1,5" << comma << std::optional<qint64>(-15000);
    QTest::newRow("point with comma system") << "99.9901" << comma << std::optional<qint64>(999901);
    QTest::newRow("comma with point system") << "1,25" << point << std::optional<qint64>(12500);
    QTest::newRow("blanks around") << "  7 " << point << std::optional<qint64>(70000);
    QTest::newRow("plus") << "+2" << point << std::optional<qint64>(20000);
    QTest::newRow("no integer part") << ",5" << comma << std::optional<qint64>(5000);
    QTest::newRow("trailing separator") << "5." << point << std::optional<qint64>(50000);
    QTest::newRow("largest") << "922337203685477,5807" << comma
                             << std::optional<qint64>(Currency::Limit);
    QTest::newRow("smallest") << "-922337203685477,5807" << comma
                              << std::optional<qint64>(-Currency::Limit);
    QTest::newRow("beyond largest") << "922337203685477,5808" << comma << refused;
    QTest::newRow("far beyond") << "99999999999999999999" << comma << refused;
    QTest::newRow("five decimals") << "1,23456" << comma << refused;
    QTest::newRow("letters") << "abc" << comma << refused;
    QTest::newRow("empty") << "" << comma << refused;
    QTest::newRow("separator only") << "," << comma << refused;
    QTest::newRow("sign only") << "-" << comma << refused;
    QTest::newRow("exponent") << "1e3" << point << refused;
    QTest::newRow("grouping") << "1 000" << comma << refused;
    QTest::newRow("two separators") << "1,000.5" << point << refused;
}

void TestCollation::parseCurrency()
{
    QFETCH(QString, text);
    QFETCH(QChar, separator);
    QFETCH(std::optional<qint64>, expected);

    QCOMPARE(Currency::parse(text, separator), expected);
}

void TestCollation::formatCurrency_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");

    QTest::newRow("whole") << qint64(1500000) << QChar(',') << "150,00";
    QTest::newRow("four places") << qint64(123456) << QChar(',') << "12,3456";
    QTest::newRow("three places") << qint64(123450) << QChar(',') << "12,345";
    QTest::newRow("point") << qint64(-15000) << QChar('.') << "-1.50";
    QTest::newRow("below one") << qint64(-5) << QChar(',') << "-0,0005";
    QTest::newRow("zero") << qint64(0) << QChar(',') << "0,00";
    QTest::newRow("largest") << Currency::Limit << QChar(',') << "922337203685477,5807";
    QTest::newRow("smallest count")
        << std::numeric_limits<qint64>::min() << QChar(',') << "-922337203685477,5808";
}

void TestCollation::formatCurrency()
{
    QFETCH(qint64, value);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);

    QCOMPARE(Currency::format(value, separator), expected);
}

QTEST_GUILESS_MAIN(TestCollation)
#include "tst_collation.moc"
