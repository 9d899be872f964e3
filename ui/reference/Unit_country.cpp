#include "Unit_country.h"

#include "Unit_country_edit.h"

#include "UnitDM.h"
#include "ui/common/Guarded.h"
#include "ui/widgets/DBGrid.h"

#include <QPushButton>

TfrmCountry *frmCountry = nullptr;

TfrmCountry::TfrmCountry(QWidget *parent)
    : ReferenceList(parent, QStringLiteral("Справочник стран производителей"), QSize(537, 360), DMAuto->tblCountry,
                    DMAuto->tblCountrycountry,
                    QStringLiteral("Вы действительно хотите удалить выбранную страну?\n\r\n\rСтрана: "))
{
    DBGrid1 = createGrid(&DMAuto->DSCountry, QStringLiteral("country_id"), QStringLiteral("country"),
                         QStringLiteral("Страна производитель"), 337);
    DBGrid1->setGeometry(0, 0, 379, 360); // along the left edge, the full height
    const auto button = [this](const QString &caption, QRect at) {
        auto *b = new QPushButton(caption, client());
        b->setGeometry(at);
        b->setAutoDefault(false);
        return b;
    };
    BitBtn1 = button(QStringLiteral("Добавить"), QRect(388, 6, 138, 25));
    BitBtn2 = button(QStringLiteral("Редактирвоать"), QRect(388, 36, 138, 25));
    BitBtn3 = button(QStringLiteral("Удаление"), QRect(388, 66, 138, 25));
    BitBtn4 = button(QStringLiteral("Выход"), QRect(418, 327, 110, 25));
    connect(BitBtn1, &QPushButton::clicked, this, guarded([this] { BitBtn1Click(); }));
    connect(BitBtn2, &QPushButton::clicked, this, guarded([this] { BitBtn2Click(); }));
    connect(BitBtn3, &QPushButton::clicked, this, guarded([this] { BitBtn3Click(); }));
    connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(); });

    setTabOrder(DBGrid1, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, BitBtn3);
    setTabOrder(BitBtn3, BitBtn4);
}

QDialog *TfrmCountry::editDialog() const
{
    return frmCountryEdit;
}
