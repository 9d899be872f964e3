#include "Unit_editTovars.h"

#include "UnitDM.h"
#include "recordset/Error.h"
#include "gui/BusyPointer.h"
#include "gui/Guarded.h"
#include "gui/MessageBoxes.h"
#include "ui/main/Unit_tr.h"
#include "ui/widgets/DBEdit.h"
#include "ui/widgets/DBImage.h"
#include "ui/widgets/DBLookupComboBox.h"
#include "ui/widgets/Pictures.h"
#include "ui/widgets/PressToolButton.h"

#include <QAction>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>

TfrmTovarEdit *frmTovarEdit = nullptr;

TfrmTovarEdit::TfrmTovarEdit(QWidget *parent)
    : ModalWindow(parent, QStringLiteral("Редактирование товара"), QSize(537, 589))
{
    createMenuAndToolBar();
    createFields();
    createPhotoGroup();
    setTabOrders();

    savePicDialog = new QFileDialog(this);
    savePicDialog->setAcceptMode(QFileDialog::AcceptSave);
    savePicDialog->setNameFilter(QStringLiteral("Bitmaps (*.bmp)"));
    // The user may also type the name of a file that does not exist; nothing
    // is ever written to it.
    savePicDialog->setOption(QFileDialog::DontConfirmOverwrite);
    savePicDialog->setFileMode(QFileDialog::AnyFile);
    savePicDialog->setOption(QFileDialog::DontUseNativeDialog);
}

void TfrmTovarEdit::createMenuAndToolBar()
{
    MainMenu1 = createMenuBar();
    N1 = MainMenu1->addMenu(QStringLiteral("Справочники"));
    N2 = N1->addAction(frmMain->ImageList1[0], QStringLiteral("Категории"));
    N3 = N1->addAction(frmMain->ImageList1[2], QStringLiteral("Марки"));
    N4 = N1->addAction(frmMain->ImageList1[1], QStringLiteral("Страны"));
    connect(N2, &QAction::triggered, this, guarded([this] { N2Click(); }));
    // The make and country items run the same commands as their tool buttons.
    connect(N3, &QAction::triggered, this, guarded([] { frmMain->mnuMarkClick(); }));
    connect(N4, &QAction::triggered, this, guarded([] { frmMain->mnuCountryClick(); }));

    ControlBar1 = new QWidget(client());
    ControlBar1->setGeometry(0, 0, 537, 30);
    ToolBar1 = new QWidget(ControlBar1);
    ToolBar1->setGeometry(11, 2, 69, 22);
    const auto button = [this](int left, QAction *item) {
        auto *b = new PressToolButton(ToolBar1);
        b->setDefaultAction(item);
        b->setGeometry(left, 0, 23, 22);
        return b;
    };
    ToolButton1 = button(0, frmMain->mnuCategory);
    ToolButton2 = button(23, frmMain->mnuMark);
    ToolButton3 = button(46, frmMain->mnuCountry);
}

void TfrmTovarEdit::createFields()
{
    const auto label = [this](const QString &caption, QRect at) {
        auto *l = new QLabel(caption, client());
        l->setGeometry(at);
        return l;
    };
    const auto lookup = [this](QRect at, const QString &field, DataSource *list,
                               const QString &listField) {
        auto *box = new DBLookupComboBox(client());
        box->setGeometry(at);
        box->setListSource(list, listField, field);
        box->setDataSource(&DMAuto->DSAuto);
        box->setDataField(field);
        return box;
    };
    const auto edit = [this](QRect at, const QString &field) {
        auto *e = new DBEdit(client());
        e->setGeometry(at);
        e->setDataSource(&DMAuto->DSAuto);
        e->setDataField(field);
        return e;
    };
    Label1 = label(QStringLiteral("Категория:"), QRect(12, 40, 56, 13));
    DBLookupComboBox1 = lookup(QRect(12, 56, 157, 21), QStringLiteral("cat_id"),
                               &DMAuto->DSCategory, QStringLiteral("catName"));
    Label2 = label(QStringLiteral("Марка:"), QRect(192, 40, 36, 13));
    DBLookupComboBox2 = lookup(QRect(190, 56, 159, 21), QStringLiteral("auto_type"),
                               &DMAuto->DSMarka, QStringLiteral("name"));
    Label3 = label(QStringLiteral("Страна:"), QRect(362, 40, 39, 13));
    DBLookupComboBox3 = lookup(QRect(360, 56, 161, 21), QStringLiteral("country_id"),
                               &DMAuto->DSCountry, QStringLiteral("country"));
    Label7 = label(QStringLiteral("№ склада:"), QRect(14, 90, 53, 13));
    editNumSklad = edit(QRect(12, 106, 155, 21), QStringLiteral("numSklad"));
    Label8 = label(QStringLiteral("Модель:"), QRect(191, 90, 42, 13));
    editModel = edit(QRect(190, 106, 159, 21), QStringLiteral("models"));
    Label5 = label(QStringLiteral("Количество:"), QRect(360, 90, 62, 13));
    editCount = edit(QRect(360, 106, 160, 21), QStringLiteral("counts"));
    Label4 = label(QStringLiteral("Наименование товара:"), QRect(12, 134, 117, 13));
    editNameTov = edit(QRect(13, 152, 509, 21), QStringLiteral("tovName"));
    Label6 = label(QStringLiteral("Стоимость:"), QRect(10, 186, 58, 13));
    editPrice = edit(QRect(10, 202, 121, 21), QStringLiteral("price"));

    // Screen readers announce each field by its label.
    Label1->setBuddy(DBLookupComboBox1);
    Label2->setBuddy(DBLookupComboBox2);
    Label3->setBuddy(DBLookupComboBox3);
    Label7->setBuddy(editNumSklad);
    Label8->setBuddy(editModel);
    Label5->setBuddy(editCount);
    Label4->setBuddy(editNameTov);
    Label6->setBuddy(editPrice);

    BitBtn1 = new QPushButton(QStringLiteral("ОК"), client()); // Cyrillic letters
    BitBtn1->setGeometry(314, 550, 98, 26);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Отмена"), client());
    BitBtn2->setGeometry(421, 550, 98, 26);
    BitBtn2->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, guarded([this] { BitBtn1Click(); }));
    connect(BitBtn2, &QPushButton::clicked, this, guarded([this] { BitBtn2Click(); }));
}

void TfrmTovarEdit::createPhotoGroup()
{
    GroupBox1 = new QGroupBox(QStringLiteral("Фото к товару (300х220)"), client()); // Cyrillic х
    GroupBox1->setGeometry(190, 190, 331, 299);
    DBImgScreen = new DBImage(GroupBox1);
    DBImgScreen->setGeometry(12, 26, 300, 220);
    DBImgScreen->setDataSource(&DMAuto->DSAuto);
    DBImgScreen->setDataField(QStringLiteral("screenshots"));
    BitBtn3 = new QPushButton(QStringLiteral("Загрузить фото"), GroupBox1);
    BitBtn3->setGeometry(131, 258, 97, 25);
    btnDelete = new QPushButton(QStringLiteral("Удалить"), GroupBox1);
    btnDelete->setGeometry(236, 258, 75, 25);
    for (QPushButton *b : {BitBtn3, btnDelete})
        b->setAutoDefault(false);
    connect(BitBtn3, &QPushButton::clicked, this, guarded([this] { BitBtn3Click(); }));
    connect(btnDelete, &QPushButton::clicked, this, guarded([this] { btnDeleteClick(); }));
}

void TfrmTovarEdit::setTabOrders()
{
    const QList<QWidget *> order = {DBLookupComboBox1, DBLookupComboBox2, DBLookupComboBox3,
                                    editNumSklad,      editModel,         editCount,
                                    editNameTov,       editPrice,         BitBtn1,
                                    BitBtn2,           BitBtn3,           btnDelete,
                                    DBImgScreen};
    for (int i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
}

bool TfrmTovarEdit::photoPresent() const
{
    return DMAuto->tblAutoscreenshots.BlobSize() > 0;
}

void TfrmTovarEdit::updateDeleteButton()
{
    btnDelete->setEnabled(photoPresent());
}

void TfrmTovarEdit::showEvent(QShowEvent *event)
{
    ModalWindow::showEvent(event);
    if (!event->spontaneous())
        runGuarded([this] { FormShow(); });
}

void TfrmTovarEdit::FormShow()
{
    updateDeleteButton();
    DBLookupComboBox1->setFocus();
}

void TfrmTovarEdit::BitBtn1Click()
{
    // Only these two, in this order, and only for being empty.
    if (editNumSklad->text().isEmpty()) {
        MessageBoxes::information(this, QStringLiteral("Введите номер склада"),
                                  QStringLiteral("Ошибка"));
        return;
    }
    if (editNameTov->text().isEmpty()) {
        MessageBoxes::information(this, QStringLiteral("Введите название товара"),
                                  QStringLiteral("Ошибка"));
        return;
    }
    try {
        DMAuto->tblAuto.Post(); // a refusal keeps the editor open with everything typed
    } catch (const ConflictError &conflict) {
        // Told in the error box like any refusal, with this editor's buttons.
        throw Error(ConflictError::describe(conflict.conflicts(), BitBtn1->text()));
    }
    close();
}

void TfrmTovarEdit::BitBtn2Click()
{
    close();
}

void TfrmTovarEdit::done(int result)
{
    runGuarded([this] { FormClose(); });
    ModalWindow::done(result);
}

void TfrmTovarEdit::FormClose()
{
    // Every close, whatever caused it, leaves the goods cursor browsing.
    DMAuto->tblAuto.Cancel();
}

void TfrmTovarEdit::N2Click()
{
    frmMain->mnuCategoryClick();
}

void TfrmTovarEdit::BitBtn3Click()
{
    if (savePicDialog->exec() != QDialog::Accepted || savePicDialog->selectedFiles().isEmpty())
        return;
    // The new file is read and checked first: a file that does not load
    // changes nothing, the present photo included.
    const Bitmap picture = Pictures::loadFile(savePicDialog->selectedFiles().first());
    if (photoPresent())
        btnDeleteClick();
    DBImgScreen->setPicture(picture);
    DBImgScreen->copyToClipboard();
    // The user sees a picture, so it can be removed at once.
    btnDelete->setEnabled(true);
}

void TfrmTovarEdit::btnDeleteClick()
{
    if (!photoPresent()) {
        // A loaded picture not yet stored is simply given up.
        if (DBImgScreen->isModified())
            DBImgScreen->revert();
        updateDeleteButton();
        return;
    }
    DMAuto->tblAutoscreenshots.Clear();
    // The row is stored at once, with every pending change and without the
    // OK tests; from here on the editor edits the stored row.
    DMAuto->tblAuto.Post();
    {
        const BusyPointer busy; // a large catalogue is read anew
        DMAuto->tblAuto.Refresh();
    }
    DMAuto->tblAuto.Edit();
    updateDeleteButton();
}
