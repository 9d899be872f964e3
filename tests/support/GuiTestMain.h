#pragma once

#include "app/Application.h"

#include <QTest>

// Like QTEST_MAIN, but with the program's own application object, so that
// failures reach the same error box as in the program.
#define AUTOPARTS_GUI_TEST_MAIN(TestClass)                                                         \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        Application application(argc, argv);                                                       \
        Application::configure();                                                                  \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
