#pragma once

#include "ReferenceEditDialog.h"

// The make edit dialog; the user may resize it, nothing moves with it.
class TfrmMarkaEdit : public ReferenceEditDialog
{
    Q_OBJECT
public:
    explicit TfrmMarkaEdit(QWidget *parent = nullptr);

    DBEdit *editMarka;
};

extern TfrmMarkaEdit *frmMarkaEdit;
