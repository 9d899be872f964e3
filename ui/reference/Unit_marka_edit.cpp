#include "Unit_marka_edit.h"

#include "UnitDM.h"

TfrmMarkaEdit *frmMarkaEdit = nullptr;

TfrmMarkaEdit::TfrmMarkaEdit(QWidget *parent)
    : ReferenceEditDialog(parent, DMAuto->tblMarka, &DMAuto->DSMarka, QStringLiteral("name"),
                          {QStringLiteral("Редактирование марки запчасти"), QSize(438, 132), true,
                           QStringLiteral("Марка:"), QRect(12, 20, 36, 13), QRect(12, 39, 414, 21),
                           QStringLiteral("ОК"), QRect(268, 94, 75, 25), QRect(352, 94, 75, 25),
                           QStringLiteral("Необходимо ввести название марки"),
                           QStringLiteral("Названия марок должны быть уникальными!")}),
      editMarka(edit)
{}
