#include "CatalogueSchema.h"
#include "ErrorOf.h"
#include "FullDisk.h"
#include "JetTestCatalogue.h"
#include "TestCatalogue.h"
#include "jet/JetCatalogue.h"
#include "jet/JetSignature.h"
#include "recordset/Connection.h"
#include "recordset/Cursor.h"

#include <QDir>
#include <QFile>

#include <QTemporaryDir>
#include <QTest>

namespace {

QString contents(TestCatalogue &catalogue)
{
    return catalogue
        .query("SELECT group_concat(auto_id || '|' || ifnull(tovName, '') || '|' || "
               "ifnull(counts, '') || '|' || ifnull(hex(screenshots), ''), ';') FROM tovars")
        .toString();
}

} // namespace

// The disk fills up while a post is written, at every point of the write in
// turn: each time the post fails with a message that says so, keeps what was
// typed and leaves the file as it was; with room again, the same post goes in.
class TestDiskFull : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { FullDisk::install(); }
    void postOnAFillingDisk_data();
    void postOnAFillingDisk();
    void conversionOnAFillingDisk();
};

// A shop's Jet catalogue converted in place while the disk fills up, at
// points through the whole new file: each time the conversion is refused
// for want of space, the Jet file stays as it was and nothing else is left.
void TestDiskFull::conversionOnAFillingDisk()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("db.mdb"));
    JetTestWriter::writeFile(catalogue, JetTestCatalogue::generated(300, 20, 9000, 3));
    QFile file(catalogue);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    file.close();
    int refused = 0;
    for (qint64 room = 0;; room += 16384) {
        FullDisk::room = room;
        const QString message = errorOf([&] { JetCatalogue::replace(catalogue, nullptr); });
        FullDisk::room = -1;
        if (message.isNull())
            break;
        ++refused;
        QVERIFY2(message.contains(QStringLiteral("на диске не хватает места")),
                 qPrintable(QStringLiteral("room %1: %2").arg(room).arg(message)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), original);
        file.close();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"db.mdb"});
        QVERIFY2(room < 10000000, "the conversion never went in");
    }
    QVERIFY(refused > 5);
    QCOMPARE(JetSignature::ofFile(catalogue), JetSignature::Kind::Other);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestDiskFull::postOnAFillingDisk_data()
{
    QTest::addColumn<bool>("inserting");
    QTest::newRow("a changed row") << false;
    QTest::newRow("a new row") << true;
}

void TestDiskFull::postOnAFillingDisk()
{
    QFETCH(bool, inserting);
    TestCatalogue catalogue;
    for (const char *name : {"Фильтр", "Свеча", "Ремень"}) {
        TestCatalogue::Goods g;
        g.tovName = QString::fromUtf8(name);
        g.screenshots = QByteArray(3000, 'x');
        catalogue.addGoods(g);
    }
    const QString before = contents(catalogue);

    Connection connection(QStringLiteral("db.mdb"));
    Cursor goods(connection, CatalogueSchema::goods());
    goods.open();
    if (inserting) {
        goods.Append();
    } else {
        QVERIFY(goods.Locate("auto_id", 2));
        goods.Edit();
    }
    const QByteArray photo(20000, 'p'); // the file has to grow by several pages
    goods.FieldByName("tovName").setAsString("Новое имя");
    goods.FieldByName("counts").setAsInteger(7);
    goods.FieldByName("screenshots").setAsBytes(photo);

    int refused = 0;
    for (qint64 room = 0;; room += 256) {
        FullDisk::room = room;
        const QString message = errorOf([&] { goods.Post(); });
        FullDisk::room = -1;
        if (message.isNull())
            break;
        ++refused;
        QVERIFY2(message.contains(QStringLiteral("не хватает места")),
                 qPrintable(QStringLiteral("room %1: %2").arg(room).arg(message)));
        QCOMPARE(goods.State(), inserting ? CursorState::Insert : CursorState::Edit);
        QCOMPARE(goods.FieldByName("tovName").AsString(), QStringLiteral("Новое имя"));
        QCOMPARE(goods.FieldByName("screenshots").AsBytes(), photo);
        QCOMPARE(catalogue.query("PRAGMA integrity_check").toString(), QStringLiteral("ok"));
        QCOMPARE(contents(catalogue), before);
        QVERIFY2(room < 1000000, "the post never went in");
    }
    qInfo("%d disk-full points refused before the post went in", refused);
    QVERIFY(refused > 10);
    QCOMPARE(goods.State(), CursorState::Browse);
    QCOMPARE(catalogue.query("PRAGMA integrity_check").toString(), QStringLiteral("ok"));
    const qint64 key = inserting ? 4 : 2;
    QCOMPARE(catalogue.query("SELECT tovName FROM tovars WHERE auto_id = ?", {key}).toString(),
             QStringLiteral("Новое имя"));
    QCOMPARE(
        catalogue.query("SELECT screenshots FROM tovars WHERE auto_id = ?", {key}).toByteArray(),
        photo);
    QCOMPARE(catalogue.count("tovars"), inserting ? 4 : 3);
}

QTEST_GUILESS_MAIN(TestDiskFull)
#include "tst_diskfull.moc"
