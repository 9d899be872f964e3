#pragma once

#include "ReferenceEditDialog.h"

// The category edit dialog.
class TfrmCatEdit : public ReferenceEditDialog
{
    Q_OBJECT
public:
    explicit TfrmCatEdit(QWidget *parent = nullptr);

    DBEdit *editCat;
};

extern TfrmCatEdit *frmCatEdit;
