#include "Startup.h"

#include "UnitDM.h"
#include "gui/Guarded.h"
#include "ui/goods/Unit_editTovars.h"
#include "ui/main/Unit_tr.h"
#include "ui/reference/Unit_Category.h"
#include "ui/reference/Unit_category_edit.h"
#include "ui/reference/Unit_country.h"
#include "ui/reference/Unit_country_edit.h"
#include "ui/reference/Unit_marka.h"
#include "ui/reference/Unit_marka_edit.h"

#include <QGuiApplication>
#include <QScreen>

void Startup::createComponents()
{
    frmMain = new TfrmMain;
    DMAuto = new TDMAuto([](const std::exception &failure) { MessageBoxes::error(failure); });
    runGuarded([] { frmMain->bindDataModule(); });
    frmCategory = new TfrmCategory(frmMain);
    frmCatEdit = new TfrmCatEdit(frmMain);
    frmCountry = new TfrmCountry(frmMain);
    frmMarka = new TfrmMarka(frmMain);
    frmMarkaEdit = new TfrmMarkaEdit(frmMain);
    frmCountryEdit = new TfrmCountryEdit(frmMain);
    frmTovarEdit = new TfrmTovarEdit(frmMain);
}

void Startup::showMainWindow()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frmMain->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        frmMain->move(frame.topLeft());
    }
    frmMain->show();
}

void Startup::destroyComponents()
{
    delete frmTovarEdit;
    frmTovarEdit = nullptr;
    delete frmCountryEdit;
    frmCountryEdit = nullptr;
    delete frmMarkaEdit;
    frmMarkaEdit = nullptr;
    delete frmMarka;
    frmMarka = nullptr;
    delete frmCountry;
    frmCountry = nullptr;
    delete frmCatEdit;
    frmCatEdit = nullptr;
    delete frmCategory;
    frmCategory = nullptr;
    delete frmMain;
    frmMain = nullptr;
    releaseUnitTrState();
    delete DMAuto;
    DMAuto = nullptr;
}
