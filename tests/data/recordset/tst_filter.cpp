#include "CatalogueSchema.h"
#include "ErrorOf.h"
#include "TestCatalogue.h"
#include "recordset/Connection.h"
#include "recordset/Cursor.h"
#include "recordset/DataLink.h"
#include "recordset/DataSource.h"
#include "recordset/Error.h"

#include <QTest>
#include <memory>

using Keys = QList<qint64>;

namespace {

struct Row
{
    std::optional<int> cat, make, country;
    std::optional<QString> name, models;
    std::optional<int> counts;
    std::optional<qint64> price; // ten-thousandths
    std::optional<int> sklad;
};

// Each row misses the search on all eight criteria by one of them, unless it
// matches (rows 1 and 2); the later rows serve the single-criterion cases.
const Row kRows[] = {
    {3, 12, 2, "Фильтр масляный", "ВАЗ 2107", 10, 1000000, 1},    // 1 matches
    {3, 12, 2, "Фильтр воздушный", "2107", 4, 2505000, 1},        // 2 matches
    {3, 12, 2, "фильтр топливный", "Нива 21073", 11, 3000000, 1}, // 3 counts
    {3, 12, 2, "Фильтр салона", "ВАЗ 2107", 2, 999999, 1},        // 4 price
    {4, 12, 2, "Фильтр масляный", "ВАЗ 2107", 1, 1200000, 1},     // 5 category
    {3, 12, 2, "Фильтр масляный", "ВАЗ 2108", 1, 1200000, 1},     // 6 model
    {3, 12, 2, "Масляный фильтр", "ВАЗ 2107", 1, 1200000, 1},     // 7 name prefix
    {3, 12, 2, "Фильтр масляный", "ВАЗ 2107", 1, 1200000, 2},     // 8 warehouse
    {3, 11, 2, "Фильтр масляный", "ВАЗ 2107", 1, 1200000, 1},     // 9 make
    {3, 12, 3, "Фильтр масляный", "2117", 1, 1200000, 1},         // 10 country
    {1, 1, 1, "BOSCH свеча", "O'Neil", {}, {}, 3},                // 11
    {},                                                           // 12 all NULL
    {{}, {}, {}, "  Втулка", {}, {}, {}, {}},                     // 13
};

class Recorder : public DataLink
{
public:
    void dataEvent(const DataEvent &event) override { events.push_back(event.kind); }
    std::vector<DataEventKind> events;
};

} // namespace

class TestFilter : public QObject
{
    Q_OBJECT

private slots:
    // Every test runs on the file and on the server.
    void initTestCase_data() { TestCatalogue::addEngines(); }
    void init();
    void cleanupTestCase();

    void evaluate_data();
    void evaluate();
    void rejected_data();
    void rejected();

    void settingSameFilteredDoesNothing();
    void filterWhileOffIsOnlyStored();
    void rejectedSwitchOnLeavesItOff();
    void switchingOffShowsAllRows();
    void filterWhileOnAppliesAtOnce();
    void changingTheViewPostsPendingChange();

private:
    Keys visibleKeys();

    void build(TestCatalogue::Engine engine);

    std::unique_ptr<TestCatalogue> catalogue_;
    std::unique_ptr<Store> connection_;
    std::unique_ptr<Cursor> goods_;
};

void TestFilter::build(TestCatalogue::Engine engine)
{
    goods_.reset();
    connection_.reset();
    catalogue_.reset();
    catalogue_ = std::make_unique<TestCatalogue>(engine);
    for (const Row &r : kRows) {
        TestCatalogue::Goods g;
        g.catId = r.cat;
        g.autoType = r.make;
        g.countryId = r.country;
        g.tovName = r.name;
        g.models = r.models;
        g.counts = r.counts;
        g.price = r.price;
        g.numSklad = r.sklad;
        catalogue_->addGoods(g);
    }
    connection_ = catalogue_->connect();
    goods_ = std::make_unique<Cursor>(*connection_, CatalogueSchema::goods());
    goods_->open();
}

void TestFilter::init()
{
    SKIP_UNLESS_ENGINE_AVAILABLE();
    if (!catalogue_ || catalogue_->engine() != TestCatalogue::engineOfTest())
        build(TestCatalogue::engineOfTest());
    goods_->setFiltered(false);
    goods_->setFilter(QString());
    goods_->First();
}

void TestFilter::cleanupTestCase()
{
    goods_.reset();
    connection_.reset();
    catalogue_.reset();
}

Keys TestFilter::visibleKeys()
{
    Keys keys;
    for (goods_->First(); !goods_->Eof(); goods_->Next())
        keys << goods_->FieldByName("auto_id").AsInteger();
    return keys;
}

void TestFilter::evaluate_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<Keys>("expected");

    QTest::newRow("all eight criteria")
        << "cat_id='3' AND auto_type='12' AND country_id='2' AND tovName LIKE 'Фильтр%' AND "
           "price>='100' AND numSklad='1' AND counts<='10' AND models LIKE '%2107%'"
        << Keys{1, 2};
    QTest::newRow("prefix ignores cyrillic case")
        << "tovName LIKE 'фильтр%'" << Keys{1, 2, 3, 4, 5, 6, 8, 9, 10};
    QTest::newRow("prefix ignores latin case") << "tovName LIKE 'bosch%'" << Keys{11};
    QTest::newRow("leading blanks kept") << "tovName LIKE '  %'" << Keys{13};
    QTest::newRow("suffix") << "tovName LIKE '%ФИЛЬТР'" << Keys{7};
    QTest::newRow("contains") << "models LIKE '%2107%'" << Keys{1, 2, 3, 4, 5, 7, 8, 9};
    QTest::newRow("doubled quote") << "models LIKE '%O''Neil%'" << Keys{11};
    QTest::newRow("underscore is one character") << "models LIKE '21_7'" << Keys{2, 10};
    QTest::newRow("percent alone skips NULL")
        << "models LIKE '%'" << Keys{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    QTest::newRow("not equal skips NULL") << "counts<>'1'" << Keys{1, 2, 3, 4};
    QTest::newRow("less or equal") << "counts<='2'" << Keys{4, 5, 6, 7, 8, 9, 10};
    QTest::newRow("price below") << "price<'100'" << Keys{4};
    QTest::newRow("price with comma") << "price='250,5'" << Keys{2};
    QTest::newRow("price with point") << "price='250.50'" << Keys{2};
    QTest::newRow("greater") << "numSklad>'1'" << Keys{8, 11};
    QTest::newRow("greater or equal") << "price>='300'" << Keys{3};
    QTest::newRow("key") << "auto_id='2'" << Keys{2};
    QTest::newRow("text equality ignores case")
        << "tovName='фильтр МАСЛЯНЫЙ'" << Keys{1, 5, 6, 8, 9, 10};
    QTest::newRow("text order") << "tovName<'Г'" << Keys{11, 13};
    QTest::newRow("lower-case words") << "cat_id='4' and tovname like 'ф%'" << Keys{5};
    QTest::newRow("blanks around") << "  cat_id = '4'  " << Keys{5};
    QTest::newRow("contradiction") << "cat_id='3' AND cat_id='4'" << Keys{};
}

void TestFilter::evaluate()
{
    QFETCH(QString, filter);
    QFETCH(Keys, expected);

    goods_->setFilter(filter);
    goods_->setFiltered(true);
    QCOMPARE(visibleKeys(), expected);
    QCOMPARE(goods_->RecordCount(), expected.size());
}

void TestFilter::rejected_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("named"); // what the message must mention

    QTest::newRow("letters as price") << "price>='abc'" << QStringList{"price", "abc"};
    QTest::newRow("decimal comma as count") << "counts<='1,5'" << QStringList{"counts", "1,5"};
    QTest::newRow("decimal as key") << "cat_id='3.0'" << QStringList{"cat_id", "3.0"};
    QTest::newRow("number too long")
        << "counts='123456789012345678901'" << QStringList{"counts", "123456789012345678901"};
    QTest::newRow("unknown column") << "colour='red'" << QStringList{"colour"};
    QTest::newRow("lookup column") << "strCat='Фильтры'" << QStringList{"strCat"};
    QTest::newRow("apostrophe in value") << "models LIKE '%O'Neil%'" << QStringList{"models"};
    QTest::newRow("value without quotes") << "cat_id=3" << QStringList{"cat_id"};
    QTest::newRow("unclosed quote") << "tovName LIKE 'abc" << QStringList{"tovName"};
    QTest::newRow("no operator") << "cat_id '3'" << QStringList{"cat_id"};
    QTest::newRow("missing AND") << "cat_id='3' auto_type='12'" << QStringList{"cat_id"};
    QTest::newRow("trailing AND") << "cat_id='3' AND" << QStringList{"отбора"};
    QTest::newRow("LIKE on a number") << "price LIKE '1%'" << QStringList{"price"};
    QTest::newRow("photo") << "screenshots='x'" << QStringList{"screenshots"};
}

void TestFilter::rejected()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, named);

    goods_->setFilter(filter);
    const QString message = errorOf([&] { goods_->setFiltered(true); });
    QVERIFY2(!message.isNull(), "the filter was accepted");
    for (const QString &word : named)
        QVERIFY2(message.contains(word), qPrintable(message));
    QVERIFY2(message.contains(QRegularExpression("[а-яА-Я]")), qPrintable(message));
    QVERIFY(!goods_->Filtered());
    QCOMPARE(goods_->RecordCount(), int(std::size(kRows)));
}

void TestFilter::settingSameFilteredDoesNothing()
{
    goods_->Next();
    goods_->Next();
    Recorder recorder;
    DataSource source(goods_.get());
    recorder.setDataSource(&source);

    goods_->setFiltered(false);
    QCOMPARE(goods_->RecNo(), 3);
    QVERIFY(recorder.events.empty());

    goods_->setFilter("cat_id='3'");
    goods_->setFiltered(true);
    goods_->Next();
    recorder.events.clear();
    goods_->setFiltered(true);
    QCOMPARE(goods_->RecNo(), 2);
    QVERIFY(recorder.events.empty());
}

void TestFilter::filterWhileOffIsOnlyStored()
{
    goods_->Next();
    goods_->setFilter("this is not a filter '");
    QCOMPARE(goods_->Filter(), "this is not a filter '");
    QVERIFY(!goods_->Filtered());
    QCOMPARE(goods_->RecordCount(), int(std::size(kRows)));
    QCOMPARE(goods_->RecNo(), 2);
}

void TestFilter::rejectedSwitchOnLeavesItOff()
{
    goods_->setFilter("cat_id='4'");
    goods_->setFiltered(true);
    goods_->setFiltered(false);
    goods_->Next();
    goods_->Next();

    goods_->setFilter("price>='abc'");
    QVERIFY(!errorOf([&] { goods_->setFiltered(true); }).isNull());
    QVERIFY(!goods_->Filtered());
    QCOMPARE(goods_->Filter(), "price>='abc'");
    QCOMPARE(goods_->RecordCount(), int(std::size(kRows)));
    QCOMPARE(goods_->RecNo(), 3);
    // The next switch parses again and fails again.
    QVERIFY(!errorOf([&] { goods_->setFiltered(true); }).isNull());
}

void TestFilter::switchingOffShowsAllRows()
{
    goods_->setFilter("cat_id='3' AND counts='1'");
    goods_->setFiltered(true);
    QCOMPARE(visibleKeys(), (Keys{6, 7, 8, 9, 10}));
    goods_->First();
    goods_->Next();

    goods_->setFiltered(false);
    QCOMPARE(goods_->RecordCount(), int(std::size(kRows)));
    QCOMPARE(goods_->RecNo(), 1);
    QCOMPARE(goods_->FieldByName("auto_id").AsInteger(), 1);
    QCOMPARE(goods_->Filter(), "cat_id='3' AND counts='1'");
}

void TestFilter::filterWhileOnAppliesAtOnce()
{
    goods_->setFilter("cat_id='3'");
    goods_->setFiltered(true);
    goods_->Next();

    goods_->setFilter("numSklad>'1'");
    QCOMPARE(goods_->RecNo(), 1);
    QCOMPARE(goods_->RecordCount(), 2);
    QCOMPARE(goods_->FieldByName("auto_id").AsInteger(), 8);

    goods_->Next();
    goods_->setFilter("numSklad>'1'"); // the text in force: nothing happens
    QCOMPARE(goods_->RecNo(), 2);
    QVERIFY(!errorOf([&] { goods_->setFilter("numSklad>'x'"); }).isNull());
    QCOMPARE(goods_->Filter(), "numSklad>'1'");
    QVERIFY(goods_->Filtered());
    QCOMPARE(goods_->RecordCount(), 2);
    QCOMPARE(goods_->FieldByName("auto_id").AsInteger(), 11);
}

void TestFilter::changingTheViewPostsPendingChange()
{
    goods_->Locate("auto_id", 12);
    goods_->Edit();
    goods_->FieldByName("numSklad").setAsInteger(7);
    goods_->setFilter("numSklad='7'");
    goods_->setFiltered(true);
    QCOMPARE(goods_->State(), CursorState::Browse);
    QCOMPARE(visibleKeys(), Keys{12});
    QCOMPARE(catalogue_->query("SELECT numSklad FROM tovars WHERE auto_id = 12").toInt(), 7);

    // Undo, so that the other cases see the table as built.
    goods_->Edit();
    goods_->FieldByName("numSklad").Clear();
    goods_->Post();
}

QTEST_GUILESS_MAIN(TestFilter)
#include "tst_filter.moc"
