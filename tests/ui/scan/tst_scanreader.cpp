#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "TestCatalogue.h"
#include "TypeText.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "labels/PartCode.h"
#include "ui/main/Unit_tr.h"
#include "ui/scan/CodeSearch.h"
#include "ui/scan/FindCodeDialog.h"
#include "ui/scan/ScanReader.h"
#include "ui/widgets/DBGrid.h"
#include "ui/widgets/DBImage.h"
#include "ui/widgets/PressToolButton.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace {

QByteArray bmpFile(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(30, 30, 200));
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

// Types `code` and Enter into `widget` as a scanner does: no pause between
// the keys, or `gapMs` between them.
void typeCode(QWidget *widget, const QString &code, int gapMs = 0)
{
    for (const QChar c : code)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier,
                            gapMs);
    QTest::keyClick(widget, Qt::Key_Return, Qt::NoModifier, gapMs);
}

// Waits long enough for a scan to have been handled, had it been one.
void settle()
{
    QTest::qWait(4 * ScanReader::MaxGapMs);
}

} // namespace

// The main window over goods 1..4 ("Фильтр масляный" A-100 with a photo,
// "Фильтр воздушный" B-200, "Свеча" without an article, "Ремень" 0 986 452
// 041), a scanner's keys at its widgets, and «Сервис → Найти по коду…».
class TestScanReader : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void scanFindsThePartFromEachFocus_data();
    void scanFindsThePartFromEachFocus();
    void scanInOtherCaseAndInStoreBarcode_data();
    void scanInOtherCaseAndInStoreBarcode();
    void hiddenPartAsksToClearTheSearch_data();
    void hiddenPartAsksToClearTheSearch();
    void unknownCodeIsTold();
    void typingIsNotAScan_data();
    void typingIsNotAScan();
    void searchFieldKeepsWhatIsTyped_data();
    void searchFieldKeepsWhatIsTyped();
    void heldKeysReachTheirWidget();
    void findByCodeItemSitsAfterTheHistory();
    void findByCodeBox();

private:
    void search(const QString &name);

    std::unique_ptr<TestCatalogue> catalogue_;
};

void TestScanReader::init()
{
    catalogue_ = std::make_unique<TestCatalogue>();
    catalogue_->addCategory(QStringLiteral("Фильтры"));
    catalogue_->addGoods({1,
                          {},
                          QStringLiteral("Фильтр масляный"),
                          {},
                          5,
                          {},
                          {},
                          {},
                          bmpFile(64, 48),
                          QStringLiteral("A-100")});
    catalogue_->addGoods({1,
                          {},
                          QStringLiteral("Фильтр воздушный"),
                          {},
                          3,
                          {},
                          {},
                          {},
                          {},
                          QStringLiteral("B-200")});
    catalogue_->addGoods({2, {}, QStringLiteral("Свеча"), {}, 8, {}, {}, {}, {}, {}});
    catalogue_->addGoods(
        {2, {}, QStringLiteral("Ремень"), {}, 1, {}, {}, {}, {}, QStringLiteral("0 986 452 041")});
    Startup::createComponents();
    Startup::showMainWindow();
    QApplication::setActiveWindow(frmMain);
    QVERIFY(QTest::qWaitForWindowActive(frmMain));
    DMAuto->tblAuto.moveTo(2); // away from the parts scanned
    QCOMPARE(currentKey(), 3);
}

void TestScanReader::cleanup()
{
    Startup::destroyComponents();
    catalogue_.reset();
}

void TestScanReader::search(const QString &name)
{
    frmMain->editTovName->setText(name);
    frmMain->Button1->click();
}

void TestScanReader::scanFindsThePartFromEachFocus_data()
{
    QTest::addColumn<QString>("widget");
    QTest::newRow("grid") << "gridAuto";
    QTest::newRow("photo box") << "DBImage1";
    QTest::newRow("toolbar button") << "ToolBtnTovEdit";
}

void TestScanReader::scanFindsThePartFromEachFocus()
{
    QFETCH(QString, widget);
    QWidget *focus = widget == QLatin1String("gridAuto") ? static_cast<QWidget *>(frmMain->gridAuto)
                     : widget == QLatin1String("DBImage1")
                         ? static_cast<QWidget *>(frmMain->DBImage1)
                         : frmMain->ToolBtnTovEdit;
    focus->setFocus();
    QCOMPARE(QApplication::focusWidget(), focus);
    QVERIFY(frmMain->DBImage1->picture().isNull());

    ModalAnswers answers;
    answers.press(QMessageBox::Ok); // a box would be a fault: caught below
    typeCode(focus, QStringLiteral("A-100"));
    QTRY_COMPARE(currentKey(), 1);
    QCOMPARE(frmMain->gridAuto->currentIndex().row(), DMAuto->tblAuto.currentRow());
    QCOMPARE(frmMain->DBImage1->picture().size(), QSize(64, 48));
    settle();
    QCOMPARE(answers.unanswered(), 1);
    QCOMPARE(DMAuto->tblAuto.State(), CursorState::Browse); // nothing began an edit

    // A code with spaces, from the same place.
    typeCode(focus, QStringLiteral("0 986 452 041"));
    QTRY_COMPARE(currentKey(), 4);
    QCOMPARE(answers.unanswered(), 1);
}

void TestScanReader::scanInOtherCaseAndInStoreBarcode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<qint64>("key");
    QTest::newRow("article, Caps Lock on") << "b-200" << qint64(2);
    QTest::newRow("in-store EAN-13 of a part without article")
        << PartCode::storeEan(3) << qint64(3);
}

void TestScanReader::scanInOtherCaseAndInStoreBarcode()
{
    QFETCH(QString, code);
    QFETCH(qint64, key);
    DMAuto->tblAuto.moveTo(0);
    frmMain->gridAuto->setFocus();
    typeCode(frmMain->gridAuto, code);
    QTRY_COMPARE(currentKey(), key);
}

void TestScanReader::hiddenPartAsksToClearTheSearch_data()
{
    QTest::addColumn<bool>("clear");
    QTest::newRow("Да") << true;
    QTest::newRow("Нет") << false;
}

void TestScanReader::hiddenPartAsksToClearTheSearch()
{
    QFETCH(bool, clear);
    frmMain->N6->trigger(); // by name
    frmMain->cbCount->setCurrentIndex(1);
    search(QStringLiteral("Свеча"));
    Cursor &goods = DMAuto->tblAuto;
    QCOMPARE(goods.RecordCount(), 1);
    const QString filter = goods.Filter();

    ModalAnswers answers;
    answers.press(clear ? QMessageBox::Yes : QMessageBox::No);
    frmMain->gridAuto->setFocus();
    typeCode(frmMain->gridAuto, QStringLiteral("B-200"));
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().value(0).text, CodeSearch::hiddenText(QStringLiteral("B-200")));
    QCOMPARE(answers.boxes().value(0).caption, CodeSearch::Caption);
    QCOMPARE(answers.boxes().value(0).buttons.size(), 2);
    if (clear) {
        QCOMPARE(frmMain->editTovName->text(), QString());
        QCOMPARE(frmMain->cbCount->currentIndex(), 0);
        QVERIFY(!goods.Filtered());
        QCOMPARE(goods.RecordCount(), 4);
        QCOMPARE(goods.Sort(), QStringLiteral("tovName"));
        QCOMPARE(currentKey(), 2);
        QCOMPARE(frmMain->gridAuto->currentIndex().row(), goods.currentRow());
        QCOMPARE(goods.currentRow(), 2); // Ремень, Свеча, Фильтр в…, Фильтр м…
    } else {
        QCOMPARE(frmMain->editTovName->text(), QStringLiteral("Свеча"));
        QCOMPARE(frmMain->cbCount->currentIndex(), 1);
        QVERIFY(goods.Filtered());
        QCOMPARE(goods.Filter(), filter);
        QCOMPARE(goods.RecordCount(), 1);
        QCOMPARE(currentKey(), 3);
    }
}

void TestScanReader::unknownCodeIsTold()
{
    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    frmMain->gridAuto->setFocus();
    typeCode(frmMain->gridAuto, QStringLiteral("Z-999"));
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().value(0).text, QStringLiteral("Запчасть с кодом «Z-999» не найдена."));
    QCOMPARE(answers.boxes().value(0).icon, QMessageBox::Information);
    QCOMPARE(answers.boxes().value(0).owner, frmMain);
    QCOMPARE(currentKey(), 3);
}

void TestScanReader::typingIsNotAScan_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("gapMs");
    QTest::newRow("slow, as a person types") << "A-100" << 150;
    QTest::newRow("just over the scanner's gap") << "A-100" << 3 * ScanReader::MaxGapMs;
    QTest::newRow("fast but too short") << "A-1" << 0;
}

void TestScanReader::typingIsNotAScan()
{
    QFETCH(QString, code);
    QFETCH(int, gapMs);
    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    frmMain->gridAuto->setFocus();
    typeCode(frmMain->gridAuto, code, gapMs);
    settle();
    QCOMPARE(answers.unanswered(), 1);
    QCOMPARE(currentKey(), 3);
}

void TestScanReader::searchFieldKeepsWhatIsTyped_data()
{
    QTest::addColumn<int>("gapMs");
    QTest::newRow("typed slowly") << 150;
    QTest::newRow("at a scanner's speed") << 0;
}

void TestScanReader::searchFieldKeepsWhatIsTyped()
{
    QFETCH(int, gapMs);
    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    QLineEdit *field = frmMain->editTovName;
    field->setFocus();
    field->setText(QStringLiteral("Ф"));
    typeCode(field, QStringLiteral("ильтр"), gapMs);
    settle();
    QCOMPARE(field->text(), QStringLiteral("Фильтр"));
    QCOMPARE(answers.unanswered(), 1);
    QCOMPARE(currentKey(), 3);
    QVERIFY(!DMAuto->tblAuto.Filtered()); // Enter searches no more than it did
    // and every key went its usual way: undo takes the typing back.
    field->undo();
    QCOMPARE(field->text(), QStringLiteral("Ф"));
    // The other fields too.
    for (QLineEdit *other :
         {frmMain->editModel, frmMain->editPrice, frmMain->editNumSklad, frmMain->editCount}) {
        other->setFocus();
        typeCode(other, QStringLiteral("2107"), gapMs);
        QCOMPARE(other->text(), QStringLiteral("2107"));
    }
    settle();
    QCOMPARE(answers.unanswered(), 1);
}

void TestScanReader::heldKeysReachTheirWidget()
{
    // A space held back while it might begin a scan ticks its check box all
    // the same, a moment later.
    QCheckBox *box = frmMain->checkCat;
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    QTRY_VERIFY(box->isChecked());
    // Keys that are not a scan after all reach the grid in their order: the
    // last of them moves it.
    frmMain->gridAuto->setFocus();
    QTest::keyClicks(frmMain->gridAuto, QStringLiteral("ab"));
    QTest::keyClick(frmMain->gridAuto, Qt::Key_Up);
    QCOMPARE(currentKey(), 2);
}

void TestScanReader::findByCodeItemSitsAfterTheHistory()
{
    const QList<QAction *> items = frmMain->mnuService->actions();
    const qsizetype history = items.indexOf(frmMain->mnuHistory);
    const qsizetype find = items.indexOf(frmMain->mnuFindCode);
    QVERIFY(history >= 0);
    QVERIFY(find > history + 1);
    QVERIFY(items[history + 1]->isSeparator());
    for (qsizetype i = history + 2; i < find; ++i) // only other commands between
        QVERIFY(!items[i]->isSeparator());
    QCOMPARE(frmMain->mnuFindCode->text(), QStringLiteral("Найти по коду…"));
}

void TestScanReader::findByCodeBox()
{
    ModalAnswers answers;
    QString caption, label;
    bool findEnabledWhenEmpty = true;
    bool codeHasFocus = false;
    answers.handle([&](QWidget *modal) {
        auto *dialog = qobject_cast<FindCodeDialog *>(modal);
        QVERIFY(dialog);
        caption = dialog->windowTitle();
        label = dialog->findChild<QLabel *>()->text();
        findEnabledWhenEmpty = dialog->btnFind->isEnabled();
        // The dialog's own focus: whether the window system has made it the
        // active window yet depends on the machine's load. Checked after the
        // box is answered, so that a failure never leaves it open.
        codeHasFocus = dialog->focusWidget() == dialog->editCode;
        typeText(dialog->editCode, QStringLiteral(" b-200 "));
        QTest::keyClick(dialog->editCode, Qt::Key_Return);
    });
    frmMain->mnuFindCode->trigger();
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(caption, QStringLiteral("Найти по коду"));
    QCOMPARE(label, QStringLiteral("Код запчасти (артикул или штрихкод):"));
    QVERIFY(!findEnabledWhenEmpty);
    QVERIFY(codeHasFocus);
    QCOMPARE(currentKey(), 2);

    // An unknown code says so, as a scan does.
    answers.handle([](QWidget *modal) {
        auto *dialog = qobject_cast<FindCodeDialog *>(modal);
        typeText(dialog->editCode, QStringLiteral("Z-999"));
        dialog->btnFind->click();
    });
    answers.press(QMessageBox::Ok);
    frmMain->mnuFindCode->trigger();
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().value(0).text, QStringLiteral("Запчасть с кодом «Z-999» не найдена."));

    // Cancel finds nothing, whatever was typed.
    answers.handle([](QWidget *modal) {
        auto *dialog = qobject_cast<FindCodeDialog *>(modal);
        typeText(dialog->editCode, QStringLiteral("A-100"));
        dialog->btnCancel->click();
    });
    frmMain->mnuFindCode->trigger();
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(currentKey(), 2);
    QCOMPARE(answers.boxes().size(), 1);
}

AUTOPARTS_GUI_TEST_MAIN(TestScanReader)
#include "tst_scanreader.moc"
