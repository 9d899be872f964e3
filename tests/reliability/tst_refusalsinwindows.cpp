#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "Peer.h"
#include "ReadOnlyFile.h"
#include "TestCatalogue.h"
#include "TypeText.h"

#include "UnitDM.h"
#include "recordset/Connection.h"
#include "app/Startup.h"
#include "ui/goods/Unit_editTovars.h"
#include "ui/main/Unit_tr.h"
#include "ui/widgets/DBEdit.h"

#include <QAction>
#include <QElapsedTimer>
#include <QPushButton>

// What the user sees when the store refuses: another program deleted the row
// or holds the file, or the catalogue cannot be written. The refusal is
// explained, the editor keeps what was typed, and nothing else changes.
class TestRefusalsInWindows : public QObject
{
    Q_OBJECT
private slots:
    // Every test runs on the file and on the server, the second program a
    // process of its own on the same catalogue.
    void initTestCase_data() { TestCatalogue::addEngines(); }
    void init();
    void cleanup();

    void editorOkAfterAnotherProgramDeletedTheRow();
    void editorOkUnderAnotherProgramsLock();
    void editorOkAfterAnotherProgramChangedTheRow_data();
    void editorOkAfterAnotherProgramChangedTheRow();
    void readOnlyCatalogue_data();
    void readOnlyCatalogue();

private:
    // Edits the second row's model in the editor, then runs `then` with the
    // editor still open.
    void editModel(ModalAnswers &answers, const std::function<void()> &then);
    QString models();

    std::unique_ptr<TestCatalogue> catalogue_;
};

void TestRefusalsInWindows::init()
{
    SKIP_UNLESS_ENGINE_AVAILABLE();
    catalogue_ = std::make_unique<TestCatalogue>(TestCatalogue::engineOfTest());
    catalogue_->addGoods(
        {1, {}, QStringLiteral("Фильтр"), QStringLiteral("2107"), 5, {}, {}, {}, {}, {}});
    catalogue_->addGoods(
        {2, {}, QStringLiteral("Свеча"), QStringLiteral("Camry"), 8, {}, {}, {}, {}, {}});
    catalogue_->addGoods(
        {3, {}, QStringLiteral("Ремень"), QStringLiteral("X5"), 1, {}, {}, {}, {}, {}});
    Startup::createComponents();
    Startup::showMainWindow();
}

void TestRefusalsInWindows::cleanup()
{
    Startup::destroyComponents();
    catalogue_.reset();
}

QString TestRefusalsInWindows::models()
{
    return catalogue_
        ->query(catalogue_->onServer()
                    ? "SELECT string_agg(auto_id || ':' || models, ' ' ORDER BY auto_id) FROM tovars"
                    : "SELECT group_concat(auto_id || ':' || models, ' ') FROM tovars")
        .toString();
}

void TestRefusalsInWindows::editModel(ModalAnswers &answers, const std::function<void()> &then)
{
    DMAuto->tblAuto.moveTo(1);
    bool ran = false;
    answers.handle([&](QWidget *modal) {
        ran = true;
        QCOMPARE(modal, frmTovarEdit);
        QApplication::setActiveWindow(frmTovarEdit);
        frmTovarEdit->editModel->setFocus();
        frmTovarEdit->editModel->selectAll();
        typeText(frmTovarEdit->editModel, QStringLiteral("Corolla"));
        then();
        if (frmTovarEdit->isVisible())
            frmTovarEdit->close();
    });
    frmMain->mnuEdit->trigger();
    QVERIFY(ran);
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(DMAuto->tblAuto.State(), CursorState::Browse);
}

void TestRefusalsInWindows::editorOkAfterAnotherProgramDeletedTheRow()
{
    ModalAnswers answers;
    editModel(answers, [&] {
        QCOMPARE(Peer::run({QStringLiteral("delete"), QStringLiteral("2")}), QStringLiteral("ok"));
        answers.press(QMessageBox::Ok);
        QTest::mouseClick(frmTovarEdit->BitBtn1, Qt::LeftButton);

        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].icon, QMessageBox::Critical);
        QVERIFY2(answers.boxes()[0].text.contains(QStringLiteral("удалила другая программа")),
                 qPrintable(answers.boxes()[0].text));
        QVERIFY(frmTovarEdit->isVisible());
        QCOMPARE(frmTovarEdit->editModel->text(), QStringLiteral("Corolla"));
        QCOMPARE(DMAuto->tblAuto.State(), CursorState::Edit);
    });
    QCOMPARE(models(), QStringLiteral("1:2107 3:X5"));
}

void TestRefusalsInWindows::editorOkUnderAnotherProgramsLock()
{
    ModalAnswers answers;
    editModel(answers, [&] {
        // On the file the whole file is held, on the server the row.
        Peer lock({QStringLiteral("hold"), QStringLiteral("2")});
        QVERIFY(lock.waitForLine(QStringLiteral("locked")));
        answers.press(QMessageBox::Ok);
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(frmTovarEdit->BitBtn1, Qt::LeftButton);
        const qint64 waited = timer.elapsed();

        QCOMPARE(answers.boxes().size(), 1);
        QVERIFY2(answers.boxes()[0].text.contains(QStringLiteral("занята другой программой")),
                 qPrintable(answers.boxes()[0].text));
        QVERIFY2(waited >= Connection::BusyTimeoutMs * 9 / 10, qPrintable(QString::number(waited)));
        QVERIFY(frmTovarEdit->isVisible());
        QCOMPARE(frmTovarEdit->editModel->text(), QStringLiteral("Corolla"));
        QCOMPARE(DMAuto->tblAuto.State(), CursorState::Edit);

        lock.release();
        QCOMPARE(models(), QStringLiteral("1:2107 2:Camry 3:X5"));
        QTest::mouseClick(frmTovarEdit->BitBtn1, Qt::LeftButton);
        QVERIFY(!frmTovarEdit->isVisible());
    });
    QCOMPARE(answers.boxes().size(), 1);
    QCOMPARE(models(), QStringLiteral("1:2107 2:Corolla 3:X5"));
}

void TestRefusalsInWindows::editorOkAfterAnotherProgramChangedTheRow_data()
{
    QTest::addColumn<QString>("column"); // what the other program changes
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("second"); // after the refusal: "ОК" or "Отмена"; empty: none
    QTest::addColumn<QString>("models"); // stored at the end
    QTest::newRow("the same column, OK again stores ours") << "models"
                                                           << "Yaris"
                                                           << "ОК"
                                                           << "1:2107 2:Corolla 3:X5";
    QTest::newRow("the same column, Cancel keeps theirs") << "models"
                                                          << "Yaris"
                                                          << "Отмена"
                                                          << "1:2107 2:Yaris 3:X5";
    QTest::newRow("another column: both kept, no question") << "counts"
                                                            << "7"
                                                            << ""
                                                            << "1:2107 2:Corolla 3:X5";
}

void TestRefusalsInWindows::editorOkAfterAnotherProgramChangedTheRow()
{
    QFETCH(QString, column);
    QFETCH(QString, value);
    QFETCH(QString, second);
    QFETCH(QString, models);
    ModalAnswers answers;
    editModel(answers, [&] {
        QCOMPARE(Peer::run({QStringLiteral("set"), QStringLiteral("2"), column, value}),
                 QStringLiteral("ok"));
        if (!second.isEmpty())
            answers.press(QMessageBox::Ok);
        QTest::mouseClick(frmTovarEdit->BitBtn1, Qt::LeftButton);
        if (second.isEmpty()) {
            QVERIFY(!frmTovarEdit->isVisible());
            return;
        }
        QCOMPARE(answers.boxes().size(), 1);
        const QString text = answers.boxes()[0].text;
        QCOMPARE(answers.boxes()[0].icon, QMessageBox::Critical);
        QVERIFY2(text.contains(QStringLiteral("«Модель»: другая программа сохранила «Yaris», вы "
                                              "ввели «Corolla»")),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Нажмите «ОК» ещё раз")), qPrintable(text));
        QVERIFY(frmTovarEdit->isVisible());
        QCOMPARE(frmTovarEdit->editModel->text(), QStringLiteral("Corolla"));
        QCOMPARE(DMAuto->tblAuto.State(), CursorState::Edit);
        QTest::mouseClick(second == QStringLiteral("ОК") ? frmTovarEdit->BitBtn1
                                                         : frmTovarEdit->BitBtn2,
                          Qt::LeftButton);
        QVERIFY(!frmTovarEdit->isVisible());
    });
    QCOMPARE(answers.boxes().size(), second.isEmpty() ? 0 : 1);
    QCOMPARE(this->models(), models);
    // The window shows the row as stored, the other program's change included.
    QCOMPARE(DMAuto->tblAutomodels.AsString(), models.section(' ', 1, 1).section(':', 1));
    QCOMPARE(DMAuto->tblAutocounts.AsInteger(), column == QLatin1String("counts") ? 7 : 8);
}

void TestRefusalsInWindows::readOnlyCatalogue_data()
{
    QTest::addColumn<bool>("folder");
    QTest::newRow("read-only file") << false;
    QTest::newRow("read-only folder") << true;
}

void TestRefusalsInWindows::readOnlyCatalogue()
{
    QFETCH(bool, folder);
    if (catalogue_->onServer())
        QSKIP("a read-only file has no counterpart on the server");
    Startup::destroyComponents();
    ReadOnlyFile readOnly(folder ? catalogue_->folder() : catalogue_->path());
    if (!readOnly.effective())
        QSKIP("this machine cannot make a file read-only for this user");
    ModalAnswers answers;
    Startup::createComponents();
    Startup::showMainWindow();
    QVERIFY(!DMAuto->tblAuto.CanModify());

    // Add and Edit ask first (for a read-only file: tst_unit_edittovars).
    if (folder) {
        answers.press(QMessageBox::Ok);
        answers.press(QMessageBox::Ok);
        frmMain->mnuAdd->trigger();
        frmMain->mnuEdit->trigger();
        QVERIFY(answers.waitAllAnswered());
        for (const ModalAnswers::Box &box : answers.boxes())
            QCOMPARE(box.text, QStringLiteral("Нельзя модифицировать данные"));
    }

    // Delete does not ask: the store refuses, and the error box says why.
    const qsizetype asked = answers.boxes().size();
    answers.press(QMessageBox::Yes);
    answers.press(QMessageBox::Ok);
    frmMain->mnuDelete->trigger();
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().size(), asked + 2);
    const ModalAnswers::Box &refusal = answers.boxes().last();
    QCOMPARE(refusal.icon, QMessageBox::Critical);
    QVERIFY2(refusal.text.contains(QStringLiteral("только для чтения")), qPrintable(refusal.text));
    QCOMPARE(DMAuto->tblAuto.RecordCount(), 3);
    QCOMPARE(DMAuto->tblAuto.State(), CursorState::Browse);
    QCOMPARE(catalogue_->count("tovars"), 3);
}

AUTOPARTS_GUI_TEST_MAIN(TestRefusalsInWindows)
#include "tst_refusalsinwindows.moc"
