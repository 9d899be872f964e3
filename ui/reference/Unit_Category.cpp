#include "Unit_Category.h"

#include "Unit_category_edit.h"

#include "UnitDM.h"
#include "ui/common/Guarded.h"
#include "ui/widgets/DBGrid.h"
#include "ui/widgets/MenuShortcuts.h"

#include <QAction>
#include <QMenuBar>
#include <QPushButton>

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

    DBGridArb = createGrid(&DMAuto->DSCategory, QStringLiteral("cat_id"),
                           QStringLiteral("catName"), QStringLiteral("Категория"), 202);
    DBGridArb->setGeometry(4, 3, 301, 466);
    const auto button = [this](const QString &caption, QRect at) {
        auto *b = new QPushButton(caption, client());
        b->setGeometry(at);
        b->setAutoDefault(false);
        return b;
    };
    btnAdd = button(QStringLiteral("Добавить"), QRect(319, 12, 137, 25));
    btnEdit = button(QStringLiteral("Редактировать"), QRect(318, 44, 137, 25));
    btnDelete = button(QStringLiteral("Удалить"), QRect(318, 76, 137, 25));
    BitBtn1 = button(QStringLiteral("Выход"), QRect(372, 442, 75, 25));
    connect(btnAdd, &QPushButton::clicked, this, guarded([this] { btnAddClick(); }));
    connect(btnEdit, &QPushButton::clicked, this, guarded([this] { btnEditClick(); }));
    connect(btnDelete, &QPushButton::clicked, this, guarded([this] { btnDeleteClick(); }));
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });

    setTabOrder(DBGridArb, BitBtn1);
    setTabOrder(BitBtn1, btnDelete);
    setTabOrder(btnDelete, btnEdit);
    setTabOrder(btnEdit, btnAdd);
}

QDialog *TfrmCategory::editDialog() const
{
    return frmCatEdit;
}
