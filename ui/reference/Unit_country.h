#pragma once

#include "ReferenceList.h"

class QPushButton;

// The country list.
class TfrmCountry : public ReferenceList
{
    Q_OBJECT
public:
    explicit TfrmCountry(QWidget *parent = nullptr);

    DBGrid *DBGrid1;
    QPushButton *BitBtn1, *BitBtn2, *BitBtn3, *BitBtn4;

    void BitBtn1Click() { addCommand(); }
    void BitBtn2Click() { editCommand(); }
    void BitBtn3Click() { deleteCommand(); }
    void BitBtn4Click() { close(); }

protected:
    QDialog *editDialog() const override;
};

extern TfrmCountry *frmCountry;
