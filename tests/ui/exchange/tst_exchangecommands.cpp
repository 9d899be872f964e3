#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "TestCatalogue.h"
#include "TypeText.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "backup/BackupFolder.h"
#include "exchange/CsvReader.h"
#include "exchange/XlsxReader.h"
#include "ui/exchange/ImportDialog.h"
#include "ui/exchange/ImportSummaryDialog.h"
#include "ui/main/Unit_tr.h"
#include "ui/widgets/DBGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>

namespace {

// Answers the file dialog by typing `path` into it, as the user does.
void chooseFile(ModalAnswers &answers, const QString &path)
{
    answers.handle([path](QWidget *window) {
        auto *dialog = qobject_cast<QFileDialog *>(window);
        QVERIFY(dialog);
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
}

} // namespace

// The spreadsheet commands of the menu "Сервис" through the real windows.
class TestExchangeCommands : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void foundRowsGoToATable_data();
    void foundRowsGoToATable();
    void priceListComesIn();
    void linesLeftOutAreCounted_data();
    void linesLeftOutAreCounted();
    void whatToChangeIsRemembered_data();
    void whatToChangeIsRemembered();

private:
    std::unique_ptr<TestCatalogue> catalogue_;
};

void TestExchangeCommands::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestExchangeCommands::init()
{
    QSettings(QStringLiteral("autoparts"), QStringLiteral("autoparts")).clear();
    catalogue_ = std::make_unique<TestCatalogue>();
    catalogue_->addCategory(QStringLiteral("Фильтры"));
    catalogue_->addMake(QStringLiteral("ВАЗ"));
    catalogue_->addCountry(QStringLiteral("Россия"));
    const char *names[] = {"Фильтр масляный", "Свеча", "Фильтр воздушный", "Ремень"};
    for (int i = 0; i < 4; ++i) {
        TestCatalogue::Goods g;
        g.codeTov = QStringLiteral("C-%1").arg(i + 1);
        g.tovName = QString::fromUtf8(names[i]);
        g.models = QStringLiteral("210%1").arg(i);
        g.counts = 10 + i;
        g.price = qint64(100 + i) * 10000 + 5000;
        g.numSklad = 1;
        g.catId = g.autoType = g.countryId = 1;
        catalogue_->addGoods(g);
    }
    Startup::createComponents();
    Startup::showMainWindow();
}

void TestExchangeCommands::cleanup()
{
    Startup::destroyComponents();
    catalogue_.reset();
}

void TestExchangeCommands::foundRowsGoToATable_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("xlsx") << "найденные.xlsx";
    QTest::newRow("csv") << "найденные.csv";
}

void TestExchangeCommands::foundRowsGoToATable()
{
    QFETCH(QString, file);
    // A search and an arrangement of the columns that the table follows.
    frmMain->editTovName->setText(QStringLiteral("Фильтр"));
    QTest::mouseClick(frmMain->Button1, Qt::LeftButton);
    frmMain->N9->trigger(); // by price
    frmMain->mnuOrderDesc->trigger();
    QHeaderView *titles = frmMain->gridAuto->horizontalHeader();
    titles->moveSection(titles->visualIndex(6), titles->visualIndex(3)); // "Модель" before the name
    DMAuto->tblAuto.moveTo(1);
    const QString filter = DMAuto->tblAuto.Filter();

    const QString path = catalogue_->folder() + '/' + file;
    ModalAnswers answers;
    chooseFile(answers, path);
    answers.press(QMessageBox::Ok);
    frmMain->mnuExport->trigger();
    QVERIFY(answers.waitAllAnswered());
    QVERIFY2(
        answers.boxes().value(0).text.startsWith(QStringLiteral("Таблица сохранена (строк: 2)")),
        qPrintable(answers.boxes().value(0).text));

    const SheetTable sheet =
        file.endsWith(".xlsx") ? XlsxReader(path).read(0) : CsvReader::read(path);
    QCOMPARE(sheet.rows.front(),
             (QStringList{"Код товара", "Категория", "№ склада", "Модель", "Наименование", "Марка",
                          "Производитель", "Количество", "Цена", "Артикул"}));
    QCOMPARE(int(sheet.rows.size()), 3);
    QCOMPARE(sheet.rows[1].value(4), QStringLiteral("Фильтр воздушный")); // the dearer first
    QCOMPARE(sheet.rows[1].value(1), QStringLiteral("Фильтры"));
    QCOMPARE(sheet.rows[1].value(9), QStringLiteral("C-3"));
    // The list is as it was.
    QCOMPARE(DMAuto->tblAuto.currentRow(), 1);
    QCOMPARE(DMAuto->tblAuto.Filter(), filter);
    QCOMPARE(DMAuto->tblAuto.Sort(), QStringLiteral("price DESC"));
}

void TestExchangeCommands::priceListComesIn()
{
    const QString path = catalogue_->folder() + QStringLiteral("/прайс.csv");
    QFile list(path);
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("Код;Наименование товара;Цена, руб.;Остаток\r\n"
               "C-2;Свеча;120,00;11\r\n"  // a new price
               "C-4;Ремень;103,50;13\r\n" // as it is
               "N-1;Щётка стеклоочистителя;250;4\r\n"
               "C-9;;abc;1\r\n");
    list.close();
    const int shown = frmMain->gridAuto->model()->rowCount();

    ModalAnswers answers;
    chooseFile(answers, path);
    answers.handle([](QWidget *window) {
        auto *dialog = qobject_cast<ImportDialog *>(window);
        QVERIFY(dialog);
        QCOMPARE(dialog->preview->rowCount(), 5);
        QCOMPARE(dialog->cbColumns[PriceListMapping::Code]->currentText(),
                 QStringLiteral("A: Код"));
        QCOMPARE(dialog->cbColumns[PriceListMapping::Price]->currentData().toInt(), 2);
        QCOMPARE(dialog->cbColumns[PriceListMapping::Count]->currentData().toInt(), 3);
        QCOMPARE(dialog->cbColumns[PriceListMapping::Model]->currentData().toInt(), -1);
        dialog->checkAdd->setChecked(true);
        QTest::mouseClick(dialog->btnNext, Qt::LeftButton);
    });
    QString counts;
    QString refused;
    answers.handle([&](QWidget *window) {
        auto *summary = qobject_cast<ImportSummaryDialog *>(window);
        QVERIFY(summary);
        counts = summary->summary->text();
        refused = summary->refused->toPlainText();
        QTest::mouseClick(summary->btnApply, Qt::LeftButton);
    });
    answers.press(QMessageBox::Ok);
    frmMain->mnuImport->trigger();
    QVERIFY(answers.waitAllAnswered(20000));

    QVERIFY2(counts.startsWith(QStringLiteral("Будет добавлено товаров: 1\nБудет изменено "
                                              "товаров: 1\nОстанется без изменений: 1\nНе будет "
                                              "загружено строк: 1")),
             qPrintable(counts));
    QCOMPARE(refused, QStringLiteral("строка 5: цена «abc» не является числом"));
    QVERIFY(answers.boxes().value(0).text.startsWith(QStringLiteral("Прайс-лист загружен.")));
    QCOMPARE(catalogue_->query("SELECT price || '/' || counts FROM tovars WHERE codeTov = 'C-2'")
                 .toString(),
             QStringLiteral("120/11"));
    QCOMPARE(catalogue_->query("SELECT tovName FROM tovars WHERE codeTov = 'N-1'").toString(),
             QStringLiteral("Щётка стеклоочистителя"));
    // The windows show the result, and a copy from before it was taken.
    QCOMPARE(frmMain->gridAuto->model()->rowCount(), shown + 1);
    QCOMPARE(BackupFolder(catalogue_->path()).entries().size(), size_t(1));
}

void TestExchangeCommands::linesLeftOutAreCounted_data()
{
    QTest::addColumn<int>("unknown");
    QTest::addColumn<bool>("addNew");
    QTest::addColumn<QString>("added");
    const auto leftOut = [](const char *lines) {
        return QStringLiteral(
                   "Будет добавлено товаров: 0 (не добавлены: %1, которых нет в каталоге)")
            .arg(QString::fromUtf8(lines));
    };
    QTest::newRow("1") << 1 << false << leftOut("1 строка");
    QTest::newRow("2") << 2 << false << leftOut("2 строки");
    QTest::newRow("4") << 4 << false << leftOut("4 строки");
    QTest::newRow("5") << 5 << false << leftOut("5 строк");
    QTest::newRow("11") << 11 << false << leftOut("11 строк");
    QTest::newRow("14") << 14 << false << leftOut("14 строк");
    QTest::newRow("21") << 21 << false << leftOut("21 строка");
    QTest::newRow("22") << 22 << false << leftOut("22 строки");
    QTest::newRow("112") << 112 << false << leftOut("112 строк");
    QTest::newRow("none unknown") << 0 << false << "Будет добавлено товаров: 0";
    QTest::newRow("added instead") << 3 << true << "Будет добавлено товаров: 3";
}

void TestExchangeCommands::linesLeftOutAreCounted()
{
    QFETCH(int, unknown);
    QFETCH(bool, addNew);
    QFETCH(QString, added);
    SheetTable sheet;
    sheet.rows.push_back({"Код", "Наименование товара", "Цена, руб."});
    sheet.rows.push_back({"C-1", "Фильтр масляный", "100,50"}); // as it is
    for (int i = 0; i < unknown; ++i)
        sheet.rows.push_back(
            {QStringLiteral("N-%1").arg(i), QStringLiteral("Деталь %1").arg(i), "7"});
    PriceListImport::Options options;
    options.addNew = addNew;
    const PriceListImport::Plan plan = PriceListImport::plan(
        DMAuto->ADOConnection, sheet, PriceListMapping::guess(sheet.rows.front()), options);

    // The lines left out are not counted again among the goods left alone.
    QCOMPARE(ImportSummaryDialog::counts(plan),
             added + QStringLiteral("\nБудет изменено товаров: 0\nОстанется без изменений: 1\n"
                                    "Не будет загружено строк: 0"));
}

void TestExchangeCommands::whatToChangeIsRemembered_data()
{
    QTest::addColumn<bool>("price");
    QTest::addColumn<bool>("count");
    QTest::addColumn<bool>("add");
    QTest::addColumn<bool>("goOn");
    // No two boxes alike in some row, so that no two can be mixed up unseen.
    QTest::newRow("only added goods, Далее") << false << false << true << true;
    QTest::newRow("only prices, Далее") << true << false << false << true;
    QTest::newRow("Отмена keeps the defaults") << false << false << true << false;
}

void TestExchangeCommands::whatToChangeIsRemembered()
{
    QFETCH(bool, price);
    QFETCH(bool, count);
    QFETCH(bool, add);
    QFETCH(bool, goOn);
    SheetTable sheet;
    sheet.rows = {{"Код", "Цена"}, {"C-1", "1"}};
    const auto open = [&] {
        auto dialog = std::make_unique<ImportDialog>(frmMain, QStringList{"прайс.csv"},
                                                     [sheet](int) { return sheet; });
        dialog->show();
        return dialog;
    };
    const auto boxes = [](const ImportDialog &d) {
        return QList<bool>{d.checkPrice->isChecked(), d.checkCount->isChecked(),
                           d.checkAdd->isChecked(), d.checkTitles->isChecked()};
    };

    auto first = open();
    QCOMPARE(boxes(*first), (QList<bool>{true, true, false, true}));
    first->checkPrice->setChecked(price);
    first->checkCount->setChecked(count);
    first->checkAdd->setChecked(add);
    first->checkTitles->setChecked(false); // it belongs to the file, and is not kept
    QTest::mouseClick(goOn ? first->btnNext : first->btnCancel, Qt::LeftButton);
    QVERIFY(first->isHidden());
    first.reset();

    const auto second = open();
    QCOMPARE(boxes(*second), goOn ? (QList<bool>{price, count, add, true})
                                  : (QList<bool>{true, true, false, true}));
}

AUTOPARTS_GUI_TEST_MAIN(TestExchangeCommands)
#include "tst_exchangecommands.moc"
