#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "ReadOnlyFile.h"
#include "TestCatalogue.h"
#include "TypeText.h"

#include "CatalogueGenerator.h"
#include "UnitDM.h"
#include "app/Startup.h"
#include "ui/goods/Unit_editTovars.h"
#include "ui/main/Unit_tr.h"
#include "ui/widgets/DBEdit.h"
#include "ui/widgets/DBImage.h"
#include "ui/widgets/DBLookupComboBox.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

QByteArray imageFile(QSize size, QColor colour, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

// Answers the picture dialog with `path`.
void choosePicture(ModalAnswers &answers, const QString &path)
{
    answers.handle([path](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->nameFilters(), QStringList({"Bitmaps (*.bmp)"}));
        // The user types the file's name, as one may also for a file that does not exist.
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

QVariant stored(TestCatalogue &catalogue, const char *column, qint64 key)
{
    const QByteArray sql = QByteArray("SELECT ") + column + " FROM tovars WHERE auto_id = ?";
    return catalogue.query(sql.constData(), {key});
}

} // namespace

// The goods editor through its real widgets. Goods 1..3: 1 has a photo; the
// rows use different categories, makes and countries.
class TestGoodsEditor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void addTakesTheReferencesOfTheCurrentRow();
    void lookupBoxesMoveTheReferenceCursors();
    void refusalsBeforeTheEditorOpens();
    void okTestsTheTwoTextsInOrder();
    void numberFieldsRefuseOtherCharacters_data();
    void numberFieldsRefuseOtherCharacters();
    void aNumberThatDoesNotConvertTakesTheFocusBack();
    void priceTakesThePointAndTheComma_data();
    void priceTakesThePointAndTheComma();
    void refusedNumbersAreExplained_data();
    void refusedNumbersAreExplained();
    void closingTheEditor_data();
    void closingTheEditor();
    void deleteButtonFollowsThePhoto();
    void loadingReplacesThePhoto();
    void aFileThatDoesNotLoadChangesNothing_data();
    void aFileThatDoesNotLoadChangesNothing();
    void otherPictureKindsAreStoredAsBitmaps();
    void runLengthFileIsStoredByteForByte();
    void deletingThePhotoOfANewRowStoresTheRow();

private:
    // Opens the editor with `command` and runs `inside` while it is shown;
    // answers for boxes opened inside are queued inside, before their cause.
    void withEditor(QAction *command, const std::function<void()> &inside, ModalAnswers &answers);

    std::unique_ptr<TestCatalogue> catalogue_;
    QTemporaryDir files_;
    QByteArray photo_;
};

void TestGoodsEditor::init()
{
    catalogue_ = std::make_unique<TestCatalogue>();
    TestCatalogue &c = *catalogue_;
    for (const char *name : {"Фильтры", "Свечи", "Аккумуляторы"})
        c.addCategory(QString::fromUtf8(name));
    for (const char *name : {"ВАЗ", "Toyota", "BMW"})
        c.addMake(QString::fromUtf8(name));
    for (const char *name : {"Россия", "Япония", "Германия"})
        c.addCountry(QString::fromUtf8(name));
    photo_ = imageFile(QSize(40, 30), Qt::red, "BMP");
    c.addGoods({1, 1, QStringLiteral("Фильтр"), QStringLiteral("2107"), 5, 1500000, 1, 1, photo_, {}});
    c.addGoods({2, 2, QStringLiteral("Свеча"), QStringLiteral("Camry"), 8, 50000, 2, 2, {}, {}});
    c.addGoods({3, 3, QStringLiteral("Аккумулятор"), QStringLiteral("X5"), 1, 9000000, 3, 3, {}, {}});
    Startup::createComponents();
    Startup::showMainWindow();
}

void TestGoodsEditor::cleanup()
{
    Startup::destroyComponents();
    catalogue_.reset();
}

void TestGoodsEditor::withEditor(QAction *command, const std::function<void()> &inside,
                                 ModalAnswers &answers)
{
    QCOMPARE(answers.unanswered(), 0); // the editor is the next modal window
    bool ran = false;
    answers.handle([&](QWidget *modal) {
        ran = true;
        QCOMPARE(modal, frmTovarEdit);
        QApplication::setActiveWindow(frmTovarEdit);
        inside();
        if (frmTovarEdit->isVisible())
            frmTovarEdit->close();
    });
    command->trigger();
    QVERIFY(ran);
    QVERIFY(answers.waitAllAnswered());
    QVERIFY(!frmTovarEdit->isVisible());
    QCOMPARE(DMAuto->tblAuto.State(), CursorState::Browse);
}

void TestGoodsEditor::addTakesTheReferencesOfTheCurrentRow()
{
    DMAuto->tblAuto.moveTo(2); // category 3, make 3, country 3
    ModalAnswers answers;
    withEditor(frmMain->mnuAdd, [] {
        QCOMPARE(DMAuto->tblAuto.State(), CursorState::Insert);
        QCOMPARE(frmTovarEdit->DBLookupComboBox1->currentText(), QStringLiteral("Аккумуляторы"));
        QCOMPARE(frmTovarEdit->DBLookupComboBox2->currentText(), QStringLiteral("BMW"));
        QCOMPARE(frmTovarEdit->DBLookupComboBox3->currentText(), QStringLiteral("Германия"));
        QVERIFY(frmTovarEdit->editNameTov->text().isEmpty());
        QTest::keyClick(frmTovarEdit, Qt::Key_Escape);
    }, answers);
    QCOMPARE(catalogue_->count("tovars"), 3);
}

void TestGoodsEditor::lookupBoxesMoveTheReferenceCursors()
{
    // The editor is hidden; its boxes still follow the goods rows.
    DMAuto->tblAuto.moveTo(1);
    QCOMPARE(DMAuto->tblCategorycatName.AsString(), QStringLiteral("Свечи"));
    QCOMPARE(DMAuto->tblMarkaname.AsString(), QStringLiteral("Toyota"));
    DMAuto->tblAuto.moveTo(0);
    QCOMPARE(DMAuto->tblCountrycountry.AsString(), QStringLiteral("Россия"));

    // Choosing an entry writes its key at once.
    ModalAnswers answers;
    withEditor(frmMain->mnuEdit, [] {
        auto *box = frmTovarEdit->DBLookupComboBox2;
        const int bmw = box->findText(QStringLiteral("BMW"));
        box->setCurrentIndex(bmw);
        emit box->activated(bmw);
        QCOMPARE(DMAuto->tblAutoauto_type.AsInteger(), 3);
        QCOMPARE(DMAuto->tblMarkaname.AsString(), QStringLiteral("BMW"));
        QTest::mouseClick(frmTovarEdit->BitBtn1, Qt::LeftButton);
    }, answers);
    QCOMPARE(stored(*catalogue_, "auto_type", 1).toInt(), 3);
}

void TestGoodsEditor::refusalsBeforeTheEditorOpens()
{
    // Edit with no row shown, even though the table holds rows.
    DMAuto->tblAuto.setFilter(QStringLiteral("numSklad='99'"));
    DMAuto->tblAuto.setFiltered(true);
    ModalAnswers answers;
    answers.press(QMessageBox::Ok);
    frmMain->mnuEdit->trigger();
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes()[0].text, QStringLiteral("Отсутствуют данные для модификации"));
    QCOMPARE(answers.boxes()[0].caption, QStringLiteral("Сообщение"));
    QCOMPARE(answers.boxes()[0].owner, frmMain);

    // A catalogue that cannot be written: neither Add nor Edit opens the editor.
    Startup::destroyComponents();
    ReadOnlyFile readOnly(catalogue_->path());
    if (!readOnly.effective())
        QSKIP("this machine cannot make a file read-only for this user");
    Startup::createComponents();
    QVERIFY(!DMAuto->tblAuto.CanModify());
    answers.press(QMessageBox::Ok);
    answers.press(QMessageBox::Ok);
    frmMain->mnuAdd->trigger();
    frmMain->mnuEdit->trigger();
    QVERIFY(answers.waitAllAnswered());
    for (int i : {1, 2}) {
        QCOMPARE(answers.boxes()[i].text, QStringLiteral("Нельзя модифицировать данные"));
        QCOMPARE(answers.boxes()[i].caption, QStringLiteral("Ошибка"));
        QCOMPARE(answers.boxes()[i].icon, QMessageBox::Information);
    }
    QCOMPARE(DMAuto->tblAuto.State(), CursorState::Browse);
}

void TestGoodsEditor::okTestsTheTwoTextsInOrder()
{
    ModalAnswers answers;
    withEditor(frmMain->mnuAdd, [&answers] {
        answers.press(QMessageBox::Ok);
        QTest::mouseClick(frmTovarEdit->BitBtn1, Qt::LeftButton);
        QCOMPARE(answers.boxes().size(), 1); // only the first complaint
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("Введите номер склада"));
        QCOMPARE(answers.boxes()[0].caption, QStringLiteral("Ошибка"));
        QCOMPARE(answers.boxes()[0].owner, frmTovarEdit);
        typeText(frmTovarEdit->editNumSklad, QStringLiteral("7"));
        answers.press(QMessageBox::Ok);
        QTest::mouseClick(frmTovarEdit->BitBtn1, Qt::LeftButton);
        QCOMPARE(answers.boxes().value(1).text, QStringLiteral("Введите название товара"));
        QVERIFY(frmTovarEdit->isVisible());
        typeText(frmTovarEdit->editNameTov, QStringLiteral("Ремень ГРМ"));
        typeText(frmTovarEdit->editPrice, QStringLiteral("12") + QLocale::system().decimalPoint() +
                                              QStringLiteral("5"));
        QTest::mouseClick(frmTovarEdit->BitBtn1, Qt::LeftButton);
        QVERIFY(!frmTovarEdit->isVisible());
    }, answers);
    QCOMPARE(catalogue_->count("tovars"), 4);
    QCOMPARE(stored(*catalogue_, "tovName", 4).toString(), QStringLiteral("Ремень ГРМ"));
    QCOMPARE(stored(*catalogue_, "numSklad", 4).toInt(), 7);
    QCOMPARE(stored(*catalogue_, "price", 4), QVariant(12.5)); // roubles, as any program reads them
    QVERIFY(stored(*catalogue_, "counts", 4).isNull()); // left empty, allowed
    QCOMPARE(stored(*catalogue_, "cat_id", 4).toInt(), 1); // the current row's references
    QCOMPARE(DMAuto->tblAutotovName.AsString(), QStringLiteral("Ремень ГРМ"));
}

void TestGoodsEditor::numberFieldsRefuseOtherCharacters_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    const QString point = QLocale::system().decimalPoint();
    QTest::newRow("warehouse") << "sklad" << "1a2" << "12";
    QTest::newRow("quantity, signs allowed") << "count" << "-3x+" << "-3+";
    QTest::newRow("price takes the decimal separator") << "price" << "9" + point + "5р" << "9" + point + "5";
    QTest::newRow("text column takes anything") << "model" << "2107 GT" << "2107 GT";
}

void TestGoodsEditor::numberFieldsRefuseOtherCharacters()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    ModalAnswers answers;
    withEditor(frmMain->mnuAdd, [&] {
        DBEdit *edit = field == "sklad"   ? frmTovarEdit->editNumSklad
                       : field == "count" ? frmTovarEdit->editCount
                       : field == "price" ? frmTovarEdit->editPrice
                                          : frmTovarEdit->editModel;
        edit->setFocus();
        typeText(edit, typed);
        QCOMPARE(edit->text(), shown);
        QTest::keyClick(frmTovarEdit, Qt::Key_Escape);
    }, answers);
}

void TestGoodsEditor::aNumberThatDoesNotConvertTakesTheFocusBack()
{
    const QString point = QLocale::system().decimalPoint();
    const QString typed = QStringLiteral("1") + point + QStringLiteral("2") + point + QStringLiteral("3");
    ModalAnswers answers;
    withEditor(frmMain->mnuEdit, [&] {
        DBEdit *price = frmTovarEdit->editPrice;
        price->setFocus();
        price->selectAll();
        typeText(price, typed); // every key allowed, the whole not a number
        answers.press(QMessageBox::Ok);
        frmTovarEdit->editModel->setFocus(Qt::TabFocusReason);
        QVERIFY(answers.waitAllAnswered());
        QCOMPARE(answers.boxes().value(0).icon, QMessageBox::Critical);
        QVERIFY2(answers.boxes().value(0).text.contains(typed), qPrintable(answers.boxes().value(0).text));
        QApplication::setActiveWindow(frmTovarEdit);
        QTRY_COMPARE(frmTovarEdit->focusWidget(), price);
        QCOMPARE(price->selectedText(), typed);
        QTest::keyClick(frmTovarEdit, Qt::Key_Escape);
    }, answers);
    QCOMPARE(stored(*catalogue_, "price", 1), QVariant(qint64(150)));
}

void TestGoodsEditor::priceTakesThePointAndTheComma_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("point") << "289.90" << int(Qt::NoModifier);
    QTest::newRow("comma") << "289,90" << int(Qt::NoModifier);
    QTest::newRow("point of the numeric keypad") << "289.90" << int(Qt::KeypadModifier);
}

void TestGoodsEditor::priceTakesThePointAndTheComma()
{
    QFETCH(QString, typed);
    QFETCH(int, modifiers);
    // This test program runs under a Russian locale (see its CMakeLists.txt).
    QCOMPARE(QLocale::system().decimalPoint(), QStringLiteral(","));
    ModalAnswers answers;
    withEditor(
        frmMain->mnuEdit,
        [&] {
            DBEdit *price = frmTovarEdit->editPrice;
            price->setFocus();
            price->selectAll();
            for (const QChar c : typed)
                QTest::sendKeyEvent(QTest::Click, price, Qt::Key_unknown, QString(c),
                                    Qt::KeyboardModifiers(modifiers));
            QCOMPARE(price->text(), QStringLiteral("289,90"));
            QTest::mouseClick(frmTovarEdit->BitBtn1, Qt::LeftButton);
        },
        answers);
    QCOMPARE(answers.boxes().size(), 0);
    QCOMPARE(stored(*catalogue_, "price", 1), QVariant(289.9));
}

void TestGoodsEditor::refusedNumbersAreExplained_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("told");
    QTest::newRow("five decimals") << "price"
                                   << "1,23456"
                                   << "В поле «Цена» допускается не больше четырёх знаков после "
                                      "запятой";
    QTest::newRow("too large a price")
        << "price"
        << "9999999999999999"
        << "Число в поле «Цена» слишком велико (наибольшее 922 337 203 685 477,5807)";
    QTest::newRow("too large a warehouse number")
        << "sklad"
        << "99999999999"
        << "Число в поле «№ склада» слишком велико (наибольшее 2 147 483 647)";
    QTest::newRow("beyond any number") << "sklad"
                                       << "99999999999999999999"
                                       << "Число в поле «№ склада» слишком велико";
    QTest::newRow("too small a quantity")
        << "count"
        << "-3000000000"
        << "Число в поле «Количество» слишком мало (наименьшее -2 147 483 648)";
    QTest::newRow("signs only") << "count"
                                << "+-"
                                << "В поле «Количество» должно быть целое число";
}

void TestGoodsEditor::refusedNumbersAreExplained()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, told);
    ModalAnswers answers;
    withEditor(
        frmMain->mnuEdit,
        [&] {
            DBEdit *edit = field == "price"   ? frmTovarEdit->editPrice
                           : field == "sklad" ? frmTovarEdit->editNumSklad
                                              : frmTovarEdit->editCount;
            edit->setFocus();
            edit->selectAll();
            typeText(edit, typed);
            answers.press(QMessageBox::Ok);
            frmTovarEdit->editModel->setFocus(Qt::TabFocusReason);
            QVERIFY(answers.waitAllAnswered());
            QVERIFY2(answers.boxes().value(0).text.startsWith(told),
                     qPrintable(answers.boxes().value(0).text));
            QTest::keyClick(frmTovarEdit, Qt::Key_Escape);
        },
        answers);
    QCOMPARE(stored(*catalogue_, "numSklad", 1), QVariant(qint64(1)));
}

void TestGoodsEditor::closingTheEditor_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("saved");
    QTest::newRow("Enter in a field runs OK") << "Enter" << true;
    QTest::newRow("Esc cancels") << "Esc" << false;
    QTest::newRow("Отмена cancels") << "Cancel" << false;
    QTest::newRow("the close box cancels") << "close" << false;
}

void TestGoodsEditor::closingTheEditor()
{
    QFETCH(QString, how);
    QFETCH(bool, saved);
    DMAuto->tblAuto.moveTo(1);
    ModalAnswers answers;
    withEditor(frmMain->mnuEdit, [&] {
        QCOMPARE(frmTovarEdit->editModel->text(), QStringLiteral("Camry"));
        frmTovarEdit->editModel->setFocus();
        frmTovarEdit->editModel->selectAll();
        typeText(frmTovarEdit->editModel, QStringLiteral("Corolla"));
        if (how == "Enter")
            QTest::keyClick(frmTovarEdit->editModel, Qt::Key_Return); // not written yet: OK writes it
        else if (how == "Esc")
            QTest::keyClick(frmTovarEdit->editModel, Qt::Key_Escape);
        else if (how == "Cancel")
            QTest::mouseClick(frmTovarEdit->BitBtn2, Qt::LeftButton);
        else
            frmTovarEdit->close();
    }, answers);
    QCOMPARE(stored(*catalogue_, "models", 2).toString(),
             saved ? QStringLiteral("Corolla") : QStringLiteral("Camry"));
    QCOMPARE(DMAuto->tblAutomodels.AsString(), stored(*catalogue_, "models", 2).toString());
}

void TestGoodsEditor::deleteButtonFollowsThePhoto()
{
    ModalAnswers answers;
    withEditor(frmMain->mnuEdit, [] { QVERIFY(frmTovarEdit->btnDelete->isEnabled()); }, answers);
    DMAuto->tblAuto.moveTo(1);
    withEditor(frmMain->mnuEdit, [] { QVERIFY(!frmTovarEdit->btnDelete->isEnabled()); }, answers);
}

void TestGoodsEditor::loadingReplacesThePhoto()
{
    const QByteArray blue = imageFile(QSize(50, 20), Qt::blue, "BMP");
    const QString path = writeFile(files_, QStringLiteral("blue.bmp"), blue);
    ModalAnswers answers;
    withEditor(frmMain->mnuEdit, [&] {
        choosePicture(answers, path);
        QTest::mouseClick(frmTovarEdit->BitBtn3, Qt::LeftButton);
        // The old photo was removed and the row stored before the new one came in.
        QVERIFY(stored(*catalogue_, "screenshots", 1).isNull());
        QCOMPARE(frmTovarEdit->DBImgScreen->picture().size(), QSize(50, 20));
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(50, 20));
        QVERIFY(frmTovarEdit->btnDelete->isEnabled());
        QTest::mouseClick(frmTovarEdit->BitBtn2, Qt::LeftButton); // cancel
    }, answers);
    // Cancel drops the new picture; the old photo does not come back.
    QVERIFY(stored(*catalogue_, "screenshots", 1).isNull());

    withEditor(frmMain->mnuEdit, [&] {
        choosePicture(answers, path);
        QTest::mouseClick(frmTovarEdit->BitBtn3, Qt::LeftButton);
        QTest::mouseClick(frmTovarEdit->BitBtn1, Qt::LeftButton);
    }, answers);
    QCOMPARE(stored(*catalogue_, "screenshots", 1).toByteArray().left(2), QByteArray("BM"));
    QCOMPARE(frmMain->DBImage1->picture().size(), QSize(50, 20));
}

void TestGoodsEditor::aFileThatDoesNotLoadChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // null: the file does not exist
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << "missing.bmp" << QByteArray() << "missing.bmp";
    QTest::newRow("damaged bitmap") << "damaged.bmp" << QByteArray("BM not really a bitmap")
                                    << "Bitmap image is not valid.";
    QTest::newRow("unknown kind") << "notes.xyz" << QByteArray("text")
                                  << "Unknown picture file extension (.xyz)"; // ")" needs no full stop
}

void TestGoodsEditor::aFileThatDoesNotLoadChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QString path = content.isNull() ? files_.filePath(name) : writeFile(files_, name, content);
    ModalAnswers answers;
    withEditor(frmMain->mnuEdit, [&] {
        choosePicture(answers, path);
        answers.press(QMessageBox::Ok);
        QTest::mouseClick(frmTovarEdit->BitBtn3, Qt::LeftButton);
        QCOMPARE(answers.boxes().value(0).icon, QMessageBox::Critical);
        QVERIFY2(answers.boxes().value(0).text.contains(message),
                 qPrintable(answers.boxes().value(0).text));
        QCOMPARE(frmTovarEdit->DBImgScreen->picture().size(), QSize(40, 30));
        QVERIFY(frmTovarEdit->btnDelete->isEnabled());
    }, answers);
    QCOMPARE(stored(*catalogue_, "screenshots", 1).toByteArray(), photo_);
}

void TestGoodsEditor::otherPictureKindsAreStoredAsBitmaps()
{
    const QString path =
        writeFile(files_, QStringLiteral("part.png"), imageFile(QSize(64, 48), Qt::green, "PNG"));
    DMAuto->tblAuto.moveTo(1);
    ModalAnswers answers;
    withEditor(frmMain->mnuEdit, [&] {
        choosePicture(answers, path);
        QTest::mouseClick(frmTovarEdit->BitBtn3, Qt::LeftButton);
        QTest::mouseClick(frmTovarEdit->BitBtn1, Qt::LeftButton);
    }, answers);
    const QByteArray bytes = stored(*catalogue_, "screenshots", 2).toByteArray();
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    QImage image;
    QVERIFY(image.loadFromData(bytes, "BMP"));
    QCOMPARE(image.size(), QSize(64, 48));
    QCOMPARE(image.pixelColor(10, 10), QColor(Qt::green));
}

void TestGoodsEditor::runLengthFileIsStoredByteForByte()
{
    CatalogueGenerator::Photo rle{};
    for (const CatalogueGenerator::Photo &photo : CatalogueGenerator::demoPhotos())
        if (photo.kind == BmpWriter::Kind::Rle8)
            rle = photo;
    const QByteArray file = CatalogueGenerator::photoBytes(rle);
    const QString path = writeFile(files_, QStringLiteral("rle.bmp"), file);
    DMAuto->tblAuto.moveTo(2);
    ModalAnswers answers;
    withEditor(frmMain->mnuEdit, [&] {
        choosePicture(answers, path);
        QTest::mouseClick(frmTovarEdit->BitBtn3, Qt::LeftButton);
        QTest::mouseClick(frmTovarEdit->BitBtn1, Qt::LeftButton);
    }, answers);
    QCOMPARE(stored(*catalogue_, "screenshots", 3).toByteArray(), file);
}

void TestGoodsEditor::deletingThePhotoOfANewRowStoresTheRow()
{
    const QString path = writeFile(files_, QStringLiteral("p.bmp"), photo_);
    ModalAnswers answers;
    withEditor(frmMain->mnuAdd, [&] {
        choosePicture(answers, path);
        QTest::mouseClick(frmTovarEdit->BitBtn3, Qt::LeftButton);
        // Leaving the photo box writes its picture into the new row.
        QApplication::setActiveWindow(frmTovarEdit); // the file dialog had the focus
        frmTovarEdit->DBImgScreen->setFocus();
        frmTovarEdit->editModel->setFocus(Qt::TabFocusReason);
        QVERIFY(DMAuto->tblAutoscreenshots.BlobSize() > 0);
        QTest::mouseClick(frmTovarEdit->btnDelete, Qt::LeftButton);
        QCOMPARE(catalogue_->count("tovars"), 4); // inserted now
        QCOMPARE(DMAuto->tblAuto.State(), CursorState::Edit);
        QVERIFY(!frmTovarEdit->btnDelete->isEnabled());
        QTest::mouseClick(frmTovarEdit->BitBtn2, Qt::LeftButton);
    }, answers);
    QCOMPARE(catalogue_->count("tovars"), 4); // Отмена does not take it back
    QVERIFY(stored(*catalogue_, "screenshots", 4).isNull());
}

AUTOPARTS_GUI_TEST_MAIN(TestGoodsEditor)
#include "tst_unit_edittovars.moc"
