#include "Unit_country.h"

#include "Unit_country_edit.h"

#include "UnitDM.h"
#include "ui/widgets/DBGrid.h"

#include <QPushButton>

TfrmCountry *frmCountry = nullptr;

TfrmCountry::TfrmCountry(QWidget *parent)
    : ReferenceList(
          parent, QStringLiteral("Справочник стран производителей"), QSize(537, 360),
          DMAuto->tblCountry, DMAuto->tblCountrycountry,
          QStringLiteral("Вы действительно хотите удалить выбранную страну?\n\r\n\rСтрана: "))
{
    DBGrid1 = createGrid(&DMAuto->DSCountry, QStringLiteral("country_id"),
                         QStringLiteral("country"), QStringLiteral("Страна производитель"), 337);
    DBGrid1->setGeometry(0, 0, 379, 360); // along the left edge, the full height
    BitBtn1 = createButton(QStringLiteral("Добавить"), QRect(388, 6, 138, 25),
                           [this] { BitBtn1Click(); });
    BitBtn2 = createButton(QStringLiteral("Редактирвоать"), QRect(388, 36, 138, 25),
                           [this] { BitBtn2Click(); });
    BitBtn3 = createButton(QStringLiteral("Удаление"), QRect(388, 66, 138, 25),
                           [this] { BitBtn3Click(); });
    BitBtn4 =
        createButton(QStringLiteral("Выход"), QRect(418, 327, 110, 25), [this] { BitBtn4Click(); });

    setTabOrder(DBGrid1, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, BitBtn3);
    setTabOrder(BitBtn3, BitBtn4);
}

QDialog *TfrmCountry::editDialog() const
{
    return frmCountryEdit;
}
