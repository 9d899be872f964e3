#include "CatalogueSchema.h"
#include "TestCatalogue.h"
#include "labels/PartCode.h"
#include "recordset/Cursor.h"
#include "scan/PartLookup.h"

#include <QTest>
#include <memory>

using Match = PartLookup::Match;
using Keys = QList<qint64>;
using Matches = QList<int>;

namespace {

// A catalogue whose goods have these article codes (null: none), keys 1..n,
// and a cursor over it.
struct Fixture
{
    explicit Fixture(const QList<std::optional<QString>> &articles)
    {
        catalogue.query("PRAGMA synchronous = OFF"); // set-up speed only
        for (const std::optional<QString> &article : articles) {
            TestCatalogue::Goods g;
            g.tovName = QStringLiteral("Деталь");
            g.codeTov = article;
            catalogue.addGoods(g);
        }
        goods = std::make_unique<Cursor>(*connection, CatalogueSchema::goods());
        goods->open();
    }

    std::vector<PartLookup::Found> find(const QString &code) const
    {
        return PartLookup::find(*goods, code);
    }

    TestCatalogue catalogue;
    std::unique_ptr<Store> connection = catalogue.connect();
    std::unique_ptr<Cursor> goods;
};

Keys keysOf(const std::vector<PartLookup::Found> &found)
{
    Keys keys;
    for (const PartLookup::Found &f : found)
        keys << f.key;
    return keys;
}

Matches matchesOf(const std::vector<PartLookup::Found> &found)
{
    Matches matches;
    for (const PartLookup::Found &f : found)
        matches << int(f.match);
    return matches;
}

} // namespace

class TestPartLookup : public QObject
{
    Q_OBJECT
private slots:
    void codes_data();
    void codes();
    void partsHiddenByTheSearchAreFound();
    void deletedAndChangedParts();
};

void TestPartLookup::codes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<Keys>("keys");
    QTest::addColumn<Matches>("matches");
    const int article = int(Match::Article);
    const int folded = int(Match::ArticleIgnoringCase);
    const int barcode = int(Match::StoreBarcode);

    // Goods 1..8, see codes().
    QTest::newRow("article") << "AB-12" << Keys{2, 1} << Matches{article, folded};
    QTest::newRow("other case: every variant, table order")
        << "aB-12" << Keys{1, 2} << Matches{folded, folded};
    QTest::newRow("inner spaces are part of it") << "0 986 452 041" << Keys{3} << Matches{article};
    QTest::newRow("spaces round the scan") << "  0 986 452 041\t" << Keys{3} << Matches{article};
    QTest::newRow("spaces round the stored article") << "XZ9" << Keys{4} << Matches{article};
    QTest::newRow("Cyrillic, other case") << "кп-5" << Keys{5} << Matches{folded};
    QTest::newRow("typed in the Russian layout")
        << "ФИ-12" << Keys{2, 1} << Matches{article, folded};
    QTest::newRow("Russian layout with Caps Lock") << "чя9" << Keys{4} << Matches{folded};
    QTest::newRow("a Cyrillic article is taken as it is") << "КП-5" << Keys{5} << Matches{article};
    QTest::newRow("a prefix is not the article") << "AB-1" << Keys{} << Matches{};
    QTest::newRow("a longer code is not the article") << "AB-123" << Keys{} << Matches{};
    QTest::newRow("unknown") << "NOPE" << Keys{} << Matches{};
    QTest::newRow("blank") << "   " << Keys{} << Matches{};
    QTest::newRow("in-store EAN-13 of a part without article")
        << PartCode::storeEan(6) << Keys{6} << Matches{barcode};
    QTest::newRow("EAN-13 of a part that has an article finds it too")
        << PartCode::storeEan(1) << Keys{1} << Matches{barcode};
    QTest::newRow("an article that reads as an EAN-13 wins")
        << PartCode::storeEan(2) << Keys{8} << Matches{article};
    QTest::newRow("EAN-13 with a wrong check digit")
        << PartCode::storeEan(6).left(12) +
               QString::number((PartCode::storeEan(6).back().digitValue() + 1) % 10)
        << Keys{} << Matches{};
    QTest::newRow("EAN-13 of no part") << PartCode::storeEan(99) << Keys{} << Matches{};
    QTest::newRow("EAN-13 not in store") << "4006381333931" << Keys{} << Matches{};
}

void TestPartLookup::codes()
{
    QFETCH(QString, code);
    QFETCH(Keys, keys);
    QFETCH(Matches, matches);
    const Fixture f({QStringLiteral("ab-12"), QStringLiteral("AB-12"),
                     QStringLiteral("0 986 452 041"), QStringLiteral("  XZ9 "),
                     QStringLiteral("КП-5"), std::nullopt, QString(), PartCode::storeEan(2)});
    const auto found = f.find(code);
    QCOMPARE(keysOf(found), keys);
    QCOMPARE(matchesOf(found), matches);
}

void TestPartLookup::partsHiddenByTheSearchAreFound()
{
    Fixture f({QStringLiteral("A-100"), QStringLiteral("B-200"), std::nullopt});
    f.goods->setFilter(QStringLiteral("auto_id='1'"));
    f.goods->setFiltered(true);
    QCOMPARE(f.goods->RecordCount(), 1);
    QCOMPARE(keysOf(f.find(QStringLiteral("B-200"))), Keys{2});
    QCOMPARE(keysOf(f.find(PartCode::storeEan(3))), Keys{3});
    // The search is left as it was.
    QCOMPARE(f.goods->RecordCount(), 1);
    QCOMPARE(f.goods->FieldByName(QStringLiteral("auto_id")).AsInteger(), 1);
}

void TestPartLookup::deletedAndChangedParts()
{
    Fixture f({QStringLiteral("A-100"), QStringLiteral("B-200")});
    QVERIFY(f.goods->Locate(QStringLiteral("auto_id"), 1));
    f.goods->Delete();
    QCOMPARE(keysOf(f.find(QStringLiteral("A-100"))), Keys{});
    QCOMPARE(keysOf(f.find(PartCode::storeEan(1))), Keys{});

    // A posted article is found by its new code at once, not by its old one.
    QVERIFY(f.goods->Locate(QStringLiteral("auto_id"), 2));
    f.goods->Edit();
    f.goods->FieldByName(QStringLiteral("codeTov")).setAsString(QStringLiteral("C-300"));
    f.goods->Post();
    QCOMPARE(keysOf(f.find(QStringLiteral("C-300"))), Keys{2});
    QCOMPARE(keysOf(f.find(QStringLiteral("B-200"))), Keys{});
}

QTEST_GUILESS_MAIN(TestPartLookup)
#include "tst_partlookup.moc"
