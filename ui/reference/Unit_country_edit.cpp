#include "Unit_country_edit.h"

#include "UnitDM.h"

TfrmCountryEdit *frmCountryEdit = nullptr;

TfrmCountryEdit::TfrmCountryEdit(QWidget *parent)
    : ReferenceEditDialog(parent, DMAuto->tblCountry, &DMAuto->DSCountry, QStringLiteral("country"),
                          {QStringLiteral("Редактирование страны"), QSize(427, 129), false,
                           QStringLiteral("Страна:"), QRect(12, 20, 39, 13), QRect(10, 41, 404, 21),
                           QStringLiteral("ОК"), QRect(257, 92, 75, 25), QRect(338, 92, 75, 25),
                           QStringLiteral("Необходимо ввести название страны производителя"),
                           QStringLiteral("Названия стран должны быть уникальными!")}),
      editCountry(edit)
{}
