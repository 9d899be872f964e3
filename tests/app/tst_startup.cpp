#include "CurrentFolder.h"
#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "ReadOnlyFile.h"
#include "TestCatalogue.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "gui/MessageBoxes.h"
#include "ui/backup/BackupService.h"
#include "ui/goods/Unit_editTovars.h"
#include "ui/main/Unit_tr.h"
#include "ui/reference/Unit_Category.h"
#include "ui/reference/Unit_category_edit.h"
#include "ui/reference/Unit_country.h"
#include "ui/reference/Unit_country_edit.h"
#include "ui/reference/Unit_marka.h"
#include "ui/reference/Unit_marka_edit.h"
#include "ui/widgets/DBGrid.h"
#include "ui/widgets/DBImage.h"

#include <QSignalSpy>
#include <QTemporaryDir>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Startup::destroyComponents(); }

    void errorBoxRules_data();
    void errorBoxRules();
    void withoutCatalogueReportsEachFailureThenShowsTheWindow();
    void notADatabaseIsReportedAndLeftUntouched();
    void createsEveryWindowAndShowsTheGoods();
    void readOnlyCatalogueIsToldOnceAfterTheWindow_data();
    void readOnlyCatalogueIsToldOnceAfterTheWindow();
};

void TestStartup::errorBoxRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("a full stop is added") << "Нет файла" << "Нет файла.";
    QTest::newRow("ending in a full stop") << "Готово." << "Готово.";
    QTest::newRow("exclamation sorts before the stop") << "Ошибка!" << "Ошибка!";
    QTest::newRow("bracket sorts before the stop") << "(код 5)" << "(код 5)";
    QTest::newRow("closing quote sorts after the stop") << "файл «db.mdb»" << "файл «db.mdb».";
    QTest::newRow("empty") << "" << "";
}

void TestStartup::errorBoxRules()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(MessageBoxes::withFullStop(text), shown);
    // The title is the executable's name up to its first dot, capitalised.
    QCOMPARE(MessageBoxes::applicationTitle(), QStringLiteral("Tst_startup"));
}

void TestStartup::withoutCatalogueReportsEachFailureThenShowsTheWindow()
{
    QTemporaryDir empty;
    ModalAnswers answers;
    for (int i = 0; i < 7; ++i)
        answers.press(QMessageBox::Ok);
    {
        CurrentFolder folder(empty.path());
        Startup::createComponents();
        QCOMPARE(answers.boxes().size(), 6); // the connection, then each of the five cursors
        Startup::showMainWindow();
    }

    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().size(), 7); // and the first sort, on the closed goods cursor
    for (int i = 0; i < 6; ++i) {
        const ModalAnswers::Box &box = answers.boxes()[i];
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.caption, QStringLiteral("Tst_startup"));
        QVERIFY2(box.text.contains(QStringLiteral("«db.mdb» не найден")), qPrintable(box.text));
        QVERIFY(box.text.endsWith(QLatin1Char('.')));
    }
    QVERIFY2(answers.boxes()[6].text.contains(QStringLiteral("«tovars» не открыта")),
             qPrintable(answers.boxes()[6].text));
    QVERIFY(frmMain->isVisible());
    QCOMPARE(frmMain->gridAuto->model()->rowCount(), 0);
    QVERIFY(frmMain->DBImage1->picture().isNull());
    QVERIFY(frmTovarEdit && frmCategory && frmCountryEdit);
}

void TestStartup::notADatabaseIsReportedAndLeftUntouched()
{
    QTemporaryDir folder;
    const QByteArray junk("This is a letter to the supplier, not a catalogue.\n");
    QFile file(folder.filePath(QStringLiteral("db.mdb")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(junk.repeated(200));
    file.close();

    ModalAnswers answers;
    for (int i = 0; i < 6; ++i)
        answers.press(QMessageBox::Ok);
    {
        CurrentFolder current(folder.path());
        Startup::createComponents();
    }

    QCOMPARE(answers.boxes().size(), 6);
    QVERIFY2(answers.boxes()[0].text.contains(QStringLiteral("не является базой данных")),
             qPrintable(answers.boxes()[0].text));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), junk.repeated(200));
}

void TestStartup::createsEveryWindowAndShowsTheGoods()
{
    TestCatalogue catalogue;
    const qint64 category = catalogue.addCategory(QStringLiteral("Фильтры"));
    catalogue.addGoods({1, int(category), QStringLiteral("Фильтр воздушный"), {}, 3, {}, {}, {}, {}, {}});
    catalogue.addGoods({2, 99, QStringLiteral("Свеча"), {}, 4, {}, {}, {}, {}, {}});

    ModalAnswers answers; // none expected
    Startup::createComponents();
    Startup::showMainWindow();
    QCOMPARE(answers.boxes().size(), 0);

    QCOMPARE(frmMain->windowTitle(), QStringLiteral("Программа для учета автомобильных запчастей v1.0"));
    for (QDialog *window : std::initializer_list<QDialog *>{frmCategory, frmCatEdit, frmCountry,
                                                            frmMarka, frmMarkaEdit,
                                                            frmCountryEdit, frmTovarEdit}) {
        QVERIFY(window);
        QVERIFY(!window->isVisible());
    }
    QCOMPARE(frmCatEdit->windowTitle(), QStringLiteral("Редактирвоание категории"));
    QCOMPARE(frmTovarEdit->windowTitle(), QStringLiteral("Редактирование товара"));

    const QAbstractItemModel *model = frmMain->gridAuto->model();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("Фильтры"));
    QCOMPARE(model->index(1, 1).data().toString(), QString()); // key 99 matches no category
    QCOMPARE(DMAuto->tblAuto.Sort(), QStringLiteral("auto_id"));
}

void TestStartup::readOnlyCatalogueIsToldOnceAfterTheWindow_data()
{
    QTest::addColumn<QString>("locked"); // what is made read-only: "", "folder" or "file"
    QTest::addColumn<QString>("told");   // %1: the folder or the file
    const QString rest = QStringLiteral(" нельзя записывать: каталог открыт только для чтения. "
                                        "Изменения сохранить не получится, и ежедневная "
                                        "резервная копия не делается.");
    QTest::newRow("writable: no word, and today's copy") << QString() << QString();
    QTest::newRow("read-only folder") << "folder" << QStringLiteral("В папку каталога «%1»") + rest;
    QTest::newRow("read-only file in a writable folder")
        << "file" << QStringLiteral("В файл каталога «%1»") + rest;
}

void TestStartup::readOnlyCatalogueIsToldOnceAfterTheWindow()
{
    QFETCH(QString, locked);
    QFETCH(QString, told);
    TestCatalogue catalogue;
    catalogue.addGoods({1, {}, QStringLiteral("Фильтр"), {}, 3, {}, {}, {}, {}, {}});
    const QString path = locked == QLatin1String("folder")
                             ? QFileInfo(catalogue.path()).absolutePath()
                             : QFileInfo(catalogue.path()).absoluteFilePath();
    std::unique_ptr<ReadOnlyFile> readOnly;
    if (!locked.isEmpty()) {
        readOnly = std::make_unique<ReadOnlyFile>(path);
        if (!readOnly->effective())
            QSKIP("this machine cannot make a file read-only for this user");
    }

    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    answers.press(QMessageBox::Ok); // a second box, should one come, is recorded and closed
    Startup::createComponents();
    Startup::showMainWindow();
    QCOMPARE(answers.boxes().size(), 0); // nothing before the window is up
    QSignalSpy ended(frmMain->Backups, &BackupService::dailyEnded);
    Startup::afterMainWindowShown();

    if (told.isEmpty()) {
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.at(0).at(1).toString(), QString()); // the copy was made
    } else {
        QTRY_COMPARE(answers.boxes().size(), 1);
    }
    // Long enough for the daily copy's retries behind a modal box.
    QTest::qWait(500);
    if (told.isEmpty()) {
        QCOMPARE(answers.boxes().size(), 0);
        QVERIFY(DMAuto->tblAuto.CanModify());
        return;
    }
    QCOMPARE(answers.boxes().size(), 1);
    const ModalAnswers::Box &box = answers.boxes()[0];
    QCOMPARE(box.text, told.arg(QDir::toNativeSeparators(path)));
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(box.caption, QStringLiteral("Сообщение"));
    QCOMPARE(box.owner, frmMain);
    // No daily copy was tried, and writes are still refused as before.
    QCOMPARE(ended.count(), 0);
    QVERIFY(!frmMain->Backups->isRunning());
    QVERIFY(!QFileInfo::exists(QDir(catalogue.folder()).filePath(QStringLiteral("db-backups"))));
    QVERIFY(!DMAuto->tblAuto.CanModify());
    QCOMPARE(DMAuto->tblAuto.RecordCount(), 1);
}

AUTOPARTS_GUI_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
