#include "CatalogueSchema.h"
#include "TestCatalogue.h"
#include "recordset/Connection.h"
#include "recordset/Cursor.h"
#include "recordset/Error.h"

#include <QTest>
#include <memory>

using Keys = QList<qint64>;

namespace {

struct Row
{
    std::optional<QString> name;
    std::optional<qint64> price;
    std::optional<int> counts;
};

// Names that exercise the alphabet (Ё, case, digits, Latin) with one pair
// equal but for case; prices and counts with ties and NULLs.
const Row kRows[] = {
    {"яблоко", 1000000, 5}, // 1
    {"Ёлка", 500000, 5},    // 2
    {"ель", 500000, {}},    // 3
    {"Жук", 2000000, 1},    // 4
    {"10 шт", {}, 5},       // 5
    {"abc", 500000, 9},     // 6
    {{}, 1000000, 1},       // 7
    {"ЕЛЬ", -100, 5},       // 8
};

} // namespace

class TestSort : public QObject
{
    Q_OBJECT

private slots:
    // Every test runs on the file and on the server.
    void initTestCase_data() { TestCatalogue::addEngines(); }
    void init();
    void cleanupTestCase();

    void order_data();
    void order();
    void currentRowKept();
    void sortKeepsFilterAndFilterKeepsSort();
    void badSortText_data();
    void badSortText();
    void sortNeedsOpenCursor();

private:
    Keys visibleKeys();

    void build(TestCatalogue::Engine engine);

    std::unique_ptr<TestCatalogue> catalogue_;
    std::unique_ptr<Store> connection_;
    std::unique_ptr<Cursor> goods_;
};

void TestSort::build(TestCatalogue::Engine engine)
{
    goods_.reset();
    connection_.reset();
    catalogue_.reset();
    catalogue_ = std::make_unique<TestCatalogue>(engine);
    for (const Row &r : kRows) {
        TestCatalogue::Goods g;
        g.tovName = r.name;
        g.price = r.price;
        g.counts = r.counts;
        catalogue_->addGoods(g);
    }
    connection_ = catalogue_->connect();
    goods_ = std::make_unique<Cursor>(*connection_, CatalogueSchema::goods());
    goods_->open();
}

void TestSort::init()
{
    SKIP_UNLESS_ENGINE_AVAILABLE();
    if (!catalogue_ || catalogue_->engine() != TestCatalogue::engineOfTest())
        build(TestCatalogue::engineOfTest());
    goods_->setFiltered(false);
    goods_->setSort(QString());
}

void TestSort::cleanupTestCase()
{
    goods_.reset();
    connection_.reset();
    catalogue_.reset();
}

Keys TestSort::visibleKeys()
{
    Keys keys;
    for (goods_->First(); !goods_->Eof(); goods_->Next())
        keys << goods_->FieldByName("auto_id").AsInteger();
    return keys;
}

void TestSort::order_data()
{
    QTest::addColumn<QString>("sort");
    QTest::addColumn<Keys>("expected");

    QTest::newRow("no sort") << "" << Keys{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("name") << "tovName" << Keys{7, 5, 6, 3, 8, 2, 4, 1};
    QTest::newRow("name ASC") << "tovName ASC" << Keys{7, 5, 6, 3, 8, 2, 4, 1};
    QTest::newRow("name DESC") << "tovName DESC" << Keys{1, 4, 2, 3, 8, 6, 5, 7};
    QTest::newRow("lower-case suffix") << "tovname desc" << Keys{1, 4, 2, 3, 8, 6, 5, 7};
    QTest::newRow("price") << "price" << Keys{5, 8, 2, 3, 6, 1, 7, 4};
    QTest::newRow("price DESC") << "price DESC" << Keys{4, 1, 7, 2, 3, 6, 8, 5};
    QTest::newRow("counts") << "counts" << Keys{3, 4, 7, 1, 2, 5, 8, 6};
    QTest::newRow("counts DESC") << "counts DESC" << Keys{6, 1, 2, 5, 8, 4, 7, 3};
    QTest::newRow("key DESC") << "auto_id DESC" << Keys{8, 7, 6, 5, 4, 3, 2, 1};
    QTest::newRow("extra blanks") << "  price   DESC " << Keys{4, 1, 7, 2, 3, 6, 8, 5};
}

void TestSort::order()
{
    QFETCH(QString, sort);
    QFETCH(Keys, expected);

    goods_->setSort("auto_id DESC"); // the result must not depend on the order before
    goods_->setSort(sort);
    QCOMPARE(visibleKeys(), expected);
    QCOMPARE(goods_->Sort(), sort);
}

void TestSort::currentRowKept()
{
    QVERIFY(goods_->Locate("auto_id", 3));
    goods_->setSort("tovName");
    QCOMPARE(goods_->FieldByName("auto_id").AsInteger(), 3);
    QCOMPARE(goods_->RecNo(), 4);
    goods_->setSort("tovName DESC");
    QCOMPARE(goods_->FieldByName("auto_id").AsInteger(), 3);
    QCOMPARE(goods_->RecNo(), 4);
    goods_->setSort("price");
    QCOMPARE(goods_->FieldByName("auto_id").AsInteger(), 3);
    QCOMPARE(goods_->RecNo(), 4);
}

void TestSort::sortKeepsFilterAndFilterKeepsSort()
{
    goods_->setFilter("counts='5'");
    goods_->setFiltered(true);
    goods_->setSort("tovName DESC");
    QCOMPARE(visibleKeys(), (Keys{1, 2, 8, 5}));

    goods_->setFiltered(false);
    goods_->setFilter("price>='50'");
    goods_->setFiltered(true);
    QCOMPARE(goods_->Sort(), "tovName DESC");
    QCOMPARE(visibleKeys(), (Keys{1, 4, 2, 3, 6, 7}));
    goods_->setFilter("price<'50'");
    QCOMPARE(visibleKeys(), (Keys{8}));
}

void TestSort::badSortText_data()
{
    QTest::addColumn<QString>("sort"); // the message must quote it

    QTest::newRow("unknown column") << QStringLiteral("colour");
    QTest::newRow("unknown order") << QStringLiteral("price DOWN");
    QTest::newRow("three words") << QStringLiteral("price ASC tovName");
    QTest::newRow("photo") << QStringLiteral("screenshots");
    QTest::newRow("filter syntax") << QStringLiteral("price>'1'");
}

void TestSort::badSortText()
{
    QFETCH(QString, sort);

    goods_->setSort("price DESC");
    QVERIFY(goods_->Locate("auto_id", 2));
    try {
        goods_->setSort(sort);
        QFAIL("the sort text was accepted");
    } catch (const Error &error) {
        QVERIFY2(error.message().contains(sort), qPrintable(error.message()));
    }
    QCOMPARE(goods_->Sort(), "price DESC");
    QCOMPARE(goods_->FieldByName("auto_id").AsInteger(), 2);
    QCOMPARE(visibleKeys(), (Keys{4, 1, 7, 2, 3, 6, 8, 5}));
}

void TestSort::sortNeedsOpenCursor()
{
    Cursor closed(*connection_, CatalogueSchema::goods());
    QVERIFY_THROWS_EXCEPTION(Error, closed.setSort("auto_id"));
}

QTEST_GUILESS_MAIN(TestSort)
#include "tst_sort.moc"
