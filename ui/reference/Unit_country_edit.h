#pragma once

#include "ui/common/ModalWindow.h"

// The country edit dialog.
class TfrmCountryEdit : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmCountryEdit(QWidget *parent = nullptr);
};

extern TfrmCountryEdit *frmCountryEdit;
