#pragma once

#include "ReferenceList.h"

class QAction;
class QMenuBar;
class QPushButton;

// The category list, with its own menu bar: Ctrl+N, Ctrl+E and Del.
class TfrmCategory : public ReferenceList
{
    Q_OBJECT
public:
    explicit TfrmCategory(QWidget *parent = nullptr);

    QMenuBar *menuOwner;
    QAction *mnuAdd, *mnuEdit, *mnuDelete;
    DBGrid *DBGridArb;
    QPushButton *btnAdd, *btnEdit, *btnDelete, *BitBtn1;

    void mnuAddClick() { addCommand(); }
    void mnuEditClick() { editCommand(); }
    void mnuDeleteClick() { deleteCommand(); }
    void btnAddClick() { mnuAddClick(); }
    void btnEditClick() { mnuEditClick(); }
    void btnDeleteClick() { mnuDeleteClick(); }
    void BitBtn1Click() { close(); }

protected:
    QDialog *editDialog() const override;
};

extern TfrmCategory *frmCategory;
