#pragma once

#include "ui/common/ModalWindow.h"

// The country list.
class TfrmCountry : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmCountry(QWidget *parent = nullptr);
};

extern TfrmCountry *frmCountry;
