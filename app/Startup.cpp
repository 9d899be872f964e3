#include "Startup.h"

#include "UnitDM.h"
#include "gui/Guarded.h"
#include "gui/MessageBoxes.h"
#include "ui/backup/BackupService.h"
#include "ui/goods/Unit_editTovars.h"
#include "ui/journal/JournalKeeper.h"
#include "ui/main/Unit_tr.h"
#include "ui/reference/Unit_Category.h"
#include "ui/reference/Unit_category_edit.h"
#include "ui/reference/Unit_country.h"
#include "ui/reference/Unit_country_edit.h"
#include "ui/reference/Unit_marka.h"
#include "ui/reference/Unit_marka_edit.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace {

// Why the file catalogue, open, takes no writes; empty when it takes them.
// A shop's shared folder mounted read-only would otherwise go unnoticed
// until the first change is typed and refused.
QString readOnlyNotice()
{
    if (!DMAuto || TDMAuto::onServer() || !DMAuto->isOpen() || !DMAuto->ADOConnection.isReadOnly())
        return {};
    const QFileInfo file(BackupService::catalogueFile());
    const QString where = QFileInfo(file.absolutePath()).isWritable()
                              ? QStringLiteral("В файл каталога «%1» нельзя записывать")
                                    .arg(QDir::toNativeSeparators(file.absoluteFilePath()))
                              : QStringLiteral("В папку каталога «%1» нельзя записывать")
                                    .arg(QDir::toNativeSeparators(file.absolutePath()));
    return where + QStringLiteral(": каталог открыт только для чтения. Изменения сохранить не "
                                  "получится, и ежедневная резервная копия не делается.");
}

} // namespace

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

void Startup::afterMainWindowShown()
{
    // Queued, so that the box stands over the window already drawn. The
    // daily copy, queued after it, waits for the box to close, and then does
    // not start on a catalogue it cannot write.
    QTimer::singleShot(0, frmMain, [] {
        const QString notice = readOnlyNotice();
        if (!notice.isEmpty())
            MessageBoxes::information(frmMain, notice, QStringLiteral("Сообщение"));
    });
    frmMain->Backups->scheduleDaily();
    frmMain->Keeper->start(); // the journal's old records, a batch at a time
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
