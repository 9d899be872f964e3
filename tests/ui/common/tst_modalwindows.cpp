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

#include <QAction>
#include <QFileDialog>
#include <QPushButton>
#include <QWindow>

namespace {

// One of the seven windows made at start-up, and the way the user opens it:
// a command of the main window, then for an edit dialog the Edit button of
// its list.
struct Window
{
    QAction *command = nullptr;
    QDialog *list = nullptr;
    QPushButton *listEdit = nullptr;
    QDialog *window = nullptr;
};

Window window(const QString &name)
{
    if (name == QLatin1String("goods editor"))
        return {frmMain->mnuEdit, nullptr, nullptr, frmTovarEdit};
    if (name == QLatin1String("category list"))
        return {frmMain->mnuCategory, nullptr, nullptr, frmCategory};
    if (name == QLatin1String("make list"))
        return {frmMain->mnuMark, nullptr, nullptr, frmMarka};
    if (name == QLatin1String("country list"))
        return {frmMain->mnuCountry, nullptr, nullptr, frmCountry};
    if (name == QLatin1String("category dialog"))
        return {frmMain->mnuCategory, frmCategory, frmCategory->btnEdit, frmCatEdit};
    if (name == QLatin1String("make dialog"))
        return {frmMain->mnuMark, frmMarka, frmMarka->BitBtn2, frmMarkaEdit};
    return {frmMain->mnuCountry, frmCountry, frmCountry->BitBtn2, frmCountryEdit};
}

const char *const kWindows[] = {"goods editor",    "category list", "make list",     "country list",
                                "category dialog", "make dialog",   "country dialog"};

// The button of `name`'s window captioned `caption`.
QPushButton *button(QDialog *dialog, const QString &caption)
{
    for (QPushButton *b : dialog->findChildren<QPushButton *>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

} // namespace

// What the seven windows made at start-up share: Enter presses the focused
// button, and each opens where the user left it.
class TestModalWindows : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void reopensWhereTheUserLeftIt_data();
    void reopensWhereTheUserLeftIt();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();

private:
    // Opens the window as the user does and runs `inside` while it is shown;
    // closes whatever `inside` left open.
    void open(const Window &w, ModalAnswers &answers, const std::function<void()> &inside);

    std::unique_ptr<TestCatalogue> catalogue_;
};

void TestModalWindows::init()
{
    catalogue_ = std::make_unique<TestCatalogue>();
    catalogue_->addCategory(QStringLiteral("Фильтры"));
    catalogue_->addMake(QStringLiteral("ВАЗ"));
    catalogue_->addCountry(QStringLiteral("Россия"));
    catalogue_->addGoods(
        {1, 1, QStringLiteral("Фильтр"), QStringLiteral("2107"), 5, {}, 1, 1, {}, {}});
    Startup::createComponents();
    Startup::showMainWindow();
}

void TestModalWindows::cleanup()
{
    Startup::destroyComponents();
    catalogue_.reset();
}

void TestModalWindows::open(const Window &w, ModalAnswers &answers,
                            const std::function<void()> &inside)
{
    const auto run = [&answers, &inside, &w](QWidget *modal) {
        QCOMPARE(modal, w.window);
        QApplication::setActiveWindow(modal);
        inside();
        if (modal->isVisible())
            modal->close();
    };
    if (w.list) {
        answers.handle([&](QWidget *list) {
            answers.handle(run);
            w.listEdit->click();
            list->close();
        });
    } else {
        answers.handle(run);
    }
    w.command->trigger();
    QVERIFY(answers.waitAllAnswered());
    QVERIFY(!w.window->isVisible());
}

void TestModalWindows::reopensWhereTheUserLeftIt_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : kWindows)
        QTest::newRow(name) << name;
}

void TestModalWindows::reopensWhereTheUserLeftIt()
{
    QFETCH(QString, name);
    const Window w = window(name);
    ModalAnswers answers;
    QPoint dragged;
    open(w, answers, [&] {
        // Centred over its owner the first time.
        const QPoint owner = w.window->parentWidget()->window()->frameGeometry().center();
        QVERIFY((w.window->frameGeometry().center() - owner).manhattanLength() < 40);
        // Dragged by its title bar: the window system moves it, not the program.
        dragged = w.window->frameGeometry().topLeft() + QPoint(60, 40);
        w.window->windowHandle()->setFramePosition(dragged);
        QTRY_COMPARE(w.window->frameGeometry().topLeft(), dragged);
    });
    open(w, answers, [&] { QCOMPARE(w.window->frameGeometry().topLeft(), dragged); });
    open(w, answers, [&] { QCOMPARE(w.window->frameGeometry().topLeft(), dragged); });
}

void TestModalWindows::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("focus"); // a button's caption; "field": the edit field
    QTest::addColumn<QString>("then");  // "closed", "stays open" or the title of what opens
    QTest::addColumn<bool>("stored");   // the typed text reached the file
    QTest::newRow("goods editor, Отмена") << "goods editor"
                                          << "Отмена"
                                          << "closed" << false;
    QTest::newRow("goods editor, ОК") << "goods editor"
                                      << "ОК"
                                      << "closed" << true;
    QTest::newRow("goods editor, field") << "goods editor"
                                         << "field"
                                         << "closed" << true;
    QTest::newRow("goods editor, Загрузить фото") << "goods editor"
                                                  << "Загрузить фото"
                                                  << "file dialog" << false;
    for (const char *name : {"category dialog", "make dialog", "country dialog"}) {
        QTest::addRow("%s, Отмена", name) << name << "Отмена"
                                          << "closed" << false;
        QTest::addRow("%s, field", name) << name << "field"
                                         << "closed" << true;
    }
    QTest::newRow("category list, Выход") << "category list"
                                          << "Выход"
                                          << "closed" << false;
    QTest::newRow("category list, Добавить") << "category list"
                                             << "Добавить"
                                             << "Редактирвоание категории" << false;
    QTest::newRow("make list, Редактирвоать") << "make list"
                                              << "Редактирвоать"
                                              << "Редактирование марки запчасти" << false;
    QTest::newRow("country list, Выход") << "country list"
                                         << "Выход"
                                         << "closed" << false;
    QTest::newRow("country list, grid") << "country list"
                                        << "field"
                                        << "stays open" << false;
}

void TestModalWindows::enterPressesTheFocusedButton()
{
    QFETCH(QString, name);
    QFETCH(QString, focus);
    QFETCH(QString, then);
    QFETCH(bool, stored);
    const Window w = window(name);
    const bool editor = w.window == frmTovarEdit;
    ModalAnswers answers;
    QString opened = QStringLiteral("nothing");
    open(w, answers, [&] {
        // Something typed first, which only OK stores.
        QWidget *field = nullptr;
        if (editor)
            field = frmTovarEdit->editModel;
        else if (auto *dialog = qobject_cast<ReferenceEditDialog *>(w.window))
            field = dialog->edit;
        else
            field = w.window->findChild<DBGrid *>();
        field->setFocus();
        if (auto *edit = qobject_cast<DBEdit *>(field)) {
            edit->selectAll();
            typeText(edit, QStringLiteral("Новое"));
        }
        QWidget *target = field;
        if (focus != QLatin1String("field")) {
            target = button(w.window, focus);
            QVERIFY(target);
            target->setFocus(Qt::TabFocusReason);
        }
        QVERIFY(target->hasFocus());
        const bool opens = then != QLatin1String("closed") && then != QLatin1String("stays open");
        if (opens)
            answers.handle([&](QWidget *modal) {
                opened = qobject_cast<QFileDialog *>(modal) ? QStringLiteral("file dialog")
                                                            : modal->windowTitle();
                modal->close();
            });
        QTest::keyClick(target, Qt::Key_Return);
        QCOMPARE(w.window->isVisible(), then != QLatin1String("closed"));
        if (opens)
            QTRY_COMPARE(opened, then);
        else // nothing else opened
            QCOMPARE(QApplication::activeModalWidget() == w.window, w.window->isVisible());
    });
    const char *sql = editor                        ? "SELECT models FROM tovars"
                      : name.startsWith("category") ? "SELECT catName FROM category"
                      : name.startsWith("make")     ? "SELECT name FROM autotype"
                                                    : "SELECT country FROM country";
    const QString text = catalogue_->query(sql).toString();
    QCOMPARE(text == QStringLiteral("Новое"), stored);
}

AUTOPARTS_GUI_TEST_MAIN(TestModalWindows)
#include "tst_modalwindows.moc"
