#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "TestCatalogue.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "ui/main/Unit_tr.h"
#include "ui/widgets/DBGrid.h"
#include "ui/widgets/DBImage.h"

#include <QBuffer>
#include <QClipboard>

namespace {

QByteArray bmp(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

} // namespace

// The main window's photo box and its clipboard keys. Goods 1 has a 40x30
// photo, goods 2 and 3 have none.
class TestPhotoBox : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void copy_data();
    void copy();
    void paste_data();
    void paste();
    void cut_data();
    void cut();
    void escapeGivesUpTheChange();
    void menuShortcutsGoFirst();
    void closingStoresAPastedPicture();
    void showsAFocusMarkWithTheFocus();

private:
    void moveToRow(int row);
    QVariant photoOf(int key)
    {
        return catalogue_->query("SELECT screenshots FROM tovars WHERE auto_id = ?", {key});
    }

    std::unique_ptr<TestCatalogue> catalogue_;
    DBImage *box_ = nullptr;
};

void TestPhotoBox::init()
{
    catalogue_ = std::make_unique<TestCatalogue>();
    catalogue_->addGoods({1, {}, QStringLiteral("Диск"), {}, {}, {}, {}, {}, bmp({40, 30}, Qt::red), {}});
    catalogue_->addGoods({2, {}, QStringLiteral("Свеча"), {}, {}, {}, {}, {}, {}, {}});
    catalogue_->addGoods({3, {}, QStringLiteral("Ремень"), {}, {}, {}, {}, {}, {}, {}});
    Startup::createComponents();
    Startup::showMainWindow();
    QApplication::setActiveWindow(frmMain);
    box_ = frmMain->DBImage1;
    box_->setFocus();
    QGuiApplication::clipboard()->clear();
}

void TestPhotoBox::cleanup()
{
    Startup::destroyComponents();
    catalogue_.reset();
}

void TestPhotoBox::moveToRow(int row)
{
    // As the user does it: a click on the row in the grid.
    const QRect cell = frmMain->gridAuto->visualRect(frmMain->gridAuto->model()->index(row, 3));
    QTest::mouseClick(frmMain->gridAuto->viewport(), Qt::LeftButton, {}, cell.center());
}

void TestPhotoBox::copy_data()
{
    QTest::addColumn<int>("modifier");
    QTest::addColumn<int>("key");
    QTest::newRow("Ctrl+C") << int(Qt::ControlModifier) << int(Qt::Key_C);
    QTest::newRow("Ctrl+Insert") << int(Qt::ControlModifier) << int(Qt::Key_Insert);
}

void TestPhotoBox::copy()
{
    QFETCH(int, modifier);
    QFETCH(int, key);
    QTest::keyClick(box_, Qt::Key(key), Qt::KeyboardModifiers(modifier));
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(40, 30));
    QCOMPARE(DMAuto->tblAuto.State(), CursorState::Browse);

    // Nothing to copy from a row without a photo: the clipboard keeps its content.
    QGuiApplication::clipboard()->setText(QStringLiteral("записка"));
    DMAuto->tblAuto.moveTo(1);
    QTest::keyClick(box_, Qt::Key(key), Qt::KeyboardModifiers(modifier));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("записка"));
}

void TestPhotoBox::paste_data()
{
    QTest::addColumn<int>("modifier");
    QTest::addColumn<int>("key");
    QTest::newRow("Ctrl+V") << int(Qt::ControlModifier) << int(Qt::Key_V);
    QTest::newRow("Shift+Insert") << int(Qt::ShiftModifier) << int(Qt::Key_Insert);
}

void TestPhotoBox::paste()
{
    QFETCH(int, modifier);
    QFETCH(int, key);
    DMAuto->tblAuto.moveTo(1);
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QGuiApplication::clipboard()->setImage(picture);

    QTest::keyClick(box_, Qt::Key(key), Qt::KeyboardModifiers(modifier));
    QCOMPARE(DMAuto->tblAuto.State(), CursorState::Edit);
    QCOMPARE(box_->picture().size(), QSize(64, 48));
    QVERIFY(photoOf(2).isNull()); // not yet

    moveToRow(2); // moving on stores the pasted picture
    const QByteArray stored = photoOf(2).toByteArray();
    QCOMPARE(stored.left(2), QByteArray("BM"));
    QImage back;
    QVERIFY(back.loadFromData(stored, "BMP"));
    QCOMPARE(back.pixelColor(5, 5), QColor(Qt::blue));
    QCOMPARE(DMAuto->tblAuto.State(), CursorState::Browse);
}

void TestPhotoBox::cut_data()
{
    QTest::addColumn<int>("modifier");
    QTest::addColumn<int>("key");
    QTest::newRow("Ctrl+X") << int(Qt::ControlModifier) << int(Qt::Key_X);
    QTest::newRow("Shift+Delete") << int(Qt::ShiftModifier) << int(Qt::Key_Delete);
}

void TestPhotoBox::cut()
{
    QFETCH(int, modifier);
    QFETCH(int, key);
    QTest::keyClick(box_, Qt::Key(key), Qt::KeyboardModifiers(modifier));
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(40, 30));
    QVERIFY(box_->picture().isNull());
    QCOMPARE(DMAuto->tblAuto.State(), CursorState::Edit);
    moveToRow(1);
    QVERIFY(photoOf(1).isNull());
}

void TestPhotoBox::escapeGivesUpTheChange()
{
    QTest::keyClick(box_, Qt::Key_X, Qt::ControlModifier);
    QVERIFY(box_->picture().isNull());
    QTest::keyClick(box_, Qt::Key_Escape);
    QCOMPARE(box_->picture().size(), QSize(40, 30));
    moveToRow(2);
    QCOMPARE(photoOf(1).toByteArray().left(2), QByteArray("BM"));
}

void TestPhotoBox::menuShortcutsGoFirst()
{
    ModalAnswers answers;
    answers.press(QMessageBox::No);
    QTest::keyClick(box_, Qt::Key_Delete); // the window's Delete, not a cut
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().value(0).text, QStringLiteral("Вы действительно хотите удалить товар?"));
    QCOMPARE(box_->picture().size(), QSize(40, 30));
}

void TestPhotoBox::closingStoresAPastedPicture()
{
    DMAuto->tblAuto.moveTo(2);
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(Qt::green);
    QGuiApplication::clipboard()->setImage(picture);
    QTest::keyClick(box_, Qt::Key_V, Qt::ControlModifier);
    frmMain->close();
    QCOMPARE(photoOf(3).toByteArray().left(2), QByteArray("BM"));
}

void TestPhotoBox::showsAFocusMarkWithTheFocus()
{
    DMAuto->tblAuto.moveTo(1); // no photo: only the frame and the mark are drawn
    QVERIFY(box_->hasFocus());
    const QImage focused = box_->grab().toImage();
    frmMain->gridAuto->setFocus();
    QTRY_VERIFY(!box_->hasFocus());
    const QImage unfocused = box_->grab().toImage();
    // Just inside the single-line border, dots while focused, nothing after.
    const auto inkInside = [](const QImage &image) {
        int ink = 0;
        for (int x = 2; x < image.width() - 2; ++x)
            ink +=
                image.pixelColor(x, 2) != image.pixelColor(image.width() / 2, image.height() / 2);
        return ink;
    };
    QVERIFY(inkInside(focused) > box_->width() / 4);
    QCOMPARE(inkInside(unfocused), 0);
}

AUTOPARTS_GUI_TEST_MAIN(TestPhotoBox)
#include "tst_dbimage.moc"
