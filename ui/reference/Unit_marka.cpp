#include "Unit_marka.h"

#include "Unit_marka_edit.h"

#include "UnitDM.h"
#include "ui/common/Guarded.h"
#include "ui/widgets/DBGrid.h"

#include <QPushButton>

TfrmMarka *frmMarka = nullptr;

TfrmMarka::TfrmMarka(QWidget *parent)
    : ReferenceList(parent, QStringLiteral("Справочник марок запчастей"), QSize(531, 462), DMAuto->tblMarka,
                    DMAuto->tblMarkaname,
                    QStringLiteral("Вы действительно хотите удалить марку?\n\r\n\rМарка: "))
{
    DBGrid1 = createGrid(&DMAuto->DSMarka, QStringLiteral("auto_type"), QStringLiteral("name"),
                         QStringLiteral("Название марки"), 0);
    DBGrid1->setGeometry(0, 0, 379, 462); // along the left edge, the full height
    const auto button = [this](const QString &caption, QRect at) {
        auto *b = new QPushButton(caption, client());
        b->setGeometry(at);
        b->setAutoDefault(false);
        return b;
    };
    BitBtn1 = button(QStringLiteral("Добавить"), QRect(393, 6, 127, 25));
    BitBtn2 = button(QStringLiteral("Редактирвоать"), QRect(393, 36, 127, 25));
    BitBtn3 = button(QStringLiteral("Удаление"), QRect(393, 66, 127, 25));
    BitBtn4 = button(QStringLiteral("Выход"), QRect(406, 425, 110, 25));
    connect(BitBtn1, &QPushButton::clicked, this, guarded([this] { BitBtn1Click(); }));
    connect(BitBtn2, &QPushButton::clicked, this, guarded([this] { BitBtn2Click(); }));
    connect(BitBtn3, &QPushButton::clicked, this, guarded([this] { BitBtn3Click(); }));
    connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(); });

    setTabOrder(DBGrid1, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, BitBtn3);
    setTabOrder(BitBtn3, BitBtn4);
}

QDialog *TfrmMarka::editDialog() const
{
    return frmMarkaEdit;
}
