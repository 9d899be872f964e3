#include "Unit_marka_edit.h"

TfrmMarkaEdit *frmMarkaEdit = nullptr;

TfrmMarkaEdit::TfrmMarkaEdit(QWidget *parent)
    : ModalWindow(parent, QStringLiteral("Редактирование марки запчасти"), QSize(438, 132), true)
{
}
