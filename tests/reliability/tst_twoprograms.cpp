#include "CatalogueSchema.h"
#include "ErrorOf.h"
#include "Peer.h"
#include "EngineTest.h"
#include "TestCatalogue.h"
#include "UnitDM.h"
#include "recordset/Connection.h"
#include "recordset/Cursor.h"

#include <QElapsedTimer>
#include <QTest>

// Two programs on one db.mdb, each a process with its own record-set layer.
class TestTwoPrograms : public EngineTest
{
    Q_OBJECT

private slots:
    void writersOfDifferentRowsBothStoreEveryPost();
    void startUpUnderAnotherProgramsLock_data();
    void startUpUnderAnotherProgramsLock();
};

void TestTwoPrograms::writersOfDifferentRowsBothStoreEveryPost()
{
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    TestCatalogue::Goods g;
    g.tovName = QStringLiteral("Наш");
    const qint64 ours = catalogue.addGoods(g);
    g.tovName = QStringLiteral("Их");
    const qint64 theirs = catalogue.addGoods(g);

    const std::unique_ptr<Store> connection = catalogue.connect();
    Cursor goods(*connection, CatalogueSchema::goods());
    goods.open();
    QVERIFY(goods.Locate("auto_id", ours));

    // Both write at once, 5 ms apart: a post that meets the other's has to
    // wait for it, never fail.
    constexpr int TheirPosts = 150;
    Peer peer({QStringLiteral("posts"), QString::number(theirs), QString::number(TheirPosts)});
    int posts = 0;
    while (posts < 50 || peer.process.state() != QProcess::NotRunning) {
        goods.Edit();
        goods.FieldByName("counts").setAsInteger(++posts);
        goods.Post();
        QTest::qWait(5);
    }
    QCOMPARE(peer.lastLine(), QStringLiteral("ok"));
    QCOMPARE(peer.process.exitCode(), 0);

    QCOMPARE(catalogue.query("SELECT counts FROM tovars WHERE auto_id = ?", {ours}).toInt(), posts);
    QCOMPARE(catalogue.query("SELECT counts FROM tovars WHERE auto_id = ?", {theirs}).toInt(),
             TheirPosts);
    goods.Refresh();
    QVERIFY(goods.Locate("auto_id", theirs));
    QCOMPARE(goods.FieldByName("counts").AsInteger(), TheirPosts);
}

void TestTwoPrograms::startUpUnderAnotherProgramsLock_data()
{
    QTest::addColumn<int>("holdMs"); // 0: until the start has ended
    QTest::addColumn<int>("reports");
    QTest::newRow("a lock for a moment: the start waits for it") << 1000 << 0;
    QTest::newRow("a lock held throughout: six reports, one wait") << 0 << 6;
}

void TestTwoPrograms::startUpUnderAnotherProgramsLock()
{
    QFETCH(int, holdMs);
    QFETCH(int, reports);
    if (TestCatalogue::engineOfTest() == TestCatalogue::Engine::Server)
        QSKIP("the server has no lock on the whole catalogue");
    TestCatalogue catalogue;
    catalogue.addCategory(QStringLiteral("Фильтры"));

    Peer lock({QStringLiteral("lock"), QString::number(holdMs)});
    QVERIFY(lock.waitForLine(QStringLiteral("locked")));
    QStringList seen;
    QElapsedTimer timer;
    timer.start();
    {
        TDMAuto dm([&](const std::exception &e) { seen << QString::fromUtf8(e.what()); });
        const qint64 took = timer.elapsed();
        QCOMPARE(seen.size(), reports);
        for (const QString &report : seen)
            QVERIFY2(report.contains(QStringLiteral("занята другой программой")),
                     qPrintable(report));
        QCOMPARE(dm.tblCategory.isOpen(), reports == 0);
        if (reports == 0) {
            QCOMPARE(dm.tblCategorycatName.AsString(), QStringLiteral("Фильтры"));
        } else {
            // One full wait for the connection, none for the cursors after it.
            QVERIFY2(took < Connection::BusyTimeoutMs * 2, qPrintable(QString::number(took)));
        }
    }
    lock.release();
}

QTEST_GUILESS_MAIN(TestTwoPrograms)
#include "tst_twoprograms.moc"
