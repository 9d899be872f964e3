#include "GridWindow.h"
#include "GuiTestMain.h"
#include "ModalAnswers.h"

// The data grid as the user drives it: keys, mouse, Ctrl+Del, leaving it.
class TestDBGrid : public QObject
{
    Q_OBJECT
private slots:
    void keyboardMovement_data();
    void keyboardMovement();
    void clickMakesTheRowCurrent();
    void noEditingFromTheGrid();
    void tabLeavesTheGrid();
    void ctrlDelete_data();
    void ctrlDelete();
    void ctrlDeleteOnAnEmptyGridAsksNothing();
    void leavingDropsAnUntouchedNewRow();
};

void TestDBGrid::keyboardMovement_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("to"); // a row, or "top", "bottom", "page", "back"

    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("Down") << 0 << int(Qt::Key_Down) << none << "1";
    QTest::newRow("Right") << 0 << int(Qt::Key_Right) << none << "1";
    QTest::newRow("Up on the first row") << 0 << int(Qt::Key_Up) << none << "0";
    QTest::newRow("Left") << 5 << int(Qt::Key_Left) << none << "4";
    QTest::newRow("Down on the last row") << 49 << int(Qt::Key_Down) << none << "49";
    QTest::newRow("Home") << 20 << int(Qt::Key_Home) << none << "0";
    QTest::newRow("Ctrl+Home") << 20 << int(Qt::Key_Home) << ctrl << "0";
    QTest::newRow("End") << 3 << int(Qt::Key_End) << none << "49";
    QTest::newRow("Ctrl+End") << 3 << int(Qt::Key_End) << ctrl << "49";
    QTest::newRow("Page Down") << 0 << int(Qt::Key_PageDown) << none << "page";
    QTest::newRow("Page Up") << 49 << int(Qt::Key_PageUp) << none << "back";
    QTest::newRow("Ctrl+Up") << 2 << int(Qt::Key_Up) << ctrl << "top";
    QTest::newRow("Ctrl+Page Up") << 2 << int(Qt::Key_PageUp) << ctrl << "top";
    QTest::newRow("Ctrl+Down") << 2 << int(Qt::Key_Down) << ctrl << "bottom";
    QTest::newRow("Ctrl+Page Down") << 2 << int(Qt::Key_PageDown) << ctrl << "bottom";
}

void TestDBGrid::keyboardMovement()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, to);
    GridWindow w(50);
    w.cursor.moveTo(from);
    const int top = w.grid->rowAt(0);
    // The bottom visible row is the last one shown whole; one cut off at the
    // edge does not count.
    const auto whole = [&](int row) {
        const QRect cell = w.grid->visualRect(w.grid->model()->index(row, 1));
        return w.grid->viewport()->rect().contains(cell);
    };
    int bottom = top;
    while (bottom + 1 < 50 && whole(bottom + 1))
        ++bottom;
    if (to == QLatin1String("bottom"))
        QVERIFY2(w.grid->rowAt(w.grid->viewport()->height() - 1) > bottom,
                 "the grid should show a row cut off at its bottom edge");
    const int page = w.grid->viewport()->height() / w.grid->defaultRowHeight();
    QVERIFY(page > 2);

    QTest::keyClick(w.grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    int expected = to.toInt();
    if (to == QLatin1String("top"))
        expected = top;
    else if (to == QLatin1String("bottom"))
        expected = bottom;
    else if (to == QLatin1String("page"))
        expected = from + page;
    else if (to == QLatin1String("back"))
        expected = from - page;
    QCOMPARE(w.cursor.currentRow(), expected);
    QCOMPARE(w.grid->currentIndex().row(), expected);
    if (to == QLatin1String("top") || to == QLatin1String("bottom"))
        QCOMPARE(w.grid->rowAt(0), top); // neither key scrolls
}

void TestDBGrid::clickMakesTheRowCurrent()
{
    GridWindow w(10);
    const QRect cell = w.grid->visualRect(w.grid->model()->index(3, 1));
    QTest::mouseClick(w.grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(w.currentKey(), 4);
    QCOMPARE(w.grid->selectionModel()->selectedRows().value(0).row(), 3);
}

void TestDBGrid::noEditingFromTheGrid()
{
    GridWindow w(3);
    w.cursor.moveTo(2);
    for (const Qt::Key key : {Qt::Key_Insert, Qt::Key_F2, Qt::Key_A, Qt::Key_Down})
        QTest::keyClick(w.grid, key);
    QTest::keyClicks(w.grid, QStringLiteral("plug"));
    QCOMPARE(w.cursor.State(), CursorState::Browse);
    QCOMPARE(w.cursor.RecordCount(), 3);
    QCOMPARE(w.catalogue.query("SELECT tovName FROM tovars WHERE auto_id = 3").toString(),
             QStringLiteral("Деталь 3"));
}

void TestDBGrid::tabLeavesTheGrid()
{
    GridWindow w(3);
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.grid->setFocus();
    QTest::keyClick(w.grid, Qt::Key_Tab);
    QTRY_VERIFY(w.edit->hasFocus());
    QCOMPARE(w.cursor.currentRow(), 0);
}

void TestDBGrid::ctrlDelete_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("deletes");
    QTest::newRow("Cancel") << "Cancel" << false;
    QTest::newRow("Esc") << "Esc" << false;
    QTest::newRow("OK") << "OK" << true;
    QTest::newRow("Enter") << "Enter" << true;
}

void TestDBGrid::ctrlDelete()
{
    QFETCH(QString, answer);
    QFETCH(bool, deletes);
    GridWindow w(3);
    w.cursor.moveTo(1);
    ModalAnswers answers;
    if (answer == QLatin1String("Esc"))
        answers.handle([](QWidget *box) { QTest::keyClick(box, Qt::Key_Escape); });
    else if (answer == QLatin1String("Enter"))
        answers.handle([](QWidget *box) { QTest::keyClick(box, Qt::Key_Return); });
    else
        answers.pressText(answer);
    QTest::keyClick(w.grid, Qt::Key_Delete, Qt::ControlModifier);
    QVERIFY(answers.waitAllAnswered());

    const ModalAnswers::Box &box = answers.boxes().value(0);
    QCOMPARE(box.caption, QStringLiteral("Confirm"));
    QCOMPARE(box.text, QStringLiteral("Delete record?"));
    QCOMPARE(box.icon, QMessageBox::Question);
    QCOMPARE(box.buttons, QStringList({"OK", "Cancel"}));
    QCOMPARE(w.catalogue.count("tovars"), deletes ? 2 : 3);
    QCOMPARE(w.currentKey(), deletes ? 3 : 2);
}

void TestDBGrid::ctrlDeleteOnAnEmptyGridAsksNothing()
{
    GridWindow w(0);
    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    QTest::keyClick(w.grid, Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!answers.waitAllAnswered(200));
    QCOMPARE(answers.boxes().size(), 0);
}

void TestDBGrid::leavingDropsAnUntouchedNewRow()
{
    GridWindow w(3);
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.grid->setFocus();
    w.cursor.Append();
    w.edit->setFocus(Qt::TabFocusReason);
    QCOMPARE(w.cursor.State(), CursorState::Browse);
    QCOMPARE(w.grid->model()->rowCount(), 3);

    // A new row that holds something stays when the focus moves on.
    w.grid->setFocus();
    w.cursor.Append();
    w.cursor.FieldByName(QStringLiteral("tovName")).setAsString(QStringLiteral("Свеча"));
    w.edit->setFocus(Qt::TabFocusReason);
    QCOMPARE(w.cursor.State(), CursorState::Insert);
}

AUTOPARTS_GUI_TEST_MAIN(TestDBGrid)
#include "tst_dbgrid.moc"
