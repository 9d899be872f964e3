#pragma once

#include <QDialog>

class QMenuBar;

// A window shown modally over the main window: title bar with the system
// menu and close box only; centred over the main window the first time it is
// shown and afterwards opened where it was last. Its controls sit at fixed
// pixel positions in the client area, below the menu bar if it has one.
class ModalWindow : public QDialog
{
    Q_OBJECT
public:
    ModalWindow(QWidget *parent, const QString &caption, QSize clientSize, bool sizeable = false);

    QWidget *client() const { return client_; }
    QMenuBar *createMenuBar();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *client_;
    bool sizeable_;
};
