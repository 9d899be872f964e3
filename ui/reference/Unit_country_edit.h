#pragma once

#include "ReferenceEditDialog.h"

// The country edit dialog.
class TfrmCountryEdit : public ReferenceEditDialog
{
    Q_OBJECT
public:
    explicit TfrmCountryEdit(QWidget *parent = nullptr);

    DBEdit *editCountry;
};

extern TfrmCountryEdit *frmCountryEdit;
