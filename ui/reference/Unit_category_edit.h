#pragma once

#include "ui/common/ModalWindow.h"

// The category edit dialog.
class TfrmCatEdit : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmCatEdit(QWidget *parent = nullptr);
};

extern TfrmCatEdit *frmCatEdit;
