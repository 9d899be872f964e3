#include "GridWindow.h"
#include "GuiTestMain.h"

#include "ui/main/Unit_class.h"

#include <QImage>

namespace {

const QColor Grey(240, 240, 240);
const QColor Blue(53, 150, 255);

// The colour of a row's background, away from its text.
QColor background(DBGrid *grid, const QImage &image, int row)
{
    const int x = grid->columnViewportPosition(1) + grid->columnWidth(1) - 6;
    const int y = grid->rowViewportPosition(row) + grid->rowHeight(row) / 2;
    return image.pixelColor(x, y);
}

bool hasWhiteText(DBGrid *grid, const QImage &image, int row)
{
    const int top = grid->rowViewportPosition(row);
    for (int y = top; y < top + grid->rowHeight(row); ++y)
        for (int x = grid->columnViewportPosition(1); x < grid->columnViewportPosition(1) + 60; ++x)
            if (image.pixelColor(x, y) == Qt::white)
                return true;
    return false;
}

} // namespace

// The shared cell painter, checked on what the grid really paints.
class TestDrawGridCell : public QObject
{
    Q_OBJECT
private slots:
    void stripesAndTheCurrentRow();
    void stripesFollowTheNewOrder();
    void noStripesWhileARowIsBeingInserted();
};

void TestDrawGridCell::stripesAndTheCurrentRow()
{
    GridWindow w(6);
    w.grid->OnDrawColumnCell = DrawGridCell;
    w.cursor.moveTo(2); // position 3: odd, but current
    w.edit->setFocus(); // the current row stays blue without the focus
    const QImage image = w.grid->viewport()->grab().toImage();
    const QColor base = w.grid->palette().color(QPalette::Base);

    QCOMPARE(background(w.grid, image, 0), Grey);
    QCOMPARE(background(w.grid, image, 1), base);
    QCOMPARE(background(w.grid, image, 2), Blue);
    QCOMPARE(background(w.grid, image, 3), base);
    QCOMPARE(background(w.grid, image, 4), Grey);
    QVERIFY(hasWhiteText(w.grid, image, 2));
    QVERIFY(!hasWhiteText(w.grid, image, 4));
}

void TestDrawGridCell::stripesFollowTheNewOrder()
{
    GridWindow w(4);
    w.grid->OnDrawColumnCell = DrawGridCell;
    w.cursor.setFilter(QStringLiteral("numSklad>='2'"));
    w.cursor.setFiltered(true);
    w.cursor.setSort(QStringLiteral("counts"));
    w.cursor.moveTo(2);
    const QImage image = w.grid->viewport()->grab().toImage();
    // The first row shown is position 1 again, whatever row it was before.
    QCOMPARE(w.grid->model()->index(0, 0).data().toString(), QStringLiteral("4"));
    QCOMPARE(background(w.grid, image, 0), Grey);
    QCOMPARE(background(w.grid, image, 1), w.grid->palette().color(QPalette::Base));
}

void TestDrawGridCell::noStripesWhileARowIsBeingInserted()
{
    GridWindow w(4);
    w.grid->OnDrawColumnCell = DrawGridCell;
    w.cursor.Append();
    const QColor base = w.grid->palette().color(QPalette::Base);
    QImage image = w.grid->viewport()->grab().toImage();
    for (int row = 0; row < 4; ++row)
        QCOMPARE(background(w.grid, image, row), base);
    QCOMPARE(background(w.grid, image, 4), Blue); // the new row is current

    w.cursor.Cancel();
    image = w.grid->viewport()->grab().toImage();
    QCOMPARE(background(w.grid, image, 0), Blue);
    QCOMPARE(background(w.grid, image, 2), Grey);
}

AUTOPARTS_GUI_TEST_MAIN(TestDrawGridCell)
#include "tst_unit_class.moc"
