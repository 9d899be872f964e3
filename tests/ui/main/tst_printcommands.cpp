#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "TestCatalogue.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "reports/renderer/ReportPreview.h"
#include "ui/main/Unit_tr.h"
#include "ui/widgets/DBGrid.h"
#include "ui/widgets/PressToolButton.h"

#include <QAction>

namespace {

// What the preview showed, for checking after it has closed.
struct Seen
{
    QString title;
    int pages = 0;
    QStringList texts;
    QString filter;
    int rows = -1;
};

// Answers the preview: waits for its pages, notes what it shows, closes it with Esc.
void answerPreview(ModalAnswers &answers, Seen &seen)
{
    answers.handle([&seen](QWidget *modal) {
        auto *preview = qobject_cast<ReportPreview *>(modal);
        QVERIFY(preview);
        QTRY_VERIFY(preview->productionFinished());
        seen.title = preview->windowTitle();
        seen.pages = preview->pageCount();
        for (const ReportPage &page : preview->pages().pages)
            for (const PageItem &item : page.items)
                if (!item.text.isEmpty())
                    seen.texts << item.text;
        seen.filter = DMAuto->tblAuto.Filtered() ? DMAuto->tblAuto.Filter() : QString();
        seen.rows = DMAuto->tblAuto.RecordCount();
        QTest::keyClick(preview, Qt::Key_Escape);
    });
}

} // namespace

// The main window's two print commands around their previews. Goods 1..10,
// "Деталь 1".., with quantity 1..10.
class TestPrintCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void listFollowsTheSearchAndLeavesTheLastRowCurrent();
    void cardShowsOneRowAndRestoresTheSearch_data();
    void cardShowsOneRowAndRestoresTheSearch();
    void cardOfAnEmptyListDoesNothing();

private:
    std::unique_ptr<TestCatalogue> catalogue_;
};

void TestPrintCommands::init()
{
    catalogue_ = std::make_unique<TestCatalogue>();
    for (int i = 1; i <= 10; ++i)
        catalogue_->addGoods({i, {}, QStringLiteral("Деталь %1").arg(i), {}, i, {}, {}, {}, {}, {}});
    Startup::createComponents();
    Startup::showMainWindow();
    QApplication::setActiveWindow(frmMain);
}

void TestPrintCommands::cleanup()
{
    Startup::destroyComponents();
    catalogue_.reset();
}

void TestPrintCommands::listFollowsTheSearchAndLeavesTheLastRowCurrent()
{
    Cursor &goods = DMAuto->tblAuto;
    goods.setFilter(QStringLiteral("counts>='2'"));
    goods.setFiltered(true);
    frmMain->mnuOrderDesc->trigger(); // auto_id DESC
    ModalAnswers answers;
    Seen seen;
    answerPreview(answers, seen);
    QTest::mousePress(frmMain->ToolBtnPrint, Qt::LeftButton); // the toolbar's print button
    QVERIFY(answers.waitAllAnswered());

    QCOMPARE(seen.title, QStringLiteral("Список автозапчастей"));
    QCOMPARE(seen.pages, 2); // nine rows: seven on the first page
    const int first = seen.texts.indexOf(QStringLiteral("Деталь 10"));
    QVERIFY(first >= 0 && first < seen.texts.indexOf(QStringLiteral("Деталь 9")));
    QVERIFY(!seen.texts.contains(QStringLiteral("Деталь 1")));
    // The search and the order are as they were; the last row printed is current,
    // and the grid shows it.
    QCOMPARE(goods.Filter(), QStringLiteral("counts>='2'"));
    QVERIFY(goods.Filtered());
    QCOMPARE(goods.Sort(), QStringLiteral("auto_id DESC"));
    QCOMPARE(goods.currentRow(), 8);
    QCOMPARE(DMAuto->tblAutoauto_id.AsInteger(), 2);
    QCOMPARE(frmMain->gridAuto->currentIndex().row(), 8);
}

void TestPrintCommands::cardShowsOneRowAndRestoresTheSearch_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("filtered");
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("a search in force") << "counts>='4'" << true << false;
    QTest::newRow("a search text not in force") << "counts>='4'" << false << false;
    QTest::newRow("no search") << "" << false << false;
    QTest::newRow("from the menu") << "counts>='4'" << true << true;
}

void TestPrintCommands::cardShowsOneRowAndRestoresTheSearch()
{
    QFETCH(QString, filter);
    QFETCH(bool, filtered);
    QFETCH(bool, byMenu);
    Cursor &goods = DMAuto->tblAuto;
    goods.setFilter(filter);
    goods.setFiltered(filtered);
    const int rows = goods.RecordCount();

    ModalAnswers answers;
    Seen seen;
    answerPreview(answers, seen);
    const QModelIndex third = frmMain->gridAuto->model()->index(2, 3);
    const QString key = third.siblingAtColumn(0).data().toString();
    if (byMenu) {
        goods.moveTo(2);
        frmMain->mnuPrintSelect->trigger();
    } else {
        QTest::mouseDClick(frmMain->gridAuto->viewport(), Qt::LeftButton, {},
                           frmMain->gridAuto->visualRect(third).center());
    }
    QVERIFY(answers.waitAllAnswered());

    QCOMPARE(seen.title, QStringLiteral("Print Preview"));
    QCOMPARE(seen.pages, 1);
    QCOMPARE(seen.filter, QStringLiteral("auto_id='%1'").arg(key));
    QCOMPARE(seen.rows, 1);
    QVERIFY(seen.texts.contains(third.data().toString()));
    // Afterwards the search is back as it was, and the first row is current.
    QCOMPARE(goods.Filter(), filter);
    QCOMPARE(goods.Filtered(), filtered);
    QCOMPARE(goods.RecordCount(), rows);
    QCOMPARE(goods.currentRow(), 0);
    QCOMPARE(frmMain->gridAuto->currentIndex().row(), 0);
}

void TestPrintCommands::cardOfAnEmptyListDoesNothing()
{
    Cursor &goods = DMAuto->tblAuto;
    goods.setFilter(QStringLiteral("counts>='99'"));
    goods.setFiltered(true);
    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    QTest::mouseDClick(frmMain->gridAuto->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(!answers.waitAllAnswered(300)); // nothing opened
    QCOMPARE(goods.Filter(), QStringLiteral("counts>='99'"));
    QVERIFY(goods.Filtered());
}

AUTOPARTS_GUI_TEST_MAIN(TestPrintCommands)
#include "tst_printcommands.moc"
