#include "Unit_country.h"

TfrmCountry *frmCountry = nullptr;

TfrmCountry::TfrmCountry(QWidget *parent)
    : ModalWindow(parent, QStringLiteral("Справочник стран производителей"), QSize(537, 360))
{
}
