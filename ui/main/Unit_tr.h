#pragma once

#include "Unit_class.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <memory>
#include <vector>

class BackupService;
class DBGrid;
class DBImage;
class JournalKeeper;
class PressToolButton;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class ScanReader;
class Cursor;
class Field;

// The main window: the goods grid with the current row's photo above it, the
// search panel, and the menus and toolbar that reach every command.
class TfrmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    // The grid and the photo box bind to the data module's links by name;
    // the binding completes once the data module exists.
    void bindDataModule();

    QMenuBar *MainMenu1;
    QMenu *N3, *N2, *mnuPrint, *N4, *N13, *mnuService, *N7;
    QAction *mnuAdd, *mnuEdit, *mnuDelete;
    QAction *mnuCategory, *mnuMark, *mnuCountry;
    QAction *mnuPrintSelect, *mnuPrintAll;
    QAction *mnuSortKod, *N5, *N12, *N6, *N15, *N14, *N11, *N10, *N9;
    QAction *mnuOrderAsc, *mnuOrderDesc;
    QAction *mnuExport, *mnuImport, *mnuBackup, *mnuRestore;
    QAction *mnuJournal, *mnuHistory;
    QAction *mnuLabels, *mnuFindCode;
    QAction *N1, *N8;
    QList<QIcon> ImageList1;
    // The catalogue's copies: the daily one, on request, and restoring one.
    BackupService *Backups;
    // Removes the journal's records older than a year, after start-up.
    JournalKeeper *Keeper;
    // Finds the part whose label the counter's barcode scanner reads.
    ScanReader *Scanner;

    QWidget *ControlBar1;
    QWidget *ToolBar1;
    PressToolButton *ToolBtnTovAdd, *ToolBtnTovEdit, *ToolBtnTovDel;
    PressToolButton *ToolBtnCat, *ToolBtnMarka, *ToolBtnCountry, *ToolBtnPrint;
    QFrame *ToolButton4, *ToolButton6;
    QGroupBox *GroupBox1;
    DBImage *DBImage1;
    QGroupBox *GroupBox2;
    DBGrid *gridAuto;

    // The search panel.
    QCheckBox *checkCat, *checkMarka, *checkCountry;
    QComboBox *cbCat, *cbMarka, *cbCountry;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5;
    QLineEdit *editTovName, *editModel, *editPrice, *editNumSklad, *editCount;
    QComboBox *cbPrice, *cbNumSklad, *cbCount;
    QPushButton *Button1;

    void FormShow();
    void N1Click();
    void N8Click();
    void mnuDeleteClick();
    void mnuAddClick();
    void mnuEditClick();
    void mnuCategoryClick();
    void mnuMarkClick();
    void mnuCountryClick();
    void mnuExportClick();
    void mnuImportClick();
    void mnuBackupClick();
    void mnuRestoreClick();
    void mnuJournalClick();
    void mnuHistoryClick();
    void mnuLabelsClick();
    void mnuFindCodeClick();
    void mnuPrintAllClick();
    void mnuPrintSelectClick();
    void gridAutoDblClick();

    void mnuSortKodClick();
    void N5Click();
    void N12Click();
    void N6Click();
    void N15Click();
    void N14Click();
    void N11Click();
    void N10Click();
    void N9Click();
    void mnuOrderAscClick();
    void mnuOrderDescClick();
    void sortExec();

    void checkCatClick(QCheckBox *Sender);
    void checkMarkaClick(QCheckBox *Sender);
    void checkCountryClick(QCheckBox *Sender);
    void Button1Click();
    // Empties the search panel and shows every part, as «Найти» does with
    // nothing to look for; the sort stays.
    void clearSearch();

    void gridAutoDrawColumnCell(DBGrid *Sender, const QRect &Rect, int DataCol,
                                const GridColumn &Column, GridDrawState State);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createMenu();
    void createToolBar();
    void createGoodsArea();
    void createSearchPanel();
    void setTabOrders();
    // After a restore: no search, the first sort, as at start.
    void resetView();
    void sortBy(const QString &field);
    void setOrder(const QString &order, QAction *marked, QAction *unmarked);
    void fillReferenceList(QCheckBox *box, QComboBox *list, Cursor &cursor, Field &key,
                           Field &name, std::vector<std::unique_ptr<TMyIndex>> &indexes);
};

extern TfrmMain *frmMain;

// Module state of the main window's unit, alive for the whole run.
extern QString SortField;
extern QString SortOrder;
extern std::vector<std::unique_ptr<TMyIndex>> CatIndexes;
extern std::vector<std::unique_ptr<TMyIndex>> MarkaIndexes;
extern std::vector<std::unique_ptr<TMyIndex>> CountryIndexes;

// Releases the module state above, as the program ends.
void releaseUnitTrState();

// Opens the help document through the system's command interpreter, hidden
// and without waiting; true when the interpreter was started. The path is
// handed over as an argument, never pasted into a command text.
bool RunViaComSpec(const QString &path);
