#pragma once

#include "ui/common/ModalWindow.h"

class DBEdit;
class DBImage;
class DBLookupComboBox;
class PressToolButton;
class QAction;
class QFileDialog;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

// The goods editor: edits the current row of the goods cursor in place. The
// main window's Add and Edit put the cursor into insert or edit state before
// showing it; OK posts, and every close cancels whatever is still pending.
class TfrmTovarEdit : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmTovarEdit(QWidget *parent = nullptr);

    QMenuBar *MainMenu1;
    QMenu *N1;
    QAction *N2, *N3, *N4;
    QWidget *ControlBar1;
    QWidget *ToolBar1;
    PressToolButton *ToolButton1, *ToolButton2, *ToolButton3;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8;
    DBLookupComboBox *DBLookupComboBox1, *DBLookupComboBox2, *DBLookupComboBox3;
    DBEdit *editNumSklad, *editModel, *editCount, *editNameTov, *editPrice;
    QGroupBox *GroupBox1;
    DBImage *DBImgScreen;
    QPushButton *BitBtn3, *btnDelete;
    QPushButton *BitBtn1, *BitBtn2;
    QFileDialog *savePicDialog;

    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();
    void FormClose();
    void BitBtn3Click();
    void btnDeleteClick();
    void N2Click();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void createMenuAndToolBar();
    void createFields();
    void createPhotoGroup();
    void setTabOrders();
    bool photoPresent() const;
    void updateDeleteButton();
};

extern TfrmTovarEdit *frmTovarEdit;
