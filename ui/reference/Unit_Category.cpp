#include "Unit_Category.h"

TfrmCategory *frmCategory = nullptr;

TfrmCategory::TfrmCategory(QWidget *parent)
    : ModalWindow(parent, QStringLiteral("Справочник категорий"), QSize(467, 481))
{
}
