#include "Unit_country_edit.h"

TfrmCountryEdit *frmCountryEdit = nullptr;

TfrmCountryEdit::TfrmCountryEdit(QWidget *parent)
    : ModalWindow(parent, QStringLiteral("Редактирование страны"), QSize(427, 129))
{
}
