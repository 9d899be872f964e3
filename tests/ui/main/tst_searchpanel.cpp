#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "TestCatalogue.h"
#include "TypeText.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "ui/main/Unit_tr.h"
#include "ui/widgets/DBGrid.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <map>

namespace {

QStringList shownKeys()
{
    QStringList keys;
    const QAbstractItemModel *model = frmMain->gridAuto->model();
    for (int row = 0; row < model->rowCount(); ++row)
        keys << model->index(row, 0).data().toString();
    return keys;
}

void pick(QComboBox *list, const QString &item)
{
    const int index = list->findText(item);
    QVERIFY2(index >= 0, qPrintable(item));
    list->setCurrentIndex(index);
}

} // namespace

// The search panel and the sort menu, through the real widgets. The catalogue
// has categories with keys 1..3, makes 1..12 and countries 1..2, and goods
// 1..6 built around the worked example of the search.
class TestSearchPanel : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startState();
    void listItemsHaveTheirHeights_data();
    void listItemsHaveTheirHeights();
    void workedExampleCharacterForCharacter();
    void eachCriterionAlone_data();
    void eachCriterionAlone();
    void typedQuotesCannotChangeTheFilter();
    void searchStates();
    void rejectedNumberKeepsTheInputs_data();
    void rejectedNumberKeepsTheInputs();
    void tickingAnEmptyReferenceUnticksIt();
    void tickingAgainGivesAFreshList();
    void fillingLeavesTheLastReferenceForANewRow();
    void sortCommands();
    void sortAndSearchKeepEachOther();

private:
    void find() { QTest::mouseClick(frmMain->Button1, Qt::LeftButton); }

    std::unique_ptr<TestCatalogue> catalogue_;
};

void TestSearchPanel::init()
{
    catalogue_ = std::make_unique<TestCatalogue>();
    TestCatalogue &c = *catalogue_;
    for (const char *name : {"Фильтры", "Двигатель", "Тормоза"})
        c.addCategory(QString::fromUtf8(name));
    for (int i = 1; i <= 12; ++i)
        c.addMake(i == 12 ? QStringLiteral("ВАЗ") : QStringLiteral("Марка %1").arg(i, 2, 10, QLatin1Char('0')));
    c.addCountry(QStringLiteral("Япония"));
    c.addCountry(QStringLiteral("Россия"));
    const auto goods = [&c](int sklad, int cat, const char *name, const char *model,
                            std::optional<int> counts, qint64 price, int make, int country) {
        c.addGoods({sklad, cat, QString::fromUtf8(name), QString::fromUtf8(model), counts, price,
                    make, country, {}, {}});
    };
    goods(1, 3, "Фильтр масляный", "2107", 5, 1500000, 12, 2);      // 1: the worked example
    goods(1, 3, "Фильтр воздушный", "2107", 20, 1500000, 12, 2);    // 2: too many
    goods(1, 3, "фильтр топливный", "21074", 3, 990000, 12, 2);     // 3: too cheap
    goods(2, 1, "Свеча BOSCH", "O'Neil", 7, 2500, 1, 1);            // 4
    goods(3, 2, "  Прокладка", "Camry", {}, 1000000, 1, 1);         // 5: two leading blanks
    goods(1, 3, "Фильтр масляный", "2106", 1, 2000000, 12, 2);      // 6: other model
    Startup::createComponents();
    Startup::showMainWindow();
    QApplication::setActiveWindow(frmMain);
}

void TestSearchPanel::cleanup()
{
    Startup::destroyComponents();
    catalogue_.reset();
}

void TestSearchPanel::startState()
{
    for (QComboBox *list : {frmMain->cbCat, frmMain->cbMarka, frmMain->cbCountry}) {
        QCOMPARE(list->count(), 0);
        QVERIFY(!list->isEnabled());
    }
    for (QComboBox *op : {frmMain->cbPrice, frmMain->cbNumSklad, frmMain->cbCount}) {
        QCOMPARE(op->currentText(), QStringLiteral("="));
        QCOMPARE(op->count(), 4);
    }
    QVERIFY(!frmMain->Button1->isDefault() && !frmMain->Button1->autoDefault());
    QCOMPARE(frmMain->Button1->geometry(), QRect(546, 160, 75, 25));
    QCOMPARE(frmMain->editTovName->geometry(), QRect(9, 78, 402, 21));
    // Keyboard order of the panel starts at the name field.
    QCOMPARE(frmMain->editTovName->nextInFocusChain(), frmMain->checkCat);
    QCOMPARE(frmMain->checkMarka->nextInFocusChain(), frmMain->Button1);
}

void TestSearchPanel::listItemsHaveTheirHeights_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("height");
    QTest::newRow("cbCat") << "cbCat" << 13;
    QTest::newRow("cbMarka") << "cbMarka" << 16;
    QTest::newRow("cbCountry") << "cbCountry" << 16;
    QTest::newRow("cbPrice") << "cbPrice" << 16;
    QTest::newRow("cbNumSklad") << "cbNumSklad" << 16;
    QTest::newRow("cbCount") << "cbCount" << 16;
}

void TestSearchPanel::listItemsHaveTheirHeights()
{
    QFETCH(QString, list);
    QFETCH(int, height);
    for (QCheckBox *box : {frmMain->checkCat, frmMain->checkMarka, frmMain->checkCountry})
        box->setChecked(true);
    const std::map<QString, QComboBox *> lists = {
        {"cbCat", frmMain->cbCat},           {"cbMarka", frmMain->cbMarka},
        {"cbCountry", frmMain->cbCountry},   {"cbPrice", frmMain->cbPrice},
        {"cbNumSklad", frmMain->cbNumSklad}, {"cbCount", frmMain->cbCount}};
    QComboBox *combo = lists.at(list);
    QVERIFY(combo && combo->count() > 1);
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    QTRY_VERIFY(view->isVisible());
    for (int row = 0; row < 2; ++row)
        QCOMPARE(view->visualRect(view->model()->index(row, 0)).height(), height);
    combo->hidePopup();
}

void TestSearchPanel::workedExampleCharacterForCharacter()
{
    frmMain->checkCat->click();
    frmMain->checkMarka->click();
    frmMain->checkCountry->click();
    pick(frmMain->cbCat, QStringLiteral("Тормоза")); // key 3
    pick(frmMain->cbMarka, QStringLiteral("ВАЗ"));   // key 12
    pick(frmMain->cbCountry, QStringLiteral("Россия")); // key 2
    typeText(frmMain->editTovName, QStringLiteral("Фильтр"));
    pick(frmMain->cbPrice, QStringLiteral(">="));
    typeText(frmMain->editPrice, QStringLiteral("100"));
    typeText(frmMain->editNumSklad, QStringLiteral("1"));
    pick(frmMain->cbCount, QStringLiteral("<="));
    typeText(frmMain->editCount, QStringLiteral("10"));
    typeText(frmMain->editModel, QStringLiteral("2107"));
    find();

    QCOMPARE(DMAuto->tblAuto.Filter(),
             QStringLiteral("cat_id='3' AND auto_type='12' AND country_id='2' AND tovName LIKE "
                            "'Фильтр%' AND price>='100' AND numSklad='1' AND counts<='10' AND "
                            "models LIKE '%2107%'"));
    QVERIFY(DMAuto->tblAuto.Filtered());
    QCOMPARE(shownKeys(), QStringList({"1"}));
}

void TestSearchPanel::eachCriterionAlone_data()
{
    QTest::addColumn<QString>("field"); // which input
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("keys");

    QTest::newRow("category") << "cat" << "" << "Двигатель" << "cat_id='2'" << QStringList{"5"};
    QTest::newRow("make") << "make" << "" << "Марка 01" << "auto_type='1'" << QStringList{"4", "5"};
    QTest::newRow("country") << "country" << "" << "Япония" << "country_id='1'"
                             << QStringList{"4", "5"};
    QTest::newRow("name prefix, any case") << "name" << "" << "фильтр"
                                           << "tovName LIKE 'фильтр%'"
                                           << QStringList{"1", "2", "3", "6"};
    QTest::newRow("name prefix, no match") << "name" << "" << "Свечи"
                                           << "tovName LIKE 'Свечи%'" << QStringList{};
    QTest::newRow("Latin any case") << "name" << "" << "свеча bosch"
                                    << "tovName LIKE 'свеча bosch%'" << QStringList{"4"};
    QTest::newRow("two blanks kept") << "name" << "" << "  "
                                     << "tovName LIKE '  %'" << QStringList{"5"};
    QTest::newRow("price, decimal comma") << "price" << "<=" << "99,5"
                                          << "price<='99,5'" << QStringList{"3", "4"};
    QTest::newRow("price, decimal point") << "price" << "<>" << "150.00"
                                          << "price<>'150.00'" << QStringList{"3", "4", "5", "6"};
    QTest::newRow("warehouse") << "sklad" << ">=" << "2" << "numSklad>='2'"
                               << QStringList{"4", "5"};
    QTest::newRow("quantity, empty never matches") << "count" << "<>" << "5" << "counts<>'5'"
                                                   << QStringList{"2", "3", "4", "6"};
    QTest::newRow("model fragment") << "model" << "" << "210" << "models LIKE '%210%'"
                                    << QStringList{"1", "2", "3", "6"};
    QTest::newRow("model, no match") << "model" << "" << "Patriot"
                                     << "models LIKE '%Patriot%'" << QStringList{};
}

void TestSearchPanel::eachCriterionAlone()
{
    QFETCH(QString, field);
    QFETCH(QString, op);
    QFETCH(QString, text);
    QFETCH(QString, filter);
    QFETCH(QStringList, keys);
    const QMap<QString, std::pair<QCheckBox *, QComboBox *>> lists = {
        {"cat", {frmMain->checkCat, frmMain->cbCat}},
        {"make", {frmMain->checkMarka, frmMain->cbMarka}},
        {"country", {frmMain->checkCountry, frmMain->cbCountry}}};
    const QMap<QString, std::pair<QLineEdit *, QComboBox *>> edits = {
        {"name", {frmMain->editTovName, nullptr}},
        {"model", {frmMain->editModel, nullptr}},
        {"price", {frmMain->editPrice, frmMain->cbPrice}},
        {"sklad", {frmMain->editNumSklad, frmMain->cbNumSklad}},
        {"count", {frmMain->editCount, frmMain->cbCount}}};
    if (lists.contains(field)) {
        lists[field].first->click();
        pick(lists[field].second, text);
    } else {
        if (edits[field].second)
            pick(edits[field].second, op);
        typeText(edits[field].first, text);
    }
    find();
    QCOMPARE(DMAuto->tblAuto.Filter(), filter); // one criterion: no " AND "
    QCOMPARE(shownKeys(), keys);
}

void TestSearchPanel::typedQuotesCannotChangeTheFilter()
{
    typeText(frmMain->editModel, QStringLiteral("O'Neil"));
    find();
    QCOMPARE(DMAuto->tblAuto.Filter(), QStringLiteral("models LIKE '%O''Neil%'"));
    QCOMPARE(shownKeys(), QStringList({"4"}));

    // An attempt to widen the search by typing filter syntax finds nothing.
    frmMain->editModel->clear();
    typeText(frmMain->editTovName, QStringLiteral("x' OR tovName LIKE '"));
    find();
    QCOMPARE(shownKeys(), QStringList());
}

void TestSearchPanel::searchStates()
{
    Cursor &goods = DMAuto->tblAuto;
    // Nothing typed, no filter on: "Найти" leaves the current row alone.
    goods.moveTo(3);
    find();
    QCOMPARE(goods.currentRow(), 3);
    QVERIFY(!goods.Filtered());

    // A search, then the same search again: applied anew, first row current.
    typeText(frmMain->editModel, QStringLiteral("2107"));
    find();
    QCOMPARE(shownKeys(), QStringList({"1", "2", "3"}));
    goods.moveTo(2);
    find();
    QCOMPARE(goods.currentRow(), 0);
    QCOMPARE(frmMain->gridAuto->currentIndex().row(), 0);

    // Everything emptied after a search: all rows again, the first current,
    // the last text kept but not in force.
    frmMain->editModel->clear();
    goods.moveTo(1);
    find();
    QCOMPARE(shownKeys().size(), 6);
    QCOMPARE(goods.currentRow(), 0);
    QVERIFY(!goods.Filtered());
    QCOMPARE(goods.Filter(), QStringLiteral("models LIKE '%2107%'"));
}

void TestSearchPanel::rejectedNumberKeepsTheInputs_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("column");
    QTest::newRow("letters as a price") << "price" << "abc" << "price";
    QTest::newRow("a fraction as a quantity") << "count" << "1,5" << "counts";
    QTest::newRow("letters as a warehouse") << "sklad" << "пятый" << "numSklad";
}

void TestSearchPanel::rejectedNumberKeepsTheInputs()
{
    QFETCH(QString, input);
    QFETCH(QString, text);
    QFETCH(QString, column);
    QLineEdit *edit = input == QLatin1String("price")   ? frmMain->editPrice
                      : input == QLatin1String("count") ? frmMain->editCount
                                                        : frmMain->editNumSklad;
    typeText(frmMain->editModel, QStringLiteral("2107"));
    find();
    QCOMPARE(shownKeys().size(), 3);

    typeText(edit, text);
    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    answers.press(QMessageBox::Ok);
    find();
    find(); // unchanged, it fails the same way
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().size(), 2);
    for (const ModalAnswers::Box &box : answers.boxes()) {
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.contains(QStringLiteral("«%1»").arg(text)) &&
                     box.text.contains(QStringLiteral("«%1»").arg(column)),
                 qPrintable(box.text));
    }
    QCOMPARE(shownKeys().size(), 6);
    QVERIFY(!DMAuto->tblAuto.Filtered());
    QCOMPARE(edit->text(), text);
    QCOMPARE(frmMain->editModel->text(), QStringLiteral("2107"));
}

void TestSearchPanel::tickingAnEmptyReferenceUnticksIt()
{
    catalogue_->query("DELETE FROM country");
    DMAuto->tblCountry.Refresh();
    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    frmMain->checkCountry->click();
    QVERIFY(!frmMain->checkCountry->isChecked());
    QCOMPARE(frmMain->cbCountry->count(), 0);
    QVERIFY(!frmMain->cbCountry->isEnabled());
    QVERIFY(!answers.waitAllAnswered(100)); // no message
}

void TestSearchPanel::tickingAgainGivesAFreshList()
{
    frmMain->checkCat->click();
    QCOMPARE(frmMain->cbCat->count(), 3);
    QCOMPARE(frmMain->cbCat->itemText(0), QStringLiteral("Двигатель")); // name order
    QVERIFY(frmMain->cbCat->isEnabled());
    pick(frmMain->cbCat, QStringLiteral("Тормоза"));

    frmMain->checkCat->click(); // untick: emptied, the objects kept until the next fill
    QCOMPARE(frmMain->cbCat->count(), 0);
    QVERIFY(!frmMain->cbCat->isEnabled());
    QCOMPARE(CatIndexes.size(), size_t(3));

    catalogue_->addCategory(QStringLiteral("Аккумуляторы"));
    DMAuto->tblCategory.close();
    DMAuto->tblCategory.open();
    frmMain->checkCat->click();
    QCOMPARE(frmMain->cbCat->count(), 4);
    QCOMPARE(frmMain->cbCat->currentIndex(), 0);
    QCOMPARE(frmMain->cbCat->currentText(), QStringLiteral("Аккумуляторы"));
    // Every item carries the key object of this fill.
    QCOMPARE(CatIndexes.size(), size_t(4));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(frmMain->cbCat->itemData(i).value<void *>(), static_cast<void *>(CatIndexes[i].get()));
    QCOMPARE(CatIndexes[0]->getIndex(), 4);
}

void TestSearchPanel::fillingLeavesTheLastReferenceForANewRow()
{
    frmMain->checkCountry->click(); // walks to "Япония", the last by name
    DMAuto->tblAuto.Append();
    QCOMPARE(DMAuto->tblAutocountry_id.AsInteger(), 1);
    DMAuto->tblAuto.Cancel();
}

void TestSearchPanel::sortCommands()
{
    Cursor &goods = DMAuto->tblAuto;
    QCOMPARE(goods.Sort(), QStringLiteral("auto_id"));
    frmMain->mnuOrderDesc->trigger();
    QCOMPARE(goods.Sort(), QStringLiteral("auto_id DESC"));
    QVERIFY(frmMain->mnuOrderDesc->isChecked() && !frmMain->mnuOrderAsc->isChecked());
    QCOMPARE(shownKeys().first(), QStringLiteral("6"));

    frmMain->N9->trigger(); // the chosen order carries over to the new column
    QCOMPARE(goods.Sort(), QStringLiteral("price DESC"));
    QCOMPARE(shownKeys().first(), QStringLiteral("6"));

    frmMain->mnuOrderAsc->trigger();
    QCOMPARE(goods.Sort(), QStringLiteral("price ASC"));
    frmMain->mnuOrderAsc->trigger(); // re-applied while marked
    QVERIFY(frmMain->mnuOrderAsc->isChecked() && !frmMain->mnuOrderDesc->isChecked());
    QCOMPARE(shownKeys(), QStringList({"4", "3", "5", "1", "2", "6"}));

    // Categories sort by key, not by the names the grid shows.
    frmMain->N5->trigger();
    QCOMPARE(goods.Sort(), QStringLiteral("cat_id ASC"));
    QCOMPARE(shownKeys().first(), QStringLiteral("4"));

    const QList<std::pair<QAction *, QString>> columns = {
        {frmMain->mnuSortKod, "auto_id"}, {frmMain->N12, "numSklad"}, {frmMain->N6, "tovName"},
        {frmMain->N15, "models"},         {frmMain->N14, "auto_type"}, {frmMain->N11, "country_id"},
        {frmMain->N10, "counts"}};
    for (const auto &[item, column] : columns) {
        item->trigger();
        QCOMPARE(goods.Sort(), column + QStringLiteral(" ASC"));
    }
    frmMain->N6->trigger();
    QCOMPARE(shownKeys().first(), QStringLiteral("5")); // "  Прокладка": blanks sort first
}

void TestSearchPanel::sortAndSearchKeepEachOther()
{
    typeText(frmMain->editModel, QStringLiteral("2107"));
    find();
    frmMain->N10->trigger(); // quantity
    QCOMPARE(shownKeys(), QStringList({"3", "1", "2"}));
    QVERIFY(DMAuto->tblAuto.Filtered());

    frmMain->editModel->clear();
    typeText(frmMain->editTovName, QStringLiteral("Фильтр"));
    find();
    QCOMPARE(shownKeys(), QStringList({"6", "3", "1", "2"}));
    QCOMPARE(DMAuto->tblAuto.Sort(), QStringLiteral("counts"));
}

AUTOPARTS_GUI_TEST_MAIN(TestSearchPanel)
#include "tst_searchpanel.moc"
