#pragma once

#include "ui/common/ModalWindow.h"

// The make list.
class TfrmMarka : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmMarka(QWidget *parent = nullptr);
};

extern TfrmMarka *frmMarka;
