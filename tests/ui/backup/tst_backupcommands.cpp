#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "TestCatalogue.h"

#include "CatalogueSchema.h"
#include "UnitDM.h"
#include "app/Startup.h"
#include "backup/BackupCheck.h"
#include "backup/BackupCopy.h"
#include "backup/BackupFolder.h"
#include "recordset/Connection.h"
#include "recordset/Statement.h"
#include "ui/backup/BackupService.h"
#include "ui/backup/RestoreDialog.h"
#include "ui/main/Unit_tr.h"
#include "ui/widgets/DBGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>

// The menu "Сервис" through the real windows: a copy on request, a restore
// and its undoing, refused copies, and the daily copy over several days.
class TestBackupCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void serviceMenuStandsBeforeHelp();
    void copyThenRestoreThenUndo();
    void noToTheQuestionGoesBackToTheList();
    void unusableCopyIsRefused_data();
    void unusableCopyIsRefused();
    void dailyCopyOverSeveralDays();
    void aCatalogueOnAServerIsNotCopied();

private:
    // Runs "Восстановить из копии…", picks the copy in `row` and says Yes;
    // returns the texts of the question and of the closing message.
    QStringList restoreRow(int row);
    int shownRows() const { return frmMain->gridAuto->model()->rowCount(); }

    std::unique_ptr<TestCatalogue> catalogue_;
    std::unique_ptr<BackupFolder> folder_;
};

void TestBackupCommands::init()
{
    catalogue_ = std::make_unique<TestCatalogue>();
    for (int i = 1; i <= 5; ++i)
        catalogue_->addGoods(
            {i, {}, QStringLiteral("Деталь %1").arg(i), {}, i, {}, {}, {}, {}, {}});
    folder_ = std::make_unique<BackupFolder>(catalogue_->path());
    Startup::createComponents();
    Startup::showMainWindow();
}

void TestBackupCommands::cleanup()
{
    Startup::destroyComponents();
    folder_.reset();
    catalogue_.reset();
}

void TestBackupCommands::serviceMenuStandsBeforeHelp()
{
    QStringList menus;
    for (QAction *menu : frmMain->MainMenu1->actions())
        menus << menu->text();
    QCOMPARE(menus,
             (QStringList{"Запчасти", "Справочники", "Печать", "Сортировка", "Сервис", "Справка"}));
    QStringList items;
    for (QAction *item : frmMain->mnuService->actions())
        items << (item->isSeparator() ? QStringLiteral("—") : item->text());
    QCOMPARE(items, (QStringList{"Сохранить найденные в таблицу…", "Загрузить прайс-лист…", "—",
                                 "Сделать резервную копию", "Восстановить из копии…", "—",
                                 "Журнал изменений…", "История запчасти", "—",
                                 "Печать этикеток…", "Найти по коду…"}));
}

QStringList TestBackupCommands::restoreRow(int row)
{
    QStringList told;
    ModalAnswers answers;
    answers.handle([&](QWidget *window) {
        auto *dialog = qobject_cast<RestoreDialog *>(window);
        QVERIFY(dialog);
        dialog->list->selectRow(row);
        QTest::mouseClick(dialog->btnRestore, Qt::LeftButton);
    });
    answers.press(QMessageBox::Yes);
    answers.press(QMessageBox::Ok);
    frmMain->mnuRestore->trigger();
    [&] { QVERIFY(answers.waitAllAnswered(20000)); }();
    for (const ModalAnswers::Box &box : answers.boxes())
        told << box.text;
    return told;
}

void TestBackupCommands::copyThenRestoreThenUndo()
{
    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    frmMain->mnuBackup->trigger();
    QVERIFY(answers.waitAllAnswered());
    const std::vector<BackupFolder::Entry> made = folder_->entries();
    QCOMPARE(made.size(), size_t(1));
    QCOMPARE(made[0].kind, BackupFolder::Kind::Manual);
    QVERIFY2(answers.boxes()[0].text.contains(QDir::toNativeSeparators(made[0].path)),
             qPrintable(answers.boxes()[0].text));

    // Two rows go, and the user searches and sorts.
    DMAuto->tblAuto.Delete();
    DMAuto->tblAuto.Delete();
    frmMain->editTovName->setText(QStringLiteral("Деталь"));
    QTest::mouseClick(frmMain->Button1, Qt::LeftButton);
    frmMain->N6->trigger();
    frmMain->mnuOrderDesc->trigger();
    QCOMPARE(shownRows(), 3);

    // The list shows the copy with what it holds.
    ModalAnswers look;
    look.handle([&](QWidget *window) {
        auto *dialog = qobject_cast<RestoreDialog *>(window);
        QVERIFY(dialog);
        QCOMPARE(dialog->list->rowCount(), 1);
        QCOMPARE(dialog->list->item(0, 0)->text(), RestoreDialog::dateText(made[0]));
        QCOMPARE(dialog->list->item(0, 2)->text(), QStringLiteral("5"));
        QCOMPARE(dialog->list->item(0, 3)->text(), QStringLiteral("сделана вручную"));
        dialog->reject();
    });
    frmMain->mnuRestore->trigger();
    QVERIFY(look.waitAllAnswered());
    QCOMPARE(catalogue_->count("tovars"), 3);

    const QStringList told = restoreRow(0);
    QCOMPARE(told.size(), 2);
    QVERIFY2(told[0].contains(RestoreDialog::dateText(made[0])), qPrintable(told[0]));
    QVERIFY2(told[1].startsWith(QStringLiteral("Каталог восстановлен")), qPrintable(told[1]));
    QCOMPARE(catalogue_->count("tovars"), 5);
    QCOMPARE(shownRows(), 5);
    // As at start: no search, sorted by code.
    QVERIFY(!DMAuto->tblAuto.Filtered());
    QVERIFY(frmMain->editTovName->text().isEmpty());
    QCOMPARE(DMAuto->tblAuto.Sort(), QStringLiteral("auto_id"));
    QVERIFY(frmMain->mnuOrderAsc->isChecked());
    QCOMPARE(frmMain->gridAuto->model()->index(0, 0).data().toString(), QStringLiteral("1"));

    // The replaced catalogue was kept, and restoring it undoes the restore.
    const std::vector<BackupFolder::Entry> now = folder_->entries();
    QCOMPARE(now.size(), size_t(2));
    QCOMPARE(now[0].kind, BackupFolder::Kind::BeforeRestore);
    QCOMPARE(BackupCheck::goodsIn(now[0].path, true), 3);
    restoreRow(0);
    QCOMPARE(catalogue_->count("tovars"), 3);
    QCOMPARE(shownRows(), 3);
    QCOMPARE(folder_->entries().size(), size_t(3));
}

void TestBackupCommands::noToTheQuestionGoesBackToTheList()
{
    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    frmMain->mnuBackup->trigger();
    QVERIFY(answers.waitAllAnswered());
    DMAuto->tblAuto.Delete();

    bool openAfterNo = false;
    ModalAnswers restore;
    restore.handle([&](QWidget *window) {
        auto *dialog = qobject_cast<RestoreDialog *>(window);
        QVERIFY(dialog);
        dialog->list->selectRow(0);
        QTest::mouseClick(dialog->btnRestore, Qt::LeftButton); // «Нет»
        openAfterNo = dialog->isVisible() && dialog->list->currentRow() == 0;
        QTest::mouseClick(dialog->btnRestore, Qt::LeftButton); // then «Да»
    });
    restore.press(QMessageBox::No);
    restore.press(QMessageBox::Yes);
    restore.press(QMessageBox::Ok);
    frmMain->mnuRestore->trigger();
    QVERIFY(restore.waitAllAnswered(20000));
    QVERIFY(openAfterNo);
    QCOMPARE(restore.boxes().size(), 3);
    QVERIFY2(restore.boxes()[2].text.startsWith(QStringLiteral("Каталог восстановлен")),
             qPrintable(restore.boxes()[2].text));
    QCOMPARE(catalogue_->count("tovars"), 5);
}

void TestBackupCommands::unusableCopyIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("random bytes") << "random";
    QTest::newRow("a database, but no catalogue") << "foreign";
    QTest::newRow("a copy cut short") << "cut";
}

void TestBackupCommands::unusableCopyIsRefused()
{
    QFETCH(QString, kind);
    folder_->create();
    const QString copy = folder_->dailyCopy(QDate(2026, 12, 1));
    if (kind == QLatin1String("foreign")) {
        CatalogueSchema::create(copy);
        Connection foreign(copy);
        foreign.open();
        Statement(foreign, "DROP TABLE autotype").step();
    } else {
        BackupCopy::make(catalogue_->path(), copy);
        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadWrite));
        if (kind == QLatin1String("cut")) {
            file.resize(file.size() / 2);
        } else {
            file.write(QByteArray(4096, '\x5a'));
        }
    }
    ModalAnswers answers;
    answers.handle([&](QWidget *window) {
        auto *dialog = qobject_cast<RestoreDialog *>(window);
        QVERIFY(dialog);
        if (kind != QLatin1String("cut")) // a cut copy may still read its first pages
            QCOMPARE(dialog->list->item(0, 2)->text(), QStringLiteral("повреждена"));
        QTest::mouseClick(dialog->btnRestore, Qt::LeftButton);
    });
    answers.press(QMessageBox::Ok);
    frmMain->mnuRestore->trigger();
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().size(), 1); // no question: refused at once
    QCOMPARE(answers.boxes()[0].icon, QMessageBox::Critical);
    QVERIFY2(answers.boxes()[0].text.contains(QStringLiteral("не годится для восстановления")),
             qPrintable(answers.boxes()[0].text));
    QCOMPARE(folder_->entries().size(), size_t(1)); // nothing kept, nothing changed
    QCOMPARE(catalogue_->count("tovars"), 5);
    QCOMPARE(shownRows(), 5);
}

void TestBackupCommands::dailyCopyOverSeveralDays()
{
    BackupService &service = *frmMain->Backups;
    QDateTime now(QDate(2026, 11, 1), QTime(9, 0));
    service.setClock([&now] { return now; });
    const auto startOfDay = [&] {
        QSignalSpy ended(&service, &BackupService::dailyEnded);
        service.scheduleDaily();
        return ended.wait(3000);
    };
    QVERIFY(startOfDay());
    QVERIFY(folder_->hasDailyCopy(now.date()));
    now = now.addSecs(3600);
    QVERIFY(!startOfDay()); // one a day: the second start of the day copies nothing
    QCOMPARE(folder_->entries().size(), size_t(1));
    now = now.addDays(1);
    QVERIFY(startOfDay());
    QCOMPARE(folder_->entries().size(), size_t(2));
    // Six weeks later: the 2nd of November is past the 14 days and not the
    // first copy of its month, so it goes; the 1st stays.
    now = now.addDays(41);
    QVERIFY(startOfDay());
    QVERIFY(folder_->hasDailyCopy(QDate(2026, 11, 1)));
    QVERIFY(!folder_->hasDailyCopy(QDate(2026, 11, 2)));
    QVERIFY(folder_->hasDailyCopy(now.date()));
}

// The copies are of the file: on a server, both commands explain why they do
// nothing, and no daily copy is attempted.
void TestBackupCommands::aCatalogueOnAServerIsNotCopied()
{
    if (!TestCatalogue::serverAvailable())
        QSKIP("AUTOPARTS_TEST_SERVER is not set: there is no server to test against");
    Startup::destroyComponents();
    {
        TestCatalogue server(TestCatalogue::Engine::Server);
        server.addGoods({1, {}, QStringLiteral("Деталь"), {}, 1, {}, {}, {}, {}, {}});
        Startup::createComponents();
        Startup::showMainWindow();
        QVERIFY(DMAuto->isOpen());
        frmMain->Backups->scheduleDaily();
        QTest::qWait(200);
        QVERIFY(!frmMain->Backups->isRunning());

        ModalAnswers answers;
        answers.press(QMessageBox::Ok);
        answers.press(QMessageBox::Ok);
        frmMain->mnuBackup->trigger();
        frmMain->mnuRestore->trigger();
        QVERIFY(answers.waitAllAnswered());
        QCOMPARE(answers.boxes().size(), 2);
        for (const ModalAnswers::Box &box : answers.boxes())
            QVERIFY2(box.text.contains(QStringLiteral("pg_dump")), qPrintable(box.text));
        QVERIFY(!QDir(server.folder()).exists(QStringLiteral("db-backups")));
        Startup::destroyComponents();
    }
    Startup::createComponents(); // cleanup() destroys them again
}

AUTOPARTS_GUI_TEST_MAIN(TestBackupCommands)
#include "tst_backupcommands.moc"
