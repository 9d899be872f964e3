#include "Application.h"
#include "Startup.h"

#include "UnitDM.h"
#include "ui/jet/JetStartup.h"

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
    Startup::afterMainWindowShown();
    Application::exec();
    Startup::destroyComponents();
    return 0;
}
