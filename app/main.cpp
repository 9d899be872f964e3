#include "Application.h"
#include "Startup.h"

int main(int argc, char **argv)
{
    Application application(argc, argv);
    Application::configure();
    Startup::createComponents();
    Startup::showMainWindow();
    Application::exec();
    Startup::destroyComponents();
    return 0;
}
