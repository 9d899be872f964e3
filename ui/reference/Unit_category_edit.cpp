#include "Unit_category_edit.h"

#include "UnitDM.h"

TfrmCatEdit *frmCatEdit = nullptr;

TfrmCatEdit::TfrmCatEdit(QWidget *parent)
    : ReferenceEditDialog(
          parent, DMAuto->tblCategory, &DMAuto->DSCategory, QStringLiteral("catName"),
          {QStringLiteral("Редактирвоание категории"), QSize(359, 128), false,
           QStringLiteral("Название категории"), QRect(12, 22, 105, 13), QRect(12, 42, 333, 21),
           QStringLiteral("Сохранить"), QRect(190, 89, 75, 25), QRect(274, 89, 73, 26),
           QStringLiteral("Необходимо ввести название категории"),
           QStringLiteral("Названия категорий должны быть уникальными!")}),
      editCat(edit)
{}
