#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "TestCatalogue.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "reports/renderer/ReportPreview.h"
#include "ui/labels/LabelDialog.h"
#include "ui/main/Unit_tr.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>

namespace {

struct Choice
{
    bool onlyCurrent = false;
    int sheet = 0;
    bool asInStock = false;
    int start = 1;
};

// Fills in the labels' dialog and presses «Просмотр»; notes what it offered.
void answerDialog(ModalAnswers &answers, const Choice &choice, QStringList *offered = nullptr)
{
    answers.handle([choice, offered](QWidget *modal) {
        auto *dialog = qobject_cast<LabelDialog *>(modal);
        QVERIFY(dialog);
        if (offered)
            *offered << dialog->allFound->text() << dialog->currentOnly->text()
                     << QString::number(dialog->sheet->currentIndex())
                     << (dialog->asInStock->isChecked() ? "в наличии" : "по одной");
        (choice.onlyCurrent ? dialog->currentOnly : dialog->allFound)->click();
        dialog->sheet->setCurrentIndex(choice.sheet);
        (choice.asInStock ? dialog->asInStock : dialog->oneEach)->click();
        dialog->start->setValue(choice.start);
        for (QPushButton *button : dialog->findChildren<QPushButton *>())
            if (button->text() == QStringLiteral("Просмотр"))
                button->click();
    });
}

// The barcodes' modules of every label the preview made, and its sheets.
void answerPreview(ModalAnswers &answers, int &sheets, QStringList &digits)
{
    answers.handle([&sheets, &digits](QWidget *modal) {
        auto *preview = qobject_cast<ReportPreview *>(modal);
        QVERIFY(preview);
        QTRY_VERIFY(preview->productionFinished());
        sheets = preview->pageCount();
        const ReportPages &pages = preview->pages();
        for (const ReportPage &page : pages.pages)
            for (const PageItem &item : page.items)
                if (item.kind == PageItem::Kind::Text && item.font == 3) // the digits
                    digits << item.text;
        QTest::keyClick(preview, Qt::Key_Escape);
    });
}

} // namespace

// «Сервис → Печать этикеток…» from the main window: what it asks, what it
// prints, and that the goods stay as they were.
class TestLabelCommand : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void foundGoodsAsInStockFromAPlaceOnTheSheet();
    void onlyTheCurrentPartRemembersTheChoice();
    void nothingToPrintIsTold();

private:
    std::unique_ptr<TestCatalogue> catalogue_;
};

void TestLabelCommand::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestLabelCommand::init()
{
    QSettings(QStringLiteral("autoparts"), QStringLiteral("autoparts")).clear();
    catalogue_ = std::make_unique<TestCatalogue>();
    catalogue_->addGoods({1,
                          {},
                          QStringLiteral("Фильтр масляный"),
                          QStringLiteral("ВАЗ"),
                          2,
                          2895500,
                          {},
                          {},
                          {},
                          QStringLiteral("W 712/75")});
    catalogue_->addGoods({1, {}, QStringLiteral("Свеча"), {}, 0, 1000000, {}, {}, {}, {}});
    catalogue_->addGoods({1, {}, QStringLiteral("Ремень"), {}, 3, 500000, {}, {}, {}, {}});
    Startup::createComponents();
    Startup::showMainWindow();
    QApplication::setActiveWindow(frmMain);
}

void TestLabelCommand::cleanup()
{
    Startup::destroyComponents();
    catalogue_.reset();
}

void TestLabelCommand::foundGoodsAsInStockFromAPlaceOnTheSheet()
{
    Cursor &goods = DMAuto->tblAuto;
    goods.moveTo(1);
    ModalAnswers answers;
    int sheets = 0;
    QStringList digits;
    // 40 to a sheet, from the 38th: 2 + 3 labels on three places and two on the next sheet.
    answerDialog(answers, {false, 2, true, 38});
    answerPreview(answers, sheets, digits);
    frmMain->mnuLabels->trigger();
    QVERIFY(answers.waitAllAnswered());

    QCOMPARE(sheets, 2);
    // The first part's article twice, none of the second, the third's store code thrice.
    QCOMPARE(digits, (QStringList{"W 712/75", "W 712/75", "2", "000000", "000039", "2", "000000",
                                  "000039", "2", "000000", "000039"}));
    QCOMPARE(goods.currentRow(), 1);
    QCOMPARE(DMAuto->tblAutotovName.AsString(), QStringLiteral("Свеча"));
}

void TestLabelCommand::onlyTheCurrentPartRemembersTheChoice()
{
    DMAuto->tblAuto.moveTo(2);
    ModalAnswers answers;
    int sheets = 0;
    QStringList digits;
    QStringList offered;
    answerDialog(answers, {true, 3, true, 1}, &offered);
    answerPreview(answers, sheets, digits);
    frmMain->mnuLabels->trigger();
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(offered, (QStringList{"Все найденные запчасти (3)", "Только выделенная: Ремень", "0",
                                   "по одной"}));
    QCOMPARE(sheets, 3); // a roll: one label to a page, as many as in stock
    QCOMPARE(digits.count(QStringLiteral("000039")), 3);

    // The next time offers the sheet and the count chosen last.
    offered.clear();
    answerDialog(answers, {true, 3, false, 1}, &offered);
    answerPreview(answers, sheets, digits);
    frmMain->mnuLabels->trigger();
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(offered.mid(2), (QStringList{"3", "в наличии"}));
    QCOMPARE(sheets, 1);
}

void TestLabelCommand::nothingToPrintIsTold()
{
    // The only part shown has none in stock.
    Cursor &goods = DMAuto->tblAuto;
    goods.setFilter(QStringLiteral("counts='0'"));
    goods.setFiltered(true);
    ModalAnswers answers;
    answerDialog(answers, {false, 0, true, 1});
    answers.press(QMessageBox::Ok);
    frmMain->mnuLabels->trigger();
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().last().text,
             QStringLiteral("Этикеток не будет: этих запчастей нет на складе."));

    // An empty list: told before anything is asked.
    goods.setFilter(QStringLiteral("counts='99'"));
    answers.press(QMessageBox::Ok);
    frmMain->mnuLabels->trigger();
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().last().text,
             QStringLiteral("Нет запчастей для этикеток: список пуст."));
}

AUTOPARTS_GUI_TEST_MAIN(TestLabelCommand)
#include "tst_labelcommand.moc"
