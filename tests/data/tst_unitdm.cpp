#include "CurrentFolder.h"
#include "ErrorOf.h"
#include "EngineTest.h"
#include "TestCatalogue.h"
#include "UnitDM.h"
#include "recordset/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

// The data module over the current folder's catalogue, collecting what it
// reports instead of showing it.
struct Module
{
    Module()
        : dm([this](const std::exception &error) { reports << QString::fromUtf8(error.what()); })
    {}

    QStringList reports;
    TDMAuto dm;
};

// Makes `path` the current folder for its life, as the program finds its catalogue there.
QStringList walk(Cursor &cursor, const QString &column)
{
    QStringList values;
    for (cursor.First(); !cursor.Eof(); cursor.Next())
        values << cursor.FieldByName(column).AsString();
    return values;
}

// The three reference kinds, as the goods row and the data module name them.
struct Reference
{
    Cursor TDMAuto::*cursor;
    const char *keyColumn;  // in the goods and the reference table
    const char *nameColumn; // in the reference table
    const char *lookup;     // in the goods cursor
    const char *table;
};

const Reference kReferences[] = {
    {&TDMAuto::tblCategory, "cat_id", "catName", "strCat", "category"},
    {&TDMAuto::tblMarka, "auto_type", "name", "strMarka", "autotype"},
    {&TDMAuto::tblCountry, "country_id", "country", "strCountry", "country"},
};

qint64 addReference(TestCatalogue &catalogue, int kind, const QString &name)
{
    switch (kind) {
    case 0:
        return catalogue.addCategory(name);
    case 1:
        return catalogue.addMake(name);
    default:
        return catalogue.addCountry(name);
    }
}

} // namespace

class TestUnitDM : public EngineTest
{
    Q_OBJECT

private slots:
    void opensAndSortsReferences();
    void insertDefaultsFromCurrentReferences();
    void insertDefaultsFromEmptyReferences_data();
    void insertDefaultsFromEmptyReferences();
    void lookup_data();
    void lookup();
    void lookupNeverMovesReference();
    void lookupFollowsReferenceChanges();
    void countryCursorsAreSeparateSnapshots();
    void duplicateReferenceName_data();
    void duplicateReferenceName();
    void startupWithoutCatalogue_data();
    void startupWithoutCatalogue();
};

void TestUnitDM::opensAndSortsReferences()
{
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    for (const char *name : {"Фильтры", "амортизаторы", "Ёмкости", "Двигатель", "Жидкости"})
        catalogue.addCategory(name);
    for (const char *name : {"ВАЗ", "Audi", "ГАЗ"})
        catalogue.addMake(name);
    for (const char *name : {"Россия", "Германия", "Япония"})
        catalogue.addCountry(name);
    catalogue.addGoods({});

    Module m;
    QVERIFY2(m.reports.isEmpty(), qPrintable(m.reports.join('\n')));
    for (Cursor *c : {&m.dm.tblCountry, &m.dm.tblCategory, &m.dm.tblAuto, &m.dm.tblMarka,
                      &m.dm.tblCountryList}) {
        QCOMPARE(c->State(), CursorState::Browse);
        QVERIFY(c->CanModify());
    }
    // The sort keeps the row that was current after opening: the table's first.
    QCOMPARE(m.dm.tblCategorycatName.AsString(), "Фильтры");
    QCOMPARE(m.dm.tblCategory.RecNo(), 5);
    QCOMPARE(walk(m.dm.tblCategory, "catName"),
             (QStringList{"амортизаторы", "Двигатель", "Ёмкости", "Жидкости", "Фильтры"}));
    QCOMPARE(walk(m.dm.tblMarka, "name"), (QStringList{"Audi", "ВАЗ", "ГАЗ"}));
    QCOMPARE(walk(m.dm.tblCountry, "country"), (QStringList{"Германия", "Россия", "Япония"}));
    QCOMPARE(walk(m.dm.tblCountryList, "country"), (QStringList{"Россия", "Германия", "Япония"}));
    QCOMPARE(m.dm.tblAuto.RecordCount(), 1);
}

void TestUnitDM::insertDefaultsFromCurrentReferences()
{
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    catalogue.addCategory("Фильтры");
    const qint64 lastCategory = catalogue.addCategory("Щётки");
    catalogue.addCategory("Амортизаторы");
    catalogue.addMake("ВАЗ");
    const qint64 make = catalogue.addMake("ГАЗ");
    catalogue.addCountry("Россия"); // current in every country cursor after opening
    const qint64 country = catalogue.addCountry("Германия");
    Module m;

    // As a search list leaves it: walked to the last row in name order.
    for (m.dm.tblCategory.First(); !m.dm.tblCategory.Eof();)
        m.dm.tblCategory.Next();
    QVERIFY(m.dm.tblMarka.Locate("auto_type", make));
    QVERIFY(m.dm.tblCountry.Locate("country_id", country));

    m.dm.tblAuto.Append();
    QVERIFY(m.dm.tblAuto.Modified());
    QCOMPARE(m.dm.tblAutocat_id.AsInteger(), lastCategory);
    QCOMPARE(m.dm.tblAutoauto_type.AsInteger(), make);
    QCOMPARE(m.dm.tblAutocountry_id.AsInteger(), country);
    QCOMPARE(m.dm.tblAutostrCat.DisplayText(), "Щётки");
    QCOMPARE(m.dm.tblAutostrMarka.DisplayText(), "ГАЗ");
    QCOMPARE(m.dm.tblAutostrCountry.DisplayText(), "Германия");
    QVERIFY(m.dm.tblAutotovName.IsNull());
    QVERIFY(m.dm.tblAutoprice.IsNull());

    m.dm.tblAuto.Post();
    QCOMPARE(catalogue.query("SELECT cat_id FROM tovars").toLongLong(), lastCategory);
    QCOMPARE(catalogue.query("SELECT auto_type FROM tovars").toLongLong(), make);
    QCOMPARE(catalogue.query("SELECT country_id FROM tovars").toLongLong(), country);
    QCOMPARE(catalogue.query("SELECT count(*) FROM tovars WHERE price IS NULL").toInt(), 1);
}

void TestUnitDM::insertDefaultsFromEmptyReferences_data()
{
    QTest::addColumn<int>("emptyKind"); // index into kReferences, or -1 for all

    QTest::newRow("no categories") << 0;
    QTest::newRow("no makes") << 1;
    QTest::newRow("no countries") << 2;
    QTest::newRow("nothing") << -1;
}

void TestUnitDM::insertDefaultsFromEmptyReferences()
{
    QFETCH(int, emptyKind);

    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    qint64 keys[3] = {0, 0, 0};
    for (int kind = 0; kind < 3; ++kind)
        if (emptyKind >= 0 && kind != emptyKind)
            keys[kind] = addReference(catalogue, kind, QStringLiteral("Имя %1").arg(kind));
    Module m;
    m.dm.tblAuto.Append();
    m.dm.tblAuto.Post();

    for (int kind = 0; kind < 3; ++kind) {
        const Reference &r = kReferences[kind];
        // Stored as an integer, not as text; the server's column holds nothing else.
        const QByteArray sql =
            catalogue.onServer()
                ? QByteArray("SELECT 'integer:' || ") + r.keyColumn + " FROM tovars"
                : QByteArray("SELECT typeof(") + r.keyColumn + ") || ':' || " + r.keyColumn +
                      " FROM tovars";
        QCOMPARE(catalogue.query(sql.constData()).toString(),
                 QStringLiteral("integer:%1").arg(keys[kind]));
        QCOMPARE(m.dm.tblAuto.FieldByName(r.lookup).DisplayText().isEmpty(), keys[kind] == 0);
    }
}

void TestUnitDM::lookup_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QVariant>("key"); // -1: the reference row's own key
    QTest::addColumn<QString>("expected");

    const QString longName = QStringLiteral("Амортизаторы и стойки передней подвески"); // 39
    for (int kind = 0; kind < 3; ++kind) {
        const QByteArray lookup = kReferences[kind].lookup;
        QTest::newRow(lookup + " matched") << kind << QVariant(-1) << longName.left(20);
        QTest::newRow(lookup + " unmatched") << kind << QVariant(999) << "";
        QTest::newRow(lookup + " zero") << kind << QVariant(0) << "";
        QTest::newRow(lookup + " NULL") << kind << QVariant() << "";
    }
}

void TestUnitDM::lookup()
{
    QFETCH(int, kind);
    QFETCH(QVariant, key);
    QFETCH(QString, expected);

    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    const QString longName = QStringLiteral("Амортизаторы и стойки передней подвески");
    const qint64 own = addReference(catalogue, kind, longName);
    const QByteArray sql =
        QByteArray("INSERT INTO tovars (") + kReferences[kind].keyColumn + ") VALUES (?)";
    catalogue.query(sql.constData(), {key == QVariant(-1) ? QVariant(own) : key});
    Module m;

    Field &lookup = m.dm.tblAuto.FieldByName(kReferences[kind].lookup);
    QVERIFY(lookup.isLookup());
    QCOMPARE(lookup.DisplayText(), expected);
    QCOMPARE(lookup.AsString(), expected);
    QCOMPARE(m.dm.tblAuto.displayTextAt(0, lookup.index()), expected);

    // A reference cursor that is not open yields nothing.
    (m.dm.*kReferences[kind].cursor).close();
    QCOMPARE(lookup.DisplayText(), "");
}

void TestUnitDM::lookupNeverMovesReference()
{
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    const qint64 a = catalogue.addCategory("Б-категория");
    const qint64 b = catalogue.addCategory("А-категория");
    const qint64 c = catalogue.addCategory("В-категория");
    for (const qint64 key : {a, b, c, a}) {
        TestCatalogue::Goods g;
        g.catId = int(key);
        catalogue.addGoods(g);
    }
    Module m;
    QVERIFY(m.dm.tblCategory.Locate("cat_id", c));
    QStringList seen;
    for (m.dm.tblAuto.First(); !m.dm.tblAuto.Eof(); m.dm.tblAuto.Next())
        seen << m.dm.tblAutostrCat.DisplayText();
    for (int row = 0; row < m.dm.tblAuto.displayRowCount(); ++row)
        m.dm.tblAuto.displayTextAt(row, m.dm.tblAutostrCat.index());

    QCOMPARE(seen, (QStringList{"Б-категория", "А-категория", "В-категория", "Б-категория"}));
    QCOMPARE(m.dm.tblCategory.RecNo(), 3);
    QCOMPARE(m.dm.tblCategorycat_id.AsInteger(), c);
}

void TestUnitDM::lookupFollowsReferenceChanges()
{
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    const qint64 key = catalogue.addCategory("Старое");
    catalogue.addCategory("Другое");
    TestCatalogue::Goods g;
    g.catId = int(key);
    catalogue.addGoods(g);
    Module m;

    QVERIFY(m.dm.tblCategory.Locate("cat_id", key));
    m.dm.tblCategory.Edit();
    m.dm.tblCategorycatName.setAsString("Новое название категории");
    QCOMPARE(m.dm.tblAutostrCat.DisplayText(), "Старое"); // not posted yet
    m.dm.tblCategory.Post();
    QCOMPARE(m.dm.tblAutostrCat.DisplayText(), "Новое название катег");

    // A deleted reference leaves the key in the goods row and an empty name.
    QVERIFY(m.dm.tblCategory.Locate("cat_id", key));
    m.dm.tblCategory.Delete();
    QCOMPARE(m.dm.tblAutostrCat.DisplayText(), "");
    QCOMPARE(m.dm.tblAutocat_id.AsInteger(), key);
}

void TestUnitDM::countryCursorsAreSeparateSnapshots()
{
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    const qint64 germany = catalogue.addCountry("Германия");
    Module m;

    m.dm.tblCountry.Append();
    m.dm.tblCountrycountry.setAsString("Италия");
    m.dm.tblCountry.Post();
    QVERIFY(m.dm.tblCountry.Locate("country_id", germany));
    m.dm.tblCountry.Edit();
    m.dm.tblCountrycountry.setAsString("ФРГ");
    m.dm.tblCountry.Post();

    QCOMPARE(walk(m.dm.tblCountryList, "country"), QStringList{"Германия"});
    m.dm.tblCountryList.Refresh();
    QCOMPARE(walk(m.dm.tblCountryList, "country"), QStringList{"ФРГ"});
    m.dm.tblCountryList.close();
    m.dm.tblCountryList.open();
    QCOMPARE(walk(m.dm.tblCountryList, "country"), (QStringList{"ФРГ", "Италия"}));
}

void TestUnitDM::duplicateReferenceName_data()
{
    QTest::addColumn<int>("kind");
    for (int kind = 0; kind < 3; ++kind)
        QTest::newRow(kReferences[kind].table) << kind;
}

void TestUnitDM::duplicateReferenceName()
{
    QFETCH(int, kind);
    const Reference &r = kReferences[kind];

    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    addReference(catalogue, kind, "Первое");
    addReference(catalogue, kind, "Второе");
    Module m;
    Cursor &cursor = m.dm.*r.cursor;
    Field &name = cursor.FieldByName(r.nameColumn);
    const auto names = [&] {
        const QByteArray sql =
            catalogue.onServer()
                ? QByteArray("SELECT string_agg(") + r.nameColumn + ", '|' ORDER BY " +
                      r.keyColumn + ") FROM " + r.table
                : QByteArray("SELECT group_concat(") + r.nameColumn + ", '|') FROM " + r.table;
        return catalogue.query(sql.constData()).toString();
    };
    // The same words from either store.
    const QString refusal = QStringLiteral("В таблице «%1» уже есть запись с таким же значением "
                                           "поля «%2»")
                                .arg(QLatin1String(r.table), QLatin1String(r.nameColumn));

    cursor.Append();
    name.setAsString("Первое");
    QCOMPARE(errorOf([&] { cursor.Post(); }), refusal);
    QCOMPARE(cursor.State(), CursorState::Insert);
    QCOMPARE(names(), "Первое|Второе");
    QCOMPARE(cursor.RecordCount(), 2);
    name.setAsString("Третье");
    cursor.Post();
    QCOMPARE(names(), "Первое|Второе|Третье");

    QVERIFY(cursor.Locate(r.nameColumn, "Второе"));
    cursor.Edit();
    name.setAsString("Третье");
    QCOMPARE(errorOf([&] { cursor.Post(); }), refusal);
    QCOMPARE(cursor.State(), CursorState::Edit);
    QCOMPARE(names(), "Первое|Второе|Третье");
}

void TestUnitDM::startupWithoutCatalogue_data()
{
    QTest::addColumn<QByteArray>("content"); // of db.mdb; null: no file

    QTest::newRow("no file") << QByteArray();
    QTest::newRow("empty file") << QByteArray("");
    QTest::newRow("not a database") << QByteArray("Прайс-лист запчастей, не база данных\n");
}

void TestUnitDM::startupWithoutCatalogue()
{
    QFETCH(QByteArray, content);
    if (TestCatalogue::engineOfTest() == TestCatalogue::Engine::Server)
        QSKIP("a server that refuses at start-up: tst_serverstore");

    QTemporaryDir folder;
    const CurrentFolder inFolder(folder.path());
    if (!content.isNull()) {
        QFile file("db.mdb");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    {
        Module m;
        QCOMPARE(m.reports.size(), 6);
        for (const QString &report : m.reports)
            QVERIFY2(report.contains("db.mdb"), qPrintable(report));
        for (Cursor *c : {&m.dm.tblCountry, &m.dm.tblCategory, &m.dm.tblAuto, &m.dm.tblMarka,
                          &m.dm.tblCountryList})
            QCOMPARE(c->State(), CursorState::Inactive);

        QVERIFY(!errorOf([&] { m.dm.tblAuto.setSort("auto_id"); }).isNull());
        QVERIFY(!errorOf([&] { m.dm.tblAuto.Append(); }).isNull());
        QVERIFY(!errorOf([&] { m.dm.tblCategory.First(); }).isNull());
        QVERIFY(!errorOf([&] { m.dm.tblMarka.RecordCount(); }).isNull());
        QVERIFY(!errorOf([&] { m.dm.tblCountrycountry.setAsString("Россия"); }).isNull());
        QCOMPARE(m.dm.tblAutostrCat.DisplayText(), "");
    }
    QCOMPARE(QFileInfo("db.mdb").exists(), !content.isNull());
    if (!content.isNull()) {
        QFile file("db.mdb");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
    }
}

QTEST_GUILESS_MAIN(TestUnitDM)
#include "tst_unitdm.moc"
