#include "Unit_category_edit.h"

TfrmCatEdit *frmCatEdit = nullptr;

TfrmCatEdit::TfrmCatEdit(QWidget *parent)
    : ModalWindow(parent, QStringLiteral("Редактирвоание категории"), QSize(359, 128))
{
}
