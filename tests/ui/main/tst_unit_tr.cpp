#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "TestCatalogue.h"

#include "UnitDM.h"
#include "recordset/DataLink.h"
#include "app/Startup.h"
#include "ui/main/Unit_tr.h"
#include "ui/reference/Unit_Category.h"
#include "ui/widgets/DBGrid.h"
#include "ui/widgets/DBImage.h"
#include "ui/widgets/PressToolButton.h"

#include <QAction>
#include <QPushButton>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QMenuBar>

namespace {

QByteArray bmpFile(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 30));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

qint64 currentKey()
{
    return DMAuto->tblAutoauto_id.AsInteger();
}

} // namespace

// The main window on a small catalogue of goods with keys 1..rows.
class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();

    void startsSortedByCodeAscending();
    void layoutAndGoodsColumns();
    void onlyTheGridFollowsTheWindowSize();
    void keysGoToTheGridAtStart();
    void theWholeGridShowsTheHand();
    void deleteCommand_data();
    void deleteCommand();
    void deleteKeyInSearchFieldDeletesTheGoodsRow();
    void toolButtonRunsItsCommandOnPress();
    void aboutBox();
    void helpItemIsHiddenAndNamesAMissingDocument();
    void referenceCommandsOpenTheirLists();
    void photoBoxShowsTheCurrentRowsPhoto();
    void closingStoresAPendingChange();
    void closingEndsEvenWhenThePendingChangeFails();
    void helpLauncherPassesThePathAsAnArgument();
    void sortAndSearchShowTheBusyPointer();

private:
    void open(int rows);

    std::unique_ptr<TestCatalogue> catalogue_;
};

void TestMainWindow::open(int rows)
{
    catalogue_ = std::make_unique<TestCatalogue>();
    const qint64 category = catalogue_->addCategory(QStringLiteral("Фильтры"));
    for (int i = 1; i <= rows; ++i)
        catalogue_->addGoods({i, int(category), QStringLiteral("Деталь %1").arg(i), {}, i, {}, {},
                              {}, {}, {}});
    Startup::createComponents();
    Startup::showMainWindow();
    QApplication::setActiveWindow(frmMain);
    QVERIFY(QTest::qWaitForWindowActive(frmMain));
}

void TestMainWindow::cleanup()
{
    Startup::destroyComponents();
    catalogue_.reset();
}

void TestMainWindow::startsSortedByCodeAscending()
{
    catalogue_ = std::make_unique<TestCatalogue>();
    for (const int warehouse : {3, 1, 2})
        catalogue_->addGoods({warehouse, {}, {}, {}, {}, {}, {}, {}, {}, {}});
    catalogue_->query("UPDATE tovars SET auto_id = 10 WHERE auto_id = 1"); // out of table order
    Startup::createComponents();
    Startup::showMainWindow();

    QCOMPARE(DMAuto->tblAuto.Sort(), QStringLiteral("auto_id"));
    QCOMPARE(SortField, QStringLiteral("auto_id"));
    QVERIFY(frmMain->mnuOrderAsc->isChecked());
    QVERIFY(!frmMain->mnuOrderDesc->isChecked());
    const QAbstractItemModel *model = frmMain->gridAuto->model();
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("2"));
    QCOMPARE(model->index(2, 0).data().toString(), QStringLiteral("10"));
}

void TestMainWindow::layoutAndGoodsColumns()
{
    open(1);
    QCOMPARE(frmMain->centralWidget()->size(), QSize(991, 733));
    QCOMPARE(frmMain->GroupBox2->geometry(), QRect(13, 22, 642, 199));
    QCOMPARE(frmMain->DBImage1->geometry(), QRect(672, 13, 300, 220));
    QCOMPARE(frmMain->gridAuto->geometry(), QRect(10, 244, 981, 451));

    const DBGrid *grid = frmMain->gridAuto;
    const QStringList titles = {"Код товара", "Категория", "№ склада", "Наименование", "",
                                "",           "Модель",    "Марка",    "Производитель",
                                "Количество", "Цена",      "",         "",
                                ""};
    QCOMPARE(grid->model()->columnCount(), titles.size());
    for (int i = 0; i < titles.size(); ++i) {
        QCOMPARE(grid->model()->headerData(i, Qt::Horizontal).toString(), titles[i]);
        QCOMPARE(grid->isColumnHidden(i), titles[i].isEmpty());
    }
    QCOMPARE(grid->columnWidth(0), 69);
    QCOMPARE(grid->columnWidth(3), 458);
    QCOMPARE(grid->columnWidth(10), 77);
    // A column without a width holds its field's usual text: 20 digits for a
    // lookup, 10 for an integer.
    const int digit = grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    QCOMPARE(grid->columnWidth(1), 20 * digit + 4);
    QCOMPARE(grid->columnWidth(2), std::max(10 * digit + 4,
                                            grid->horizontalHeader()->fontMetrics().horizontalAdvance(
                                                QStringLiteral("№ склада")) + 4));
    const auto alignment = [grid](int column) {
        return Qt::Alignment(grid->model()->index(0, column).data(Qt::TextAlignmentRole).toInt()) &
               Qt::AlignHorizontal_Mask;
    };
    QCOMPARE(alignment(2), Qt::AlignHCenter);
    QCOMPARE(alignment(9), Qt::AlignHCenter);
    QCOMPARE(alignment(10), Qt::AlignRight);
    QCOMPARE(alignment(0), Qt::AlignLeft);
}

void TestMainWindow::onlyTheGridFollowsTheWindowSize()
{
    open(1);
    const QRect panel = frmMain->GroupBox2->geometry();
    const QRect photo = frmMain->DBImage1->geometry();
    const QSize grid = frmMain->gridAuto->size();
    frmMain->resize(frmMain->size() + QSize(120, 80));
    QTRY_COMPARE(frmMain->gridAuto->size(), grid + QSize(120, 80));
    QCOMPARE(frmMain->GroupBox2->geometry(), panel);
    QCOMPARE(frmMain->DBImage1->geometry(), photo);
}

void TestMainWindow::keysGoToTheGridAtStart()
{
    catalogue_ = std::make_unique<TestCatalogue>();
    for (int i = 1; i <= 3; ++i)
        catalogue_->addGoods({i, {}, {}, {}, {}, {}, {}, {}, bmpFile(20, 10), {}});
    Startup::createComponents();
    Startup::showMainWindow();
    QApplication::setActiveWindow(frmMain);
    QVERIFY(QTest::qWaitForWindowActive(frmMain));
    QTRY_COMPARE(QApplication::focusWidget(), frmMain->gridAuto);

    // Keys pressed right away move in the list and touch no photo.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(currentKey(), 2);
    QCOMPARE(DMAuto->tblAuto.State(), CursorState::Browse);
    QCOMPARE(catalogue_->query("SELECT count(*) FROM tovars WHERE screenshots IS NULL").toInt(), 0);
    // Then the search panel, and the photo box last.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), frmMain->editTovName);
    frmMain->cbPrice->setFocus();
    QTest::keyClick(frmMain->cbPrice, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), frmMain->DBImage1);
}

void TestMainWindow::theWholeGridShowsTheHand()
{
    open(3);
    const DBGrid *grid = frmMain->gridAuto;
    for (const QWidget *part : {static_cast<const QWidget *>(grid->viewport()),
                                static_cast<const QWidget *>(grid->horizontalHeader()),
                                static_cast<const QWidget *>(grid->verticalHeader())})
        QCOMPARE(part->cursor().shape(), Qt::PointingHandCursor);
}

void TestMainWindow::deleteCommand_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("startRow");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<int>("deletedKey");
    QTest::addColumn<int>("currentAfter");
    QTest::newRow("No keeps the row") << 3 << 1 << false << 0 << 2;
    QTest::newRow("Yes on a middle row: the next becomes current") << 3 << 1 << true << 2 << 3;
    QTest::newRow("Yes on the last row: the previous becomes current") << 3 << 2 << true << 3 << 2;
    QTest::newRow("Yes on the only row") << 1 << 0 << true << 1 << 0;
}

void TestMainWindow::deleteCommand()
{
    QFETCH(int, rows);
    QFETCH(int, startRow);
    QFETCH(bool, yes);
    QFETCH(int, deletedKey);
    QFETCH(int, currentAfter);
    open(rows);
    DMAuto->tblAuto.moveTo(startRow);

    ModalAnswers answers;
    answers.press(yes ? QMessageBox::Yes : QMessageBox::No);
    frmMain->gridAuto->setFocus();
    QTest::keyClick(frmMain->gridAuto, Qt::Key_Delete);
    QVERIFY(answers.waitAllAnswered());

    const ModalAnswers::Box &box = answers.boxes().value(0);
    QCOMPARE(box.text, QStringLiteral("Вы действительно хотите удалить товар?"));
    QCOMPARE(box.caption, QStringLiteral("Удаление"));
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons.size(), 2);
    QCOMPARE(catalogue_->count("tovars"), yes ? rows - 1 : rows);
    if (yes)
        QCOMPARE(catalogue_->query("SELECT count(*) FROM tovars WHERE auto_id = ?", {deletedKey}).toInt(), 0);
    QCOMPARE(frmMain->gridAuto->model()->rowCount(), yes ? rows - 1 : rows);
    QCOMPARE(currentKey(), qint64(currentAfter));
    QCOMPARE(frmMain->gridAuto->currentIndex().row(), DMAuto->tblAuto.currentRow());
}

void TestMainWindow::deleteKeyInSearchFieldDeletesTheGoodsRow()
{
    open(2);
    frmMain->editTovName->setFocus();
    frmMain->editTovName->setText(QStringLiteral("Фильтр"));
    frmMain->editTovName->setCursorPosition(0);

    ModalAnswers answers;
    answers.press(QMessageBox::No);
    QTest::keyClick(frmMain->editTovName, Qt::Key_Delete);
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().value(0).text, QStringLiteral("Вы действительно хотите удалить товар?"));
    QCOMPARE(frmMain->editTovName->text(), QStringLiteral("Фильтр"));

    // After a search that found nothing, Delete says so and asks nothing.
    DMAuto->tblAuto.setFilter(QStringLiteral("numSklad='99'"));
    DMAuto->tblAuto.setFiltered(true);
    answers.press(QMessageBox::Ok);
    QTest::keyClick(frmMain->editTovName, Qt::Key_Delete);
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().size(), 2);
    QCOMPARE(answers.boxes()[1].text, QStringLiteral("Отсутствуют данные для модификации"));
    QCOMPARE(answers.boxes()[1].caption, QStringLiteral("Сообщение"));
    QCOMPARE(answers.boxes()[1].icon, QMessageBox::Information);
    QCOMPARE(catalogue_->count("tovars"), 2);
}

void TestMainWindow::toolButtonRunsItsCommandOnPress()
{
    open(0);
    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    // The box opens while the mouse button is still down.
    QTest::mousePress(frmMain->ToolBtnTovDel, Qt::LeftButton);
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().value(0).text, QStringLiteral("Отсутствуют данные для модификации"));
    QTest::mouseRelease(frmMain->ToolBtnTovDel, Qt::LeftButton);
    QCOMPARE(answers.boxes().size(), 1);
    QVERIFY(frmMain->ToolBtnTovDel->toolTip().isEmpty() ||
            !QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 50));
}

void TestMainWindow::aboutBox()
{
    open(0);
    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    frmMain->N1->trigger();
    QVERIFY(answers.waitAllAnswered());
    const ModalAnswers::Box &box = answers.boxes().value(0);
    QCOMPARE(box.text, QStringLiteral("Программа для учета автомобильных запчастей v1.0"));
    QCOMPARE(box.caption, QStringLiteral("О программе"));
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(box.owner, frmMain);
}

void TestMainWindow::helpItemIsHiddenAndNamesAMissingDocument()
{
    open(0);
    QVERIFY(!frmMain->N8->isVisible());
    QVERIFY(frmMain->N8->shortcut().isEmpty());
    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    frmMain->N8Click();
    const QString path = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() +
                                                  QStringLiteral("/DOCS/index.html"));
    QCOMPARE(answers.boxes().value(0).text,
             QStringLiteral("Файл справки \"") + path + QStringLiteral("\" не найден!"));
    QCOMPARE(answers.boxes().value(0).caption, QStringLiteral("Справочная система"));
}

void TestMainWindow::referenceCommandsOpenTheirLists()
{
    open(1);
    QString caption;
    ModalAnswers answers;
    answers.handle([&caption](QWidget *window) {
        caption = window->windowTitle();
        QTest::keyClick(window, Qt::Key_Escape);
    });
    QTest::keyClick(frmMain->gridAuto, Qt::Key_F1);
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(caption, QStringLiteral("Справочник категорий"));
    QVERIFY(!frmCategory->isVisible());
}

void TestMainWindow::photoBoxShowsTheCurrentRowsPhoto()
{
    catalogue_ = std::make_unique<TestCatalogue>();
    catalogue_->addGoods({1, {}, {}, {}, {}, {}, {}, {}, bmpFile(120, 80), {}});
    catalogue_->addGoods({2, {}, {}, {}, {}, {}, {}, {}, {}, {}});
    catalogue_->addGoods({3, {}, {}, {}, {}, {}, {}, {}, QByteArray("not a picture"), {}});
    Startup::createComponents();
    Startup::showMainWindow();

    QCOMPARE(frmMain->DBImage1->picture().size(), QSize(120, 80));
    DMAuto->tblAuto.moveTo(1);
    QVERIFY(frmMain->DBImage1->picture().isNull());

    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    frmMain->gridAuto->setFocus();
    QTest::keyClick(frmMain->gridAuto, Qt::Key_Down); // onto the row that holds no bitmap
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().value(0).text, QStringLiteral("Bitmap image is not valid."));
    QCOMPARE(answers.boxes().value(0).icon, QMessageBox::Critical);
    QCOMPARE(currentKey(), 3); // the move itself went through
    QVERIFY(frmMain->DBImage1->picture().isNull());
}

void TestMainWindow::closingStoresAPendingChange()
{
    open(2);
    DMAuto->tblAuto.Edit();
    DMAuto->tblAutomodels.setAsString(QStringLiteral("2107"));
    frmMain->close();
    QCOMPARE(catalogue_->query("SELECT models FROM tovars WHERE auto_id = 1").toString(),
             QStringLiteral("2107"));
}

void TestMainWindow::closingEndsEvenWhenThePendingChangeFails()
{
    open(2);
    DMAuto->tblAuto.Edit();
    DMAuto->tblAutomodels.setAsString(QStringLiteral("2107"));
    catalogue_->query("DELETE FROM tovars WHERE auto_id = 1"); // another program was quicker

    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    QVERIFY(frmMain->close());
    QCOMPARE(answers.boxes().size(), 1);
    QCOMPARE(answers.boxes()[0].icon, QMessageBox::Critical);
    QVERIFY(!frmMain->isVisible());
    QCOMPARE(catalogue_->count("tovars"), 1); // the row was not made anew
}

void TestMainWindow::helpLauncherPassesThePathAsAnArgument()
{
    QTemporaryDir sandbox;
    // A stand-in for the desktop's opener that writes down what it was given.
    const QString bin = sandbox.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    const QString record = sandbox.filePath(QStringLiteral("opened.txt"));
    QFile opener(bin + QStringLiteral("/xdg-open"));
    QVERIFY(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$RECORD\"\n");
    opener.close();
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString folder =
        sandbox.filePath(QStringLiteral("Shop \"A\" $(touch pwned); touch pwned2 `touch pwned3`"));
    QDir().mkpath(folder + QStringLiteral("/DOCS"));
    const QString document = folder + QStringLiteral("/DOCS/index.html");

    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + path);
    qputenv("RECORD", QFile::encodeName(record));
    QDir::setCurrent(sandbox.path());
    QVERIFY(RunViaComSpec(document));
    qputenv("PATH", path);

    QTRY_VERIFY(QFileInfo(record).size() > 0);
    QFile recorded(record);
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(recorded.readAll()), document);
    for (const char *name : {"pwned", "pwned2", "pwned3"})
        QVERIFY(!QFileInfo::exists(sandbox.filePath(QString::fromLatin1(name))));
}

namespace {

// Notes the pointer each time the goods list is sorted or searched anew.
class PointerWatch : public DataLink
{
public:
    explicit PointerWatch(Cursor &cursor) { cursor.attach(this); }
    ~PointerWatch() override
    {
        if (DataSet())
            DataSet()->detach(this);
    }
    QList<bool> busy;

protected:
    void dataEvent(const DataEvent &event) override
    {
        if (event.kind == DataEventKind::DataSetChanged) {
            const QCursor *pointer = QGuiApplication::overrideCursor();
            busy << (pointer && pointer->shape() == Qt::WaitCursor);
        }
    }
};

} // namespace

// The busy pointer for the commands that can take long on a large catalogue,
// put back afterwards, also when the command fails.
void TestMainWindow::sortAndSearchShowTheBusyPointer()
{
    open(3);
    {
        PointerWatch watch(DMAuto->tblAuto);
        frmMain->N6->trigger();                                   // sort by name
        frmMain->editTovName->setText(QStringLiteral("Деталь"));
        QTest::mouseClick(frmMain->Button1, Qt::LeftButton);     // «Найти»
        QCOMPARE(watch.busy, (QList<bool>{true, true}));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    // A sort that fails: the error box and the window after it show the
    // usual pointer.
    DMAuto->tblAuto.close();
    ModalAnswers answers;
    bool busyOverTheBox = true;
    answers.handle([&](QWidget *box) {
        busyOverTheBox = QGuiApplication::overrideCursor() != nullptr;
        QTest::keyClick(box, Qt::Key_Escape);
    });
    frmMain->N9->trigger();
    QVERIFY(answers.waitAllAnswered());
    QVERIFY(!busyOverTheBox);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

AUTOPARTS_GUI_TEST_MAIN(TestMainWindow)
#include "tst_unit_tr.moc"
