#include "Unit_marka.h"

#include "Unit_marka_edit.h"

#include "UnitDM.h"
#include "ui/widgets/DBGrid.h"

#include <QPushButton>

TfrmMarka *frmMarka = nullptr;

TfrmMarka::TfrmMarka(QWidget *parent)
    : ReferenceList(parent, QStringLiteral("Справочник марок запчастей"), QSize(531, 462),
                    DMAuto->tblMarka, DMAuto->tblMarkaname,
                    QStringLiteral("Вы действительно хотите удалить марку?\n\r\n\rМарка: "))
{
    DBGrid1 = createGrid(&DMAuto->DSMarka, QStringLiteral("auto_type"), QStringLiteral("name"),
                         QStringLiteral("Название марки"), 0);
    DBGrid1->setGeometry(0, 0, 379, 462); // along the left edge, the full height
    BitBtn1 = createButton(QStringLiteral("Добавить"), QRect(393, 6, 127, 25),
                           [this] { BitBtn1Click(); });
    BitBtn2 = createButton(QStringLiteral("Редактирвоать"), QRect(393, 36, 127, 25),
                           [this] { BitBtn2Click(); });
    BitBtn3 = createButton(QStringLiteral("Удаление"), QRect(393, 66, 127, 25),
                           [this] { BitBtn3Click(); });
    BitBtn4 =
        createButton(QStringLiteral("Выход"), QRect(406, 425, 110, 25), [this] { BitBtn4Click(); });

    setTabOrder(DBGrid1, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, BitBtn3);
    setTabOrder(BitBtn3, BitBtn4);
}

QDialog *TfrmMarka::editDialog() const
{
    return frmMarkaEdit;
}
