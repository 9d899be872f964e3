#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "TestCatalogue.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "ui/journal/JournalKeeper.h"
#include "ui/main/Unit_tr.h"

#include <QAction>

namespace {

// The keeper's "now": records of 2028 are more than a year old then, those
// of December 2029 are not.
const QDateTime Now(QDate(2030, 1, 1), QTime(12, 0));
constexpr int Old = 4500;
constexpr int Recent = 3;

} // namespace

// The journal's old records go in the background after start-up, a batch
// at a time, never while the user is in a modal window.
class TestJournalKeeper : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void oldRecordsGoABatchAtATime();
    void waitsWhileAModalWindowIsOpen();
    void aLockedCatalogueStopsItUntilTheNextStart();

private:
    int records() { return catalogue_->count("journal"); }
    void addRecords(int count, const QDateTime &at);

    std::unique_ptr<TestCatalogue> catalogue_;
    JournalKeeper *keeper_ = nullptr;
};

void TestJournalKeeper::init()
{
    catalogue_ = std::make_unique<TestCatalogue>();
    catalogue_->addGoods({1, {}, QStringLiteral("Фильтр"), {}, 1, {}, {}, {}, {}, {}});
    Startup::createComponents();
    Startup::showMainWindow();
    QVERIFY(DMAuto->hasJournal());
    catalogue_->query("PRAGMA synchronous = OFF"); // set-up speed only
    addRecords(Old, Now.addDays(-396));
    addRecords(Recent, Now.addDays(-31));
    QCOMPARE(records(), Old + Recent);
    keeper_ = frmMain->Keeper;
    keeper_->setClock([] { return Now; });
}

void TestJournalKeeper::cleanup()
{
    Startup::destroyComponents();
    catalogue_.reset();
}

void TestJournalKeeper::addRecords(int count, const QDateTime &at)
{
    catalogue_->query("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                      "INSERT INTO journal (op, at, road, computer, login, tbl, row_key, kind, "
                      "title, changes) SELECT 0, ?, 'other', 'касса', 'olga', 'tovars', 1, 2, "
                      "'Фильтр', '{\"counts\":[1,2]}' FROM n",
                      {count, at.toMSecsSinceEpoch()});
}

void TestJournalKeeper::oldRecordsGoABatchAtATime()
{
    // One batch, then held: the first tick removed exactly one batch.
    int allowed = 1;
    keeper_->setHold([&allowed] { return allowed-- <= 0; });
    keeper_->start();
    QTRY_COMPARE(records(), Old + Recent - JournalKeeper::Batch);
    QTest::qWait(3 * JournalKeeper::TickMs);
    QCOMPARE(records(), Old + Recent - JournalKeeper::Batch);
    QVERIFY(keeper_->isRunning());

    keeper_->setHold({});
    QTRY_VERIFY(!keeper_->isRunning());
    QCOMPARE(records(), Recent);
    QCOMPARE(keeper_->removed(), Old);
    QCOMPARE(catalogue_->count("tovars"), 1);
}

void TestJournalKeeper::waitsWhileAModalWindowIsOpen()
{
    int whileOpen = 0;
    ModalAnswers answers;
    answers.handle([&](QWidget *box) {
        keeper_->start();
        QTest::qWait(5 * JournalKeeper::TickMs);
        whileOpen = records();
        box->close();
    });
    frmMain->N1->trigger(); // «О программе»
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(whileOpen, Old + Recent);
    QTRY_VERIFY(!keeper_->isRunning());
    QCOMPARE(records(), Recent);
}

void TestJournalKeeper::aLockedCatalogueStopsItUntilTheNextStart()
{
    // Another program holds the write lock: the keeper gives up quietly.
    catalogue_->query("BEGIN IMMEDIATE");
    keeper_->start();
    QTRY_VERIFY_WITH_TIMEOUT(!keeper_->isRunning(), 15000);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(records(), Old + Recent);
    catalogue_->query("COMMIT");

    QTest::qWait(5 * JournalKeeper::TickMs);
    QCOMPARE(records(), Old + Recent);
    keeper_->start();
    QTRY_VERIFY(!keeper_->isRunning());
    QCOMPARE(records(), Recent);
}

AUTOPARTS_GUI_TEST_MAIN(TestJournalKeeper)
#include "tst_journalkeeper.moc"
