#include "ChurnSchedule.h"
#include "FullDisk.h"
#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "Peer.h"
#include "ReadOnlyFile.h"
#include "TestCatalogue.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "backup/BackupCopy.h"
#include "backup/BackupFolder.h"
#include "recordset/Error.h"
#include "ui/backup/BackupService.h"
#include "ui/main/Unit_tr.h"

#include <QDir>
#include <QSignalSpy>

namespace {

// Goods rows of generation `g` and up, as the churning writer writes them;
// their photos are no pictures, so no window is opened over them.
void addChurnRows(TestCatalogue &catalogue, int rows, qint64 g)
{
    catalogue.query("BEGIN");
    for (int i = 0; i < rows; ++i, ++g)
        catalogue.addGoods(ChurnSchedule::row(g));
    catalogue.query("COMMIT");
}

void addPlainRows(TestCatalogue &catalogue, int rows)
{
    for (int i = 1; i <= rows; ++i)
        catalogue.addGoods({i, {}, QStringLiteral("Деталь %1").arg(i), {}, i, {}, {}, {}, {}, {}});
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

// Copies of the catalogue under a second program, a full disk, a folder that
// cannot be written or made, and modal windows.
class TestBackups : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { FullDisk::install(); }
    void cleanup();

    void copiesWhileAnotherProgramWrites();
    void copyOnAFullDisk_data();
    void copyOnAFullDisk();
    void dailyCopyThatCannotBeMade_data();
    void dailyCopyThatCannotBeMade();
    void folderOfCopiesThatCannotBeMade_data();
    void folderOfCopiesThatCannotBeMade();
    void noCopyWhileAModalWindowIsOpen();
};

void TestBackups::cleanup()
{
    FullDisk::room = -1;
    Startup::destroyComponents();
}

void TestBackups::copiesWhileAnotherProgramWrites()
{
    TestCatalogue catalogue;
    addChurnRows(catalogue, 400, 1); // a few megabytes: a copy takes several steps
    Peer writer({QStringLiteral("churn"), QStringLiteral("1000000")});
    QVERIFY(writer.waitForLine(QStringLiteral("ready")));

    const BackupFolder folder(catalogue.path());
    folder.create();
    for (int i = 0; i < 5; ++i) {
        const QString copy = folder.manualCopy(QDateTime(QDate(2026, 12, 9), QTime(12, 0, i)));
        BackupCopy::make(catalogue.path(), copy);
        std::map<qint64, qint64> rows;
        const QString problem = ChurnSchedule::readBack(copy, rows);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY(rows.size() >= 400);
    }
    QCOMPARE(writer.process.state(), QProcess::Running);
    QVERIFY(catalogue.count("tovars") > 400); // it wrote all along
    QCOMPARE(filesIn(folder.path()).size(), 5);
}

void TestBackups::copyOnAFullDisk_data()
{
    QTest::addColumn<qint64>("room");
    QTest::newRow("no room at all") << qint64(0);
    QTest::newRow("room for a few pages") << qint64(16 * 1024);
    QTest::newRow("room for most of it") << qint64(200 * 1024);
}

void TestBackups::copyOnAFullDisk()
{
    QFETCH(qint64, room);
    TestCatalogue catalogue;
    addChurnRows(catalogue, 60, 1);
    const BackupFolder folder(catalogue.path());
    folder.create();
    const QString copy = folder.dailyCopy(QDate(2026, 12, 9));
    FullDisk::room = room;
    QString message;
    try {
        BackupCopy::make(catalogue.path(), copy);
    } catch (const Error &error) {
        message = error.message();
    }
    FullDisk::room = -1;
    QVERIFY2(message.contains(QStringLiteral("на диске не хватает места")), qPrintable(message));
    QVERIFY(filesIn(folder.path()).isEmpty()); // no half copy, no journal
    BackupCopy::make(catalogue.path(), copy);  // with room again
    QCOMPARE(filesIn(folder.path()), QStringList{QFileInfo(copy).fileName()});
}

void TestBackups::dailyCopyThatCannotBeMade_data()
{
    QTest::addColumn<bool>("fullDisk"); // else: the folder of copies cannot be written
    QTest::newRow("full disk") << true;
    QTest::newRow("read-only folder of copies") << false;
}

void TestBackups::dailyCopyThatCannotBeMade()
{
    QFETCH(bool, fullDisk);
    TestCatalogue catalogue;
    addPlainRows(catalogue, 30);
    const BackupFolder folder(catalogue.path());
    folder.create();
    std::unique_ptr<ReadOnlyFile> readOnly;
    if (!fullDisk) {
        readOnly = std::make_unique<ReadOnlyFile>(folder.path());
        if (!readOnly->effective())
            QSKIP("this machine cannot make a folder read-only for this user");
    }
    Startup::createComponents();
    Startup::showMainWindow();
    QVERIFY(DMAuto->tblAuto.CanModify());
    if (fullDisk)
        FullDisk::room = 8 * 1024;

    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    QSignalSpy ended(frmMain->Backups, &BackupService::dailyEnded);
    frmMain->Backups->scheduleDaily();
    QVERIFY(ended.wait(10000));
    QVERIFY(answers.waitAllAnswered());
    FullDisk::room = -1;

    QCOMPARE(answers.boxes().size(), 1);
    const QString text = answers.boxes()[0].text;
    QVERIFY2(text.startsWith(QStringLiteral("Не удалось сделать резервную копию каталога")),
             qPrintable(text));
    QVERIFY2(text.contains(fullDisk ? QStringLiteral("на диске не хватает места")
                                    : QStringLiteral("нельзя записывать")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Работа с каталогом продолжается")), qPrintable(text));
    QCOMPARE(answers.boxes()[0].caption, QStringLiteral("Сообщение"));
    QCOMPARE(answers.boxes()[0].icon, QMessageBox::Information);
    readOnly.reset();
    QVERIFY(filesIn(folder.path()).isEmpty());
    // Work goes on: the window shows the goods and takes a change.
    QCOMPARE(DMAuto->tblAuto.RecordCount(), 30);
    DMAuto->tblAuto.Edit();
    DMAuto->tblAutocounts.setAsInteger(7);
    DMAuto->tblAuto.Post();
    QCOMPARE(catalogue.query("SELECT counts FROM tovars WHERE auto_id = 1").toInt(), 7);
}

void TestBackups::folderOfCopiesThatCannotBeMade_data()
{
    QTest::addColumn<bool>("fileInTheWay"); // else: the catalogue's folder cannot be written
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("dailyTried");
    QTest::newRow("a file named db-backups")
        << true
        << QStringLiteral("на её месте стоит файл с тем же именем. Переименуйте или уберите этот "
                          "файл.")
        << true;
    // A catalogue that cannot be written gets no daily copy at all.
    QTest::newRow("read-only folder of the catalogue")
        << false << QStringLiteral("в папку каталога нельзя записывать.") << false;
}

void TestBackups::folderOfCopiesThatCannotBeMade()
{
    QFETCH(bool, fileInTheWay);
    QFETCH(QString, reason);
    QFETCH(bool, dailyTried);
    TestCatalogue catalogue;
    addPlainRows(catalogue, 3);
    const BackupFolder folder(catalogue.path());
    std::unique_ptr<ReadOnlyFile> readOnly;
    if (fileInTheWay) {
        QFile file(folder.path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("notes");
    } else {
        readOnly = std::make_unique<ReadOnlyFile>(catalogue.folder());
        if (!readOnly->effective())
            QSKIP("this machine cannot make a folder read-only for this user");
    }
    Startup::createComponents();
    Startup::showMainWindow();
    const QString cannot = QStringLiteral("Не удаётся создать папку «%1»: %2")
                               .arg(QDir::toNativeSeparators(folder.path()), reason);

    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    answers.press(QMessageBox::Ok); // for the daily copy's, or for one that should not come
    frmMain->mnuBackup->trigger();
    QTRY_COMPARE(answers.boxes().size(), 1);
    QCOMPARE(answers.boxes()[0].icon, QMessageBox::Critical);
    QCOMPARE(answers.boxes()[0].text, cannot);

    QSignalSpy ended(frmMain->Backups, &BackupService::dailyEnded);
    frmMain->Backups->scheduleDaily();
    if (dailyTried) {
        QVERIFY(ended.wait(10000));
        QVERIFY(answers.waitAllAnswered());
        QCOMPARE(answers.boxes().size(), 2);
        QCOMPARE(answers.boxes()[1].icon, QMessageBox::Information);
        QCOMPARE(answers.boxes()[1].text,
                 cannot + QStringLiteral(" Работа с каталогом продолжается; копия будет сделана "
                                         "при следующем запуске программы."));
    } else {
        QTest::qWait(300);
        QCOMPARE(ended.count(), 0);
        QCOMPARE(answers.boxes().size(), 1);
    }
    QVERIFY(!QFileInfo(folder.path()).isDir());
}

void TestBackups::noCopyWhileAModalWindowIsOpen()
{
    TestCatalogue catalogue;
    addPlainRows(catalogue, 10);
    Startup::createComponents();
    Startup::showMainWindow();
    const BackupFolder folder(catalogue.path());
    const QString today = folder.dailyCopy(QDate::currentDate());
    QSignalSpy ended(frmMain->Backups, &BackupService::dailyEnded);

    ModalAnswers answers;
    answers.handle([&](QWidget *box) {
        frmMain->Backups->scheduleDaily();
        QTest::qWait(500);
        QVERIFY(!frmMain->Backups->isRunning());
        QVERIFY(!QFileInfo::exists(today));
        box->close();
    });
    frmMain->N1->trigger(); // the About box
    QVERIFY(answers.waitAllAnswered());
    QVERIFY(ended.wait(10000));
    QVERIFY(QFileInfo::exists(today));
}

AUTOPARTS_GUI_TEST_MAIN(TestBackups)
#include "tst_backups.moc"
