#include "Application.h"
#include "Startup.h"

#include "ui/backup/BackupService.h"
#include "ui/main/Unit_tr.h"

int main(int argc, char **argv)
{
    Application application(argc, argv);
    Application::configure();
    Startup::createComponents();
    Startup::showMainWindow();
    frmMain->Backups->scheduleDaily(); // today's copy, once the window is up
    Application::exec();
    Startup::destroyComponents();
    return 0;
}
