#pragma once

#include "ui/common/ModalWindow.h"

// The goods editor: edits the current row of the goods cursor in place.
class TfrmTovarEdit : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmTovarEdit(QWidget *parent = nullptr);

    void FormClose();

    void done(int result) override;
};

extern TfrmTovarEdit *frmTovarEdit;
