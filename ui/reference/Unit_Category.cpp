#include "Unit_Category.h"

#include "Unit_category_edit.h"

#include "UnitDM.h"
#include "gui/Guarded.h"
#include "ui/widgets/DBGrid.h"

#include "ui/widgets/MenuShortcuts.h"
#include <QPushButton>

#include <QAction>
#include <QMenuBar>

TfrmCategory *frmCategory = nullptr;

TfrmCategory::TfrmCategory(QWidget *parent)
    : ReferenceList(parent, QStringLiteral("Справочник категорий"), QSize(467, 481),
                    DMAuto->tblCategory, DMAuto->tblCategorycatName,
                    QStringLiteral("Вы действительно хотите удалить категорию: "))
{
    menuOwner = createMenuBar();
    mnuAdd = menuOwner->addAction(QStringLiteral("Добавить"));
    mnuEdit = menuOwner->addAction(QStringLiteral("Редактировать"));
    mnuDelete = menuOwner->addAction(QStringLiteral("Удалить"));
    mnuAdd->setShortcut(Qt::CTRL | Qt::Key_N);
    mnuEdit->setShortcut(Qt::CTRL | Qt::Key_E);
    mnuDelete->setShortcut(Qt::Key_Delete);
    new MenuShortcuts(this, {mnuAdd, mnuEdit, mnuDelete});
    connect(mnuAdd, &QAction::triggered, this, guarded([this] { mnuAddClick(); }));
    connect(mnuEdit, &QAction::triggered, this, guarded([this] { mnuEditClick(); }));
    connect(mnuDelete, &QAction::triggered, this, guarded([this] { mnuDeleteClick(); }));

    DBGridArb = createGrid(&DMAuto->DSCategory, QStringLiteral("cat_id"), QStringLiteral("catName"),
                           QStringLiteral("Категория"), 202);
    DBGridArb->setGeometry(4, 3, 301, 466);
    btnAdd = createButton(QStringLiteral("Добавить"), QRect(319, 12, 137, 25),
                          [this] { btnAddClick(); });
    btnEdit = createButton(QStringLiteral("Редактировать"), QRect(318, 44, 137, 25),
                           [this] { btnEditClick(); });
    btnDelete = createButton(QStringLiteral("Удалить"), QRect(318, 76, 137, 25),
                             [this] { btnDeleteClick(); });
    BitBtn1 =
        createButton(QStringLiteral("Выход"), QRect(372, 442, 75, 25), [this] { BitBtn1Click(); });

    setTabOrder(DBGridArb, BitBtn1);
    setTabOrder(BitBtn1, btnDelete);
    setTabOrder(btnDelete, btnEdit);
    setTabOrder(btnEdit, btnAdd);
}

QDialog *TfrmCategory::editDialog() const
{
    return frmCatEdit;
}
