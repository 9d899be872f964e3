#include "CatalogueSchema.h"
#include "TestCatalogue.h"
#include "recordset/Collation.h"
#include "recordset/CollationKey.h"
#include "recordset/ColumnOrder.h"
#include "recordset/Cursor.h"
#include "recordset/RowStore.h"
#include "recordset/Store.h"

#include <QRandomGenerator>
#include <QTest>
#include <algorithm>

namespace {

// Texts that test the order where it is subtle: both cases, Ё and Е, Latin,
// digits, blanks and signs, letters of other alphabets, characters outside
// the basic plane, long common beginnings, the empty text, and repeats.
QString randomText(QRandomGenerator &random)
{
    static const QStringList pieces = {
        "Фильтр масляный ", "фильтр ", "ФИЛЬТР", "Ёлка", "ёж", "Еж", "ель", "е", "ё", "Е", "Ё",
        "a", "B", "z", "Z", "0", "9", "10", " ", "  ", "-", ".", "(", "№", "Ω", "ß", "中",
        "\U0001F697", "Ъ", "я", "Я", "Ѣ", "é", "2107", "Camry", "camry"};
    QString text;
    const int parts = int(random.bounded(5));
    for (int i = 0; i < parts; ++i)
        text += pieces[int(random.bounded(pieces.size()))];
    return text;
}

TableSchema schema()
{
    return TableSchema(QStringLiteral("t"), {{QStringLiteral("id"), FieldType::AutoInc, 0},
                                             {QStringLiteral("name"), FieldType::Text, 0},
                                             {QStringLiteral("n"), FieldType::Integer, 0},
                                             {QStringLiteral("price"), FieldType::Currency, 0}});
}

// The order as a comparison of each pair gives it: empty values first
// ascending, last descending, equal values in row order either way.
std::vector<int> byComparison(const RowStore &store, int field, bool descending)
{
    std::vector<int> rows(size_t(store.rowCount()));
    for (int i = 0; i < store.rowCount(); ++i)
        rows[size_t(i)] = i;
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        const bool nullA = store.isNull(a, field), nullB = store.isNull(b, field);
        int order = 0;
        if (nullA || nullB) {
            order = int(nullB) - int(nullA);
        } else if (field == 1) {
            const std::string_view x = store.utf8(a, field), y = store.utf8(b, field);
            order = Collation::compare(x.data(), int(x.size()), y.data(), int(y.size()));
        } else {
            order = store.integer(a, field) < store.integer(b, field)
                        ? -1
                        : (store.integer(a, field) > store.integer(b, field) ? 1 : 0);
        }
        return descending ? order > 0 : order < 0;
    });
    return rows;
}

RowStore randomStore(int rows, quint32 seed)
{
    QRandomGenerator random(seed);
    RowStore store(schema());
    for (int r = 0; r < rows; ++r) {
        const int row = store.appendRow();
        store.setInteger(row, 0, r + 1);
        if (random.bounded(10) != 0)
            store.setText(row, 1, randomText(random));
        if (random.bounded(10) != 0)
            store.setInteger(row, 2, qint64(random.bounded(200)) - 100);
        if (random.bounded(10) != 0)
            store.setInteger(row, 3, qint64(random.generate64() % 20001) - 10000);
    }
    return store;
}

} // namespace

class TestColumnOrder : public QObject
{
    Q_OBJECT
private slots:
    void keysCompareAsTheCollation();
    void keysOfEachLetterAgainstEveryOther();
    void sameOrderAsComparingEachPair_data();
    void sameOrderAsComparingEachPair();
    void aCursorSortsAnewWhatChanged();
};

void TestColumnOrder::keysCompareAsTheCollation()
{
    QRandomGenerator random(20261209);
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (int i = 0; i < 100000; ++i) {
        const QByteArray a = randomText(random).toUtf8(), b = randomText(random).toUtf8();
        std::string ka(CollationKey::bytesAtMost(int(a.size())), '\0');
        std::string kb(CollationKey::bytesAtMost(int(b.size())), '\0');
        ka.resize(size_t(CollationKey::write(ka.data(), a.constData(), int(a.size())) - ka.data()));
        kb.resize(size_t(CollationKey::write(kb.data(), b.constData(), int(b.size())) - kb.data()));
        const int byKeys = sign(ka.compare(kb));
        const int byCollation =
            sign(Collation::compare(a.constData(), int(a.size()), b.constData(), int(b.size())));
        if (byKeys != byCollation)
            QFAIL(qPrintable(QStringLiteral("«%1» against «%2»: keys say %3, the collation %4")
                                 .arg(QString::fromUtf8(a), QString::fromUtf8(b))
                                 .arg(byKeys)
                                 .arg(byCollation)));
    }
}

// Every character of the Latin and Cyrillic blocks against every other, one
// by one: the keys' shortcut for the common letters must agree with the
// collation on all of them, the rare ones around them included.
void TestColumnOrder::keysOfEachLetterAgainstEveryOther()
{
    std::vector<QByteArray> texts;
    std::vector<std::string> keys;
    for (char32_t c = 0x20; c < 0x500; ++c) {
        if (c >= 0x7F && c < 0xA0)
            continue;
        texts.push_back(QString::fromUcs4(&c, 1).toUtf8());
        const QByteArray &text = texts.back();
        std::string key(CollationKey::bytesAtMost(int(text.size())), '\0');
        key.resize(size_t(CollationKey::write(key.data(), text.constData(), int(text.size())) -
                          key.data()));
        keys.push_back(key);
    }
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (size_t a = 0; a < texts.size(); ++a)
        for (size_t b = 0; b < texts.size(); ++b) {
            const QByteArray &x = texts[a], &y = texts[b];
            if (sign(keys[a].compare(keys[b])) !=
                sign(Collation::compare(x.constData(), int(x.size()), y.constData(), int(y.size()))))
                QFAIL(qPrintable(QStringLiteral("«%1» against «%2»")
                                     .arg(QString::fromUtf8(x), QString::fromUtf8(y))));
        }
}

void TestColumnOrder::sameOrderAsComparingEachPair_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("field");
    for (const int rows : {0, 1, 2000, 120000}) // the last one sorted on both cores
        for (const auto &[field, name] : {std::pair{1, "text"}, {2, "integer"}, {3, "amount"}})
            QTest::addRow("%d rows, %s", rows, name) << rows << field;
}

void TestColumnOrder::sameOrderAsComparingEachPair()
{
    QFETCH(int, rows);
    QFETCH(int, field);
    const RowStore store = randomStore(rows, quint32(rows * 31 + field));
    ColumnOrder orders(store);
    const FieldType type = schema().field(field).type;
    for (const bool descending : {false, true, false}) { // the last one from the kept order
        const std::vector<int> expected = byComparison(store, field, descending);
        const LargeArray<int> &sorted = orders.rows(field, type, descending);
        QVERIFY(std::equal(sorted.begin(), sorted.end(), expected.begin(), expected.end()));
    }
}

// The kept orders follow the snapshot: a changed value, a new row and a
// deleted row all show in the next sort.
void TestColumnOrder::aCursorSortsAnewWhatChanged()
{
    TestCatalogue catalogue;
    for (const char *name : {"Ремень", "Амортизатор", "Свеча", "Фильтр"}) {
        TestCatalogue::Goods g;
        g.tovName = QString::fromUtf8(name);
        catalogue.addGoods(g);
    }
    const std::unique_ptr<Store> store = catalogue.connect();
    Cursor goods(*store, CatalogueSchema::goods());
    goods.open();
    Field &name = goods.FieldByName(QStringLiteral("tovName"));
    const auto names = [&] {
        QStringList seen;
        for (goods.First(); !goods.Eof(); goods.Next())
            seen << name.AsString();
        return seen.join(QLatin1Char(' '));
    };
    goods.setSort(QStringLiteral("tovName"));
    QCOMPARE(names(), QStringLiteral("Амортизатор Ремень Свеча Фильтр"));

    QVERIFY(goods.Locate(QStringLiteral("tovName"), QStringLiteral("Свеча")));
    goods.Edit();
    name.setAsString(QStringLiteral("Аккумулятор"));
    goods.Post();
    goods.Append();
    name.setAsString(QStringLiteral("Бампер"));
    goods.Post();
    QVERIFY(goods.Locate(QStringLiteral("tovName"), QStringLiteral("Ремень")));
    goods.Delete();
    goods.setSort(QStringLiteral("tovName"));
    QCOMPARE(names(), QStringLiteral("Аккумулятор Амортизатор Бампер Фильтр"));
    goods.setSort(QStringLiteral("tovName DESC"));
    QCOMPARE(names(), QStringLiteral("Фильтр Бампер Амортизатор Аккумулятор"));
}

QTEST_GUILESS_MAIN(TestColumnOrder)
#include "tst_columnorder.moc"
