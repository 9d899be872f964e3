#pragma once

#include "ui/common/ModalWindow.h"

// The make edit dialog.
class TfrmMarkaEdit : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmMarkaEdit(QWidget *parent = nullptr);
};

extern TfrmMarkaEdit *frmMarkaEdit;
