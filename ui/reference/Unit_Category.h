#pragma once

#include "ui/common/ModalWindow.h"

// The category list.
class TfrmCategory : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmCategory(QWidget *parent = nullptr);
};

extern TfrmCategory *frmCategory;
