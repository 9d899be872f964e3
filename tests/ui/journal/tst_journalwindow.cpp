#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "TestCatalogue.h"
#include "TypeText.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "journal/JournalWitness.h"
#include "ui/exchange/ImportDialog.h"
#include "ui/exchange/ImportSummaryDialog.h"
#include "ui/goods/Unit_editTovars.h"
#include "ui/journal/JournalModel.h"
#include "ui/journal/JournalWindow.h"
#include "ui/main/Unit_tr.h"
#include "ui/reference/Unit_Category.h"
#include "ui/reference/Unit_category_edit.h"
#include "ui/widgets/DBEdit.h"
#include "ui/widgets/DBGrid.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>

using Inside = std::function<void(JournalWindow *)>;

// The journal of changes through the real windows: what each write of the
// main window records, the list and its filters, and undo. Goods 1 «Фильтр
// масляный» (10 pieces, 289,50), 2 «Свеча» (4), 3 «Ремень» (7).
class TestJournalWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void eachWriteLeavesOneRecord_data();
    void eachWriteLeavesOneRecord();
    void listNewestFirstInWordsAndFiltered();
    void historyShowsTheCurrentRowOnly();
    void aLongJournalIsReadAPageAtATime();
    void undoOfADeleteBringsTheRowBack();
    void undoAsksWhenTheRowChangedSince_data();
    void undoAsksWhenTheRowChangedSince();
    void undoOfAWholePriceList();

private:
    void withJournal(QAction *command, ModalAnswers &answers, const Inside &inside);
    void editCount(qint64 key, const QString &count);
    void deleteFromMenu(qint64 key);
    QString text(JournalWindow *window, int row, int column)
    {
        return window->model->index(row, column).data().toString();
    }
    QVariant stored(const char *column, qint64 key)
    {
        const QByteArray sql = QByteArray("SELECT ") + column + " FROM tovars WHERE auto_id = ?";
        return catalogue_->query(sql.constData(), {key});
    }
    QVariant lastRecord(const char *column)
    {
        const QByteArray sql = QByteArray("SELECT ") + column + " FROM journal ORDER BY id DESC";
        return catalogue_->query(sql.constData());
    }

    std::unique_ptr<TestCatalogue> catalogue_;
};

void TestJournalWindow::init()
{
    catalogue_ = std::make_unique<TestCatalogue>();
    catalogue_->addCategory(QStringLiteral("Фильтры"));
    catalogue_->addMake(QStringLiteral("ВАЗ"));
    catalogue_->addCountry(QStringLiteral("Россия"));
    catalogue_->addGoods({1,
                          1,
                          QStringLiteral("Фильтр масляный"),
                          QStringLiteral("2107"),
                          10,
                          2895000,
                          1,
                          1,
                          {},
                          QStringLiteral("C-1")});
    catalogue_->addGoods(
        {1, 1, QStringLiteral("Свеча"), {}, 4, 1000000, 1, 1, {}, QStringLiteral("C-2")});
    catalogue_->addGoods(
        {1, 1, QStringLiteral("Ремень"), {}, 7, 500000, 1, 1, {}, QStringLiteral("C-3")});
    Startup::createComponents();
    Startup::showMainWindow();
    QVERIFY(DMAuto->hasJournal());
    QCOMPARE(catalogue_->count("journal"), 0);
}

void TestJournalWindow::cleanup()
{
    Startup::destroyComponents();
    catalogue_.reset();
}

void TestJournalWindow::withJournal(QAction *command, ModalAnswers &answers, const Inside &inside)
{
    bool ran = false;
    answers.handle([&](QWidget *modal) {
        ran = true;
        auto *window = qobject_cast<JournalWindow *>(modal);
        QVERIFY(window);
        QApplication::setActiveWindow(window);
        inside(window);
        if (window->isVisible())
            QTest::mouseClick(window->btnClose, Qt::LeftButton);
    });
    command->trigger();
    QVERIFY(answers.waitAllAnswered(20000));
    QVERIFY(ran);
}

void TestJournalWindow::editCount(qint64 key, const QString &count)
{
    QVERIFY(DMAuto->tblAuto.Locate(QStringLiteral("auto_id"), key));
    ModalAnswers answers;
    answers.handle([&](QWidget *) {
        QApplication::setActiveWindow(frmTovarEdit);
        frmTovarEdit->editCount->setFocus();
        frmTovarEdit->editCount->selectAll();
        typeText(frmTovarEdit->editCount, count);
        QTest::mouseClick(frmTovarEdit->BitBtn1, Qt::LeftButton);
    });
    frmMain->mnuEdit->trigger();
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(stored("counts", key).toString(), count);
}

void TestJournalWindow::deleteFromMenu(qint64 key)
{
    QVERIFY(DMAuto->tblAuto.Locate(QStringLiteral("auto_id"), key));
    ModalAnswers answers;
    answers.press(QMessageBox::Yes);
    frmMain->mnuDelete->trigger();
    QVERIFY(answers.waitAllAnswered());
    QVERIFY(stored("tovName", key).isNull());
}

void TestJournalWindow::eachWriteLeavesOneRecord_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("road");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("value"); // as JSON
    QTest::newRow("goods editor") << "editor"
                                  << "editor" << 2 << "tovars" << 1 << "counts"
                                  << "[10,8]";
    QTest::newRow("Ctrl+Del in the grid") << "grid"
                                          << "grid" << 3 << "tovars" << 2 << "tovName"
                                          << "\"Свеча\"";
    QTest::newRow("menu delete") << "menu"
                                 << "grid" << 3 << "tovars" << 2 << "counts"
                                 << "4";
    QTest::newRow("reference dialog") << "reference"
                                      << "reference" << 1 << "category" << 2 << "catName"
                                      << "\"Масла\"";
}

void TestJournalWindow::eachWriteLeavesOneRecord()
{
    QFETCH(QString, how);
    QFETCH(QString, road);
    QFETCH(int, kind);
    QFETCH(QString, table);
    QFETCH(int, key);
    QFETCH(QString, column);
    QFETCH(QString, value);

    if (how == QLatin1String("editor")) {
        editCount(1, QStringLiteral("8"));
    } else if (how == QLatin1String("grid")) {
        DMAuto->tblAuto.moveTo(1);
        ModalAnswers answers;
        answers.pressText(QStringLiteral("OK"));
        frmMain->gridAuto->setFocus();
        QTest::keyClick(frmMain->gridAuto, Qt::Key_Delete, Qt::ControlModifier);
        QVERIFY(answers.waitAllAnswered());
        QCOMPARE(catalogue_->count("tovars"), 2);
    } else if (how == QLatin1String("menu")) {
        deleteFromMenu(2);
    } else {
        ModalAnswers answers;
        answers.handle([&](QWidget *list) {
            answers.handle([](QWidget *dialog) {
                QApplication::setActiveWindow(dialog);
                typeText(frmCatEdit->edit, QStringLiteral("Масла"));
                QTest::keyClick(frmCatEdit->edit, Qt::Key_Return);
            });
            QTest::mouseClick(frmCategory->btnAdd, Qt::LeftButton);
            QTest::keyClick(list, Qt::Key_Escape);
        });
        frmMain->mnuCategory->trigger();
        QVERIFY(answers.waitAllAnswered());
    }

    QCOMPARE(catalogue_->count("journal"), 1);
    QCOMPARE(lastRecord("road").toString(), road);
    QCOMPARE(lastRecord("kind").toInt(), kind);
    QCOMPARE(lastRecord("tbl").toString(), table);
    QCOMPARE(lastRecord("row_key").toInt(), key);
    QCOMPARE(lastRecord("computer").toString(), JournalWitness::thisPlace().computer);
    const QJsonObject changes =
        QJsonDocument::fromJson(lastRecord("changes").toString().toUtf8()).object();
    const QByteArray written =
        QJsonDocument(QJsonArray{changes.value(column)}).toJson(QJsonDocument::Compact);
    QCOMPARE(QString::fromUtf8(written), '[' + value + ']');
}

void TestJournalWindow::listNewestFirstInWordsAndFiltered()
{
    editCount(1, QStringLiteral("8"));
    deleteFromMenu(2);
    ModalAnswers answers;
    withJournal(frmMain->mnuJournal, answers, [&](JournalWindow *window) {
        QAbstractItemModelTester tester(window->model);
        QCOMPARE(window->windowTitle(), QStringLiteral("Журнал изменений"));
        QVERIFY(!window->checkRow->isVisible());
        QCOMPARE(window->model->rowCount(), 2);
        QCOMPARE(text(window, 0, JournalModel::Row), QStringLiteral("удалена запчасть 2 «Свеча»"));
        QCOMPARE(text(window, 0, JournalModel::Road), QStringLiteral("удаление в списке"));
        QCOMPARE(text(window, 1, JournalModel::Row),
                 QStringLiteral("изменена запчасть 1 «Фильтр масляный»"));
        QCOMPARE(text(window, 1, JournalModel::Change), QStringLiteral("Количество: 10 → 8"));
        QCOMPARE(text(window, 1, JournalModel::Road), QStringLiteral("окно запчасти"));
        QCOMPARE(text(window, 1, JournalModel::User), JournalWitness::thisPlace().login);
        QCOMPARE(text(window, 1, JournalModel::Computer), JournalWitness::thisPlace().computer);
        const QString when = text(window, 1, JournalModel::At);
        QVERIFY2(when.startsWith(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy "))) &&
                     QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} "
                                                       "\\d\\d:\\d\\d:\\d\\d$"))
                         .match(when)
                         .hasMatch(),
                 qPrintable(when));
        QCOMPARE(window->labelCount->text(), QStringLiteral("Записей: 2"));
        // Each operation here is one record: only the single undo.
        QVERIFY(window->btnUndo->isEnabled());
        QVERIFY(!window->btnUndoOperation->isEnabled());

        struct Case
        {
            QString text, computer;
            int kind;
            int fromDays; // from today + this, unless -1000
            QStringList rows;
        };
        const QList<Case> cases = {
            {"масл", {}, 0, -1000, {"изменена запчасть 1 «Фильтр масляный»"}},
            {"2", {}, 0, -1000, {"удалена запчасть 2 «Свеча»"}},
            {{}, {}, 3, -1000, {"удалена запчасть 2 «Свеча»"}},
            {{}, "другой компьютер", 0, -1000, {}},
            {{}, {}, 0, 1, {}},
            {{}, {}, 0, 0, {"удалена запчасть 2 «Свеча»", "изменена запчасть 1 «Фильтр масляный»"}},
        };
        for (const Case &c : cases) {
            window->editText->setText(c.text);
            window->editComputer->setText(c.computer);
            window->cbKind->setCurrentIndex(window->cbKind->findData(c.kind));
            window->checkFrom->setChecked(c.fromDays != -1000);
            window->dateFrom->setDate(QDate::currentDate().addDays(c.fromDays));
            QTest::keyClick(window->editText, Qt::Key_Return);
            QStringList rows;
            for (int row = 0; row < window->model->rowCount(); ++row)
                rows << text(window, row, JournalModel::Row);
            QCOMPARE(rows, c.rows);
        }
        // A period that ends before it begins is refused.
        window->checkTo->setChecked(true);
        window->dateTo->setDate(QDate::currentDate().addDays(-1));
        answers.press(QMessageBox::Ok);
        QTest::mouseClick(window->btnFind, Qt::LeftButton);
        QCOMPARE(answers.boxes().value(0).text, QStringLiteral("Начало периода позже его конца."));
        QCOMPARE(window->model->rowCount(), 2);
    });
}

void TestJournalWindow::historyShowsTheCurrentRowOnly()
{
    editCount(1, QStringLiteral("8"));
    editCount(3, QStringLiteral("6"));
    editCount(1, QStringLiteral("9"));
    DMAuto->tblAuto.moveTo(0);
    ModalAnswers answers;
    withJournal(frmMain->mnuHistory, answers, [&](JournalWindow *window) {
        QVERIFY(window->checkRow->isChecked());
        QCOMPARE(window->checkRow->text(), QStringLiteral("Только запчасть 1 «Фильтр масляный»"));
        QCOMPARE(window->model->rowCount(), 2);
        QCOMPARE(text(window, 0, JournalModel::Change), QStringLiteral("Количество: 8 → 9"));
        QCOMPARE(text(window, 1, JournalModel::Change), QStringLiteral("Количество: 10 → 8"));
        // Unticked, the whole journal.
        window->checkRow->setChecked(false);
        QTest::mouseClick(window->btnFind, Qt::LeftButton);
        QCOMPARE(window->model->rowCount(), 3);
    });

    // With no row shown there is no history to show.
    DMAuto->tblAuto.setFilter(QStringLiteral("numSklad='99'"));
    DMAuto->tblAuto.setFiltered(true);
    answers.press(QMessageBox::Ok);
    frmMain->mnuHistory->trigger();
    QVERIFY(answers.waitAllAnswered());
    QVERIFY(answers.boxes().value(0).text.startsWith(QStringLiteral("Не выбрана запчасть")));
}

void TestJournalWindow::aLongJournalIsReadAPageAtATime()
{
    catalogue_->query(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 450) "
        "INSERT INTO journal (op, at, road, computer, login, tbl, row_key, kind, "
        "title, changes) SELECT 0, ?, 'other', 'касса', 'olga', 'tovars', i, 2, "
        "'Деталь', '{\"counts\":[1,2]}' FROM n",
        {QDateTime::currentMSecsSinceEpoch()});
    ModalAnswers answers;
    withJournal(frmMain->mnuJournal, answers, [&](JournalWindow *window) {
        // Shown, the window has read one page only.
        QVERIFY(window->isVisible());
        QCOMPARE(window->model->rowCount(), JournalModel::PageSize);
        QCOMPARE(window->labelCount->text(),
                 QStringLiteral("Показано записей: 200, ниже есть ещё"));
        window->list->scrollToBottom();
        QTRY_COMPARE(window->model->rowCount(), 2 * JournalModel::PageSize);
        window->list->scrollToBottom();
        QTRY_COMPARE(window->model->rowCount(), 450);
        QVERIFY(!window->model->canFetchMore({}));
        QCOMPARE(window->labelCount->text(), QStringLiteral("Записей: 450"));
        // Newest first, each record once across the pages.
        for (int row = 0; row < 450; ++row)
            QCOMPARE(window->model->record(row).key, qint64(450 - row));
        QAbstractItemModelTester tester(window->model);
    });
}

void TestJournalWindow::undoOfADeleteBringsTheRowBack()
{
    deleteFromMenu(2);
    QCOMPARE(frmMain->gridAuto->model()->rowCount(), 2);
    ModalAnswers answers;
    withJournal(frmMain->mnuJournal, answers, [&](JournalWindow *window) {
        window->list->selectRow(0);
        QTest::mouseClick(window->btnUndo, Qt::LeftButton);
        QCOMPARE(answers.boxes().size(), 0); // untouched since: nothing to ask
        // The main window shows it while the journal is still open.
        QCOMPARE(frmMain->gridAuto->model()->rowCount(), 3);
        QCOMPARE(window->model->rowCount(), 2);
        QCOMPARE(text(window, 0, JournalModel::Road), QStringLiteral("отмена"));
        QCOMPARE(text(window, 0, JournalModel::Row),
                 QStringLiteral("добавлена запчасть 2 «Свеча»"));
    });
    QCOMPARE(stored("tovName", 2).toString(), QStringLiteral("Свеча"));
    QCOMPARE(stored("counts", 2).toInt(), 4);
    QCOMPARE(stored("price", 2).toDouble(), 100.0);
    QCOMPARE(lastRecord("road").toString(), QStringLiteral("undo"));
    QVERIFY(DMAuto->tblAuto.Locate(QStringLiteral("auto_id"), 2));
    QCOMPARE(DMAuto->tblAutotovName.AsString(), QStringLiteral("Свеча"));
}

void TestJournalWindow::undoAsksWhenTheRowChangedSince_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<int>("counts");
    QTest::newRow("Нет: nothing changes") << false << 9;
    QTest::newRow("Да: undone all the same") << true << 10;
}

void TestJournalWindow::undoAsksWhenTheRowChangedSince()
{
    QFETCH(bool, yes);
    QFETCH(int, counts);
    editCount(1, QStringLiteral("8"));
    catalogue_->query("UPDATE tovars SET counts = 9 WHERE auto_id = 1"); // another program
    ModalAnswers answers;
    withJournal(frmMain->mnuJournal, answers, [&](JournalWindow *window) {
        QCOMPARE(text(window, 0, JournalModel::Road), QStringLiteral("другая программа"));
        window->list->selectRow(1);
        answers.press(yes ? QMessageBox::Yes : QMessageBox::No);
        QTest::mouseClick(window->btnUndo, Qt::LeftButton);
        QCOMPARE(window->model->rowCount(), yes ? 3 : 2);
    });
    const QString asked = answers.boxes().value(0).text;
    QVERIFY2(asked.contains(QStringLiteral("Количество: записано 8, сейчас 9")), qPrintable(asked));
    QVERIFY(asked.endsWith(QStringLiteral("Отменить всё равно?")));
    QCOMPARE(stored("counts", 1).toInt(), counts);
    QCOMPARE(catalogue_->count("journal"), yes ? 3 : 2);
}

void TestJournalWindow::undoOfAWholePriceList()
{
    const QString path = catalogue_->folder() + QStringLiteral("/прайс.csv");
    QFile list(path);
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("Код;Наименование товара;Цена, руб.;Остаток\r\n"
               "C-1;Фильтр масляный;300,00;12\r\n"
               "N-1;Щётка стеклоочистителя;250;4\r\n");
    list.close();
    ModalAnswers answers;
    answers.handle([path](QWidget *window) {
        auto *dialog = qobject_cast<QFileDialog *>(window);
        QVERIFY(dialog);
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    answers.handle([](QWidget *window) {
        auto *dialog = qobject_cast<ImportDialog *>(window);
        QVERIFY(dialog);
        dialog->checkAdd->setChecked(true);
        QTest::mouseClick(dialog->btnNext, Qt::LeftButton);
    });
    answers.handle([](QWidget *window) {
        QTest::mouseClick(qobject_cast<ImportSummaryDialog *>(window)->btnApply, Qt::LeftButton);
    });
    answers.press(QMessageBox::Ok);
    frmMain->mnuImport->trigger();
    QVERIFY(answers.waitAllAnswered(20000));
    QCOMPARE(stored("price", 1).toDouble(), 300.0);
    const qint64 added =
        catalogue_->query("SELECT auto_id FROM tovars WHERE codeTov = 'N-1'").toLongLong();
    QVERIFY(added > 3);
    // Changed since by another program: that row stays.
    catalogue_->query("UPDATE tovars SET counts = 3 WHERE auto_id = ?", {added});

    withJournal(frmMain->mnuJournal, answers, [&](JournalWindow *window) {
        QCOMPARE(window->model->rowCount(), 3);
        window->list->selectRow(0); // another program's change: an operation of its own
        QVERIFY(!window->btnUndoOperation->isEnabled());
        window->list->selectRow(2);
        QCOMPARE(text(window, 2, JournalModel::Road), QStringLiteral("прайс-лист"));
        QVERIFY(window->btnUndoOperation->isEnabled());
        answers.press(QMessageBox::Yes);
        answers.press(QMessageBox::Ok);
        QTest::mouseClick(window->btnUndoOperation, Qt::LeftButton);
        QVERIFY(answers.waitAllAnswered());
    });
    QVERIFY2(answers.boxes().value(1).text.contains(QStringLiteral("Записей в ней: 2.")),
             qPrintable(answers.boxes().value(1).text));
    const QString result = answers.boxes().value(2).text;
    QVERIFY2(result.startsWith(QStringLiteral("Отменено записей: 1.\n\nНе отменено (1):\n")) &&
                 result.contains(QStringLiteral("Щётка стеклоочистителя")),
             qPrintable(result));
    QCOMPARE(stored("price", 1).toDouble(), 289.5);
    QCOMPARE(stored("counts", 1).toInt(), 10);
    QCOMPARE(stored("counts", added).toInt(), 3);
    QVERIFY(DMAuto->tblAuto.Locate(QStringLiteral("auto_id"), 1));
    QCOMPARE(DMAuto->tblAutocounts.AsInteger(), 10);
}

AUTOPARTS_GUI_TEST_MAIN(TestJournalWindow)
#include "tst_journalwindow.moc"
