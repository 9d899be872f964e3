#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "TestCatalogue.h"
#include "TypeText.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "ui/goods/Unit_editTovars.h"
#include "ui/main/Unit_tr.h"
#include "ui/reference/Unit_Category.h"
#include "ui/reference/Unit_category_edit.h"
#include "ui/reference/Unit_country.h"
#include "ui/reference/Unit_country_edit.h"
#include "ui/reference/Unit_marka.h"
#include "ui/reference/Unit_marka_edit.h"
#include "ui/widgets/DBEdit.h"
#include "ui/widgets/DBGrid.h"
#include "ui/widgets/DBLookupComboBox.h"
#include "ui/widgets/PressToolButton.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

namespace {

// One reference table with its list window and edit dialog.
struct Table
{
    QString sqlTable;
    QString nameColumn;
    QAction *TfrmMain::*open;
    ReferenceList **list;
    ReferenceEditDialog **dialog;
    QString listCaption;
    QString confirmation;
    QString emptyName;
    QString failedSave;
    // The Add, Edit and Delete buttons of the list window.
    std::function<std::array<QPushButton *, 3>()> buttons;
};

Table table(const QString &which)
{
    if (which == QLatin1String("categories"))
        return {"category", "catName", &TfrmMain::mnuCategory,
                reinterpret_cast<ReferenceList **>(&frmCategory),
                reinterpret_cast<ReferenceEditDialog **>(&frmCatEdit), "Справочник категорий",
                "Вы действительно хотите удалить категорию: ",
                "Необходимо ввести название категории",
                "Названия категорий должны быть уникальными!", [] {
                    return std::array<QPushButton *, 3>{frmCategory->btnAdd, frmCategory->btnEdit,
                                                        frmCategory->btnDelete};
                }};
    if (which == QLatin1String("makes"))
        return {"autotype", "name", &TfrmMain::mnuMark,
                reinterpret_cast<ReferenceList **>(&frmMarka),
                reinterpret_cast<ReferenceEditDialog **>(&frmMarkaEdit),
                "Справочник марок запчастей",
                "Вы действительно хотите удалить марку?\n\r\n\rМарка: ",
                "Необходимо ввести название марки", "Названия марок должны быть уникальными!", [] {
                    return std::array<QPushButton *, 3>{frmMarka->BitBtn1, frmMarka->BitBtn2,
                                                        frmMarka->BitBtn3};
                }};
    return {"country", "country", &TfrmMain::mnuCountry,
            reinterpret_cast<ReferenceList **>(&frmCountry),
            reinterpret_cast<ReferenceEditDialog **>(&frmCountryEdit),
            "Справочник стран производителей",
            "Вы действительно хотите удалить выбранную страну?\n\r\n\rСтрана: ",
            "Необходимо ввести название страны производителя",
            "Названия стран должны быть уникальными!", [] {
                return std::array<QPushButton *, 3>{frmCountry->BitBtn1, frmCountry->BitBtn2,
                                                    frmCountry->BitBtn3};
            }};
}

} // namespace

// The three reference lists and their edit dialogs, through the real
// widgets; every test runs once per table. Each table starts with the names
// "Альфа" (key 1) and "Бета" (key 2); goods 1 uses key 2 of each.
class TestReferenceLists : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void emptyTable_data() { tables(); }
    void emptyTable();
    void emptyNameIsRefused_data() { tables(); }
    void emptyNameIsRefused();
    void duplicateNameKeepsTheDialogOpen_data() { tables(); }
    void duplicateNameKeepsTheDialogOpen();
    void editing_data();
    void editing();
    void renamedByAnotherProgramMeanwhile_data();
    void renamedByAnotherProgramMeanwhile();
    void deleting_data();
    void deleting();
    void categoryShortcuts();
    void addedFromTheGoodsEditorShowsInItsList();

private:
    void tables();
    // Opens the table's list, runs `inside` while it is shown, then closes it.
    void withList(const Table &t, ModalAnswers &answers, const std::function<void()> &inside);
    QString storedName(const Table &t, int key);

    std::unique_ptr<TestCatalogue> catalogue_;
};

void TestReferenceLists::tables()
{
    QTest::addColumn<QString>("which");
    QTest::newRow("categories") << "categories";
    QTest::newRow("makes") << "makes";
    QTest::newRow("countries") << "countries";
}

void TestReferenceLists::init()
{
    catalogue_ = std::make_unique<TestCatalogue>();
    for (const char *name : {"Альфа", "Бета"}) {
        catalogue_->addCategory(QString::fromUtf8(name));
        catalogue_->addMake(QString::fromUtf8(name));
        catalogue_->addCountry(QString::fromUtf8(name));
    }
    catalogue_->addGoods({1, 2, QStringLiteral("Фильтр"), {}, 1, {}, 2, 2, {}, {}});
    Startup::createComponents();
    Startup::showMainWindow();
}

void TestReferenceLists::cleanup()
{
    Startup::destroyComponents();
    catalogue_.reset();
}

QString TestReferenceLists::storedName(const Table &t, int key)
{
    const QByteArray sql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                               .arg(t.nameColumn, t.sqlTable)
                               .toUtf8();
    return catalogue_->query(sql.constData(), {key}).toString();
}

void TestReferenceLists::withList(const Table &t, ModalAnswers &answers,
                                  const std::function<void()> &inside)
{
    bool ran = false;
    answers.handle([&](QWidget *modal) {
        ran = true;
        QCOMPARE(modal, *t.list);
        QCOMPARE(modal->windowTitle(), t.listCaption);
        QApplication::setActiveWindow(modal);
        inside();
        if (modal->isVisible())
            QTest::keyClick(modal, Qt::Key_Escape); // Esc closes the list
    });
    (frmMain->*t.open)->trigger();
    QVERIFY(ran);
    QVERIFY(answers.waitAllAnswered());
    QVERIFY(!(*t.list)->isVisible());
}

void TestReferenceLists::emptyTable()
{
    QFETCH(QString, which);
    const Table t = table(which);
    catalogue_->query(QStringLiteral("DELETE FROM %1").arg(t.sqlTable).toUtf8().constData());
    Startup::destroyComponents();
    Startup::createComponents();

    ModalAnswers answers;
    withList(t, answers, [&] {
        const auto [add, edit, remove] = t.buttons();
        for (QPushButton *button : {edit, remove}) {
            answers.press(QMessageBox::Ok);
            QTest::mouseClick(button, Qt::LeftButton);
        }
        QCOMPARE(answers.boxes().size(), 2);
        for (const ModalAnswers::Box &box : answers.boxes()) {
            QCOMPARE(box.text, QStringLiteral("Отсутствуют данные для модификации"));
            QCOMPARE(box.caption, QStringLiteral("Сообщение"));
            QCOMPARE(box.owner, *t.list);
        }
        answers.handle([&](QWidget *dialog) {
            QCOMPARE(dialog, *t.dialog);
            QVERIFY((*t.dialog)->edit->text().isEmpty());
            QTest::mouseClick((*t.dialog)->BitBtn2, Qt::LeftButton);
        });
        QTest::mouseClick(add, Qt::LeftButton);
    });
    QCOMPARE(catalogue_->count(t.sqlTable.toUtf8().constData()), 0);
}

void TestReferenceLists::emptyNameIsRefused()
{
    QFETCH(QString, which);
    const Table t = table(which);
    ModalAnswers answers;
    withList(t, answers, [&] {
        answers.handle([&](QWidget *) {
            ReferenceEditDialog *dialog = *t.dialog;
            answers.press(QMessageBox::Ok);
            QTest::keyClick(dialog->edit, Qt::Key_Return);
            QCOMPARE(answers.boxes().value(0).text, t.emptyName);
            QCOMPARE(answers.boxes().value(0).caption, QStringLiteral("Сообщение"));
            QCOMPARE(answers.boxes().value(0).owner, dialog);
            // Neither posted nor cancelled: the new row is still pending.
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->edit->DataSet()->State(), CursorState::Insert);
            QTest::mouseClick(dialog->BitBtn2, Qt::LeftButton);
        });
        QTest::mouseClick(t.buttons()[0], Qt::LeftButton);
    });
    QCOMPARE(catalogue_->count(t.sqlTable.toUtf8().constData()), 2);
}

void TestReferenceLists::duplicateNameKeepsTheDialogOpen()
{
    QFETCH(QString, which);
    const Table t = table(which);
    ModalAnswers answers;
    withList(t, answers, [&] {
        answers.handle([&](QWidget *) {
            ReferenceEditDialog *dialog = *t.dialog;
            QApplication::setActiveWindow(dialog);
            dialog->edit->setFocus();
            typeText(dialog->edit, QStringLiteral("Бета"));
            answers.press(QMessageBox::Ok);
            QTest::keyClick(dialog->edit, Qt::Key_Return);
            QCOMPARE(answers.boxes().value(0).text, t.failedSave);
            QCOMPARE(answers.boxes().value(0).caption, QStringLiteral("Ошибка записи"));
            QCOMPARE(answers.boxes().value(0).icon, QMessageBox::Information);
            QVERIFY(dialog->isVisible());
            QVERIFY(dialog->edit->text().isEmpty());
            QCOMPARE(dialog->focusWidget(), dialog->edit);
            typeText(dialog->edit, QStringLiteral("Гамма"));
            QTest::keyClick(dialog->edit, Qt::Key_Return);
            QVERIFY(!dialog->isVisible());
        });
        QTest::mouseClick(t.buttons()[0], Qt::LeftButton);
    });
    QCOMPARE(storedName(t, 3), QStringLiteral("Гамма"));
    QCOMPARE(catalogue_->count(t.sqlTable.toUtf8().constData()), 3);
}

void TestReferenceLists::editing_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("typed");   // empty: nothing typed
    QTest::addColumn<QString>("closing"); // "Enter" or "Cancel"
    QTest::addColumn<QString>("stored");
    for (const char *which : {"categories", "makes", "countries"}) {
        QTest::addRow("%s: typing and Enter saves", which) << which << "Бета-2" << "Enter" << "Бета-2";
        QTest::addRow("%s: OK untouched posts nothing", which) << which << "" << "Enter" << "Бета";
        QTest::addRow("%s: Cancel restores", which) << which << "Бета-3" << "Cancel" << "Бета";
    }
}

void TestReferenceLists::editing()
{
    QFETCH(QString, which);
    QFETCH(QString, typed);
    QFETCH(QString, closing);
    QFETCH(QString, stored);
    const Table t = table(which);
    ModalAnswers answers;
    withList(t, answers, [&] {
        answers.handle([&](QWidget *) {
            ReferenceEditDialog *dialog = *t.dialog;
            QCOMPARE(dialog->edit->text(), QStringLiteral("Бета"));
            if (!typed.isEmpty()) {
                dialog->edit->selectAll();
                typeText(dialog->edit, typed);
            }
            if (closing == QLatin1String("Enter"))
                QTest::keyClick(dialog->edit, Qt::Key_Return); // with the text not yet written
            else
                QTest::mouseClick(dialog->BitBtn2, Qt::LeftButton);
            QVERIFY(!dialog->isVisible());
        });
        // The list opens on the reference of the current goods row, "Бета".
        QTest::mouseClick(t.buttons()[1], Qt::LeftButton);
        auto *grid = (*t.list)->findChild<DBGrid *>();
        QCOMPARE(grid->model()->index(grid->currentIndex().row(), 1).data().toString(), stored);
    });
    QCOMPARE(storedName(t, 2), stored);
}

void TestReferenceLists::renamedByAnotherProgramMeanwhile_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<bool>("again"); // OK a second time, or Cancel
    QTest::addColumn<QString>("stored");
    for (const char *which : {"categories", "makes", "countries"}) {
        QTest::addRow("%s: OK again stores ours", which) << which << true << "Бета-наша";
        QTest::addRow("%s: Cancel keeps theirs", which) << which << false << "Бета-их";
    }
}

void TestReferenceLists::renamedByAnotherProgramMeanwhile()
{
    QFETCH(QString, which);
    QFETCH(bool, again);
    QFETCH(QString, stored);
    const Table t = table(which);
    const QByteArray rename = QStringLiteral("UPDATE %1 SET %2 = 'Бета-их' WHERE rowid = 2")
                                  .arg(t.sqlTable, t.nameColumn)
                                  .toUtf8();
    ModalAnswers answers;
    withList(t, answers, [&] {
        answers.handle([&](QWidget *) {
            ReferenceEditDialog *dialog = *t.dialog;
            dialog->edit->selectAll();
            typeText(dialog->edit, QStringLiteral("Бета-наша"));
            catalogue_->query(rename.constData());
            answers.press(QMessageBox::Ok);
            QTest::keyClick(dialog->edit, Qt::Key_Return);

            const ModalAnswers::Box box = answers.boxes().value(0);
            QCOMPARE(box.caption, QStringLiteral("Ошибка записи"));
            QCOMPARE(box.owner, dialog);
            for (const QString &part :
                 {dialog->Label1->text().remove(':'), QStringLiteral("«Бета-их»"),
                  QStringLiteral("«Бета-наша»"), dialog->BitBtn1->text(), QStringLiteral("Отмена")})
                QVERIFY2(box.text.contains(part), qPrintable(box.text + " / " + part));
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->edit->text(), QStringLiteral("Бета-наша"));
            QCOMPARE(dialog->focusWidget(), dialog->edit);
            QCOMPARE(storedName(t, 2), QStringLiteral("Бета-их"));
            if (again)
                QTest::keyClick(dialog->edit, Qt::Key_Return);
            else
                QTest::mouseClick(dialog->BitBtn2, Qt::LeftButton);
            QVERIFY(!dialog->isVisible());
        });
        QTest::mouseClick(t.buttons()[1], Qt::LeftButton);
        auto *grid = (*t.list)->findChild<DBGrid *>();
        QCOMPARE(grid->model()->index(grid->currentIndex().row(), 1).data().toString(), stored);
    });
    QCOMPARE(answers.boxes().size(), 1);
    QCOMPARE(storedName(t, 2), stored);
}

void TestReferenceLists::deleting_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<bool>("yes");
    for (const char *which : {"categories", "makes", "countries"}) {
        QTest::addRow("%s: No keeps the row", which) << which << false;
        QTest::addRow("%s: Yes removes it", which) << which << true;
    }
}

void TestReferenceLists::deleting()
{
    QFETCH(QString, which);
    QFETCH(bool, yes);
    const Table t = table(which);
    ModalAnswers answers;
    withList(t, answers, [&] {
        answers.press(yes ? QMessageBox::Yes : QMessageBox::No);
        QTest::mouseClick(t.buttons()[2], Qt::LeftButton);
        QCOMPARE(answers.boxes().value(0).text, t.confirmation + QStringLiteral("Бета"));
        QCOMPARE(answers.boxes().value(0).caption, QStringLiteral("Удаление"));
        QCOMPARE(answers.boxes().value(0).icon, QMessageBox::NoIcon);
        QCOMPARE((*t.list)->findChild<DBGrid *>()->model()->rowCount(), yes ? 1 : 2);
    });
    QCOMPARE(catalogue_->count(t.sqlTable.toUtf8().constData()), yes ? 1 : 2);
    // The goods row keeps the deleted key and shows an empty name for it.
    const QString lookup = which == QLatin1String("categories") ? QStringLiteral("strCat")
                           : which == QLatin1String("makes")    ? QStringLiteral("strMarka")
                                                                : QStringLiteral("strCountry");
    QCOMPARE(DMAuto->tblAuto.FieldByName(lookup).AsString().isEmpty(), yes);
}

void TestReferenceLists::categoryShortcuts()
{
    const Table categories = table(QStringLiteral("categories"));
    ModalAnswers answers;
    withList(categories, answers, [&] {
        auto *grid = frmCategory->DBGridArb;
        // Each box takes the focus; the window gets it back before the next key.
        const auto focusGrid = [grid] {
            QApplication::setActiveWindow(frmCategory);
            grid->setFocus();
        };
        focusGrid();
        answers.press(QMessageBox::No);
        QTest::keyClick(grid, Qt::Key_Delete);
        QCOMPARE(answers.boxes().value(0).text, categories.confirmation + QStringLiteral("Бета"));
        answers.handle([](QWidget *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        focusGrid();
        QTest::keyClick(grid, Qt::Key_N, Qt::ControlModifier);
        answers.handle([](QWidget *dialog) {
            QCOMPARE(static_cast<ReferenceEditDialog *>(dialog)->edit->text(), QStringLiteral("Бета"));
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        focusGrid();
        QTest::keyClick(grid, Qt::Key_E, Qt::ControlModifier);
        QVERIFY(answers.waitAllAnswered());
    });
    // Del alone does nothing in the make list.
    const Table makes = table(QStringLiteral("makes"));
    withList(makes, answers, [&] {
        ModalAnswers probe;
        probe.press(QMessageBox::No);
        QTest::keyClick(frmMarka->DBGrid1, Qt::Key_Delete);
        QVERIFY(!probe.waitAllAnswered(200));
    });
}

void TestReferenceLists::addedFromTheGoodsEditorShowsInItsList()
{
    ModalAnswers answers;
    bool added = false;
    answers.handle([&](QWidget *editor) {
        QCOMPARE(editor, frmTovarEdit);
        answers.handle([&](QWidget *list) {
            QCOMPARE(list, frmCategory);
            answers.handle([&](QWidget *) {
                typeText(frmCatEdit->editCat, QStringLiteral("Аккумуляторы"));
                QTest::keyClick(frmCatEdit->editCat, Qt::Key_Return);
            });
            QTest::mouseClick(frmCategory->btnAdd, Qt::LeftButton);
            QTest::keyClick(list, Qt::Key_Escape);
        });
        QTest::mousePress(frmTovarEdit->ToolButton1, Qt::LeftButton);
        added = frmTovarEdit->DBLookupComboBox1->findText(QStringLiteral("Аккумуляторы")) >= 0;
        QTest::keyClick(editor, Qt::Key_Escape);
    });
    frmMain->mnuEdit->trigger();
    QVERIFY(answers.waitAllAnswered());
    QVERIFY(added);
}

AUTOPARTS_GUI_TEST_MAIN(TestReferenceLists)
#include "tst_referencelists.moc"
