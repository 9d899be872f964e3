#include "Unit_marka.h"

TfrmMarka *frmMarka = nullptr;

TfrmMarka::TfrmMarka(QWidget *parent)
    : ModalWindow(parent, QStringLiteral("Справочник марок запчастей"), QSize(531, 462))
{
}
