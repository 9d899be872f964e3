#include "Application.h"
#include "Startup.h"

#include "UnitDM.h"
#include "ui/backup/BackupService.h"
#include "ui/jet/JetStartup.h"
#include "ui/journal/JournalKeeper.h"
#include "ui/main/Unit_tr.h"

int main(int argc, char **argv)
{
    Application application(argc, argv);
    Application::configure();
    // A shop's older catalogue is offered for conversion before anything
    // opens it.
    if (!TDMAuto::onServer())
        JetStartup::offer(QString::fromLatin1(TDMAuto::DatabaseFile));
    Startup::createComponents();
    Startup::showMainWindow();
    frmMain->Backups->scheduleDaily(); // today's copy, once the window is up
    frmMain->Keeper->start();          // then the journal's old records, a batch at a time
    Application::exec();
    Startup::destroyComponents();
    return 0;
}
