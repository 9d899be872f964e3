#pragma once

#include <QApplication>

// The application object. Every event is dispatched through notify(), the one
// place where a failure that no command trapped is caught and shown.
class Application : public QApplication
{
public:
    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Qt's own texts (Yes/No and the like) in the user's language, and the
    // default font of all windows.
    static void configure();
};
