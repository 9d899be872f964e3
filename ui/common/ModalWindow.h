#pragma once

#include <QDialog>

// A window shown modally over the main window: title bar with the system
// menu and close box only; centred over the main window the first time it is
// shown and afterwards opened where it was last.
class ModalWindow : public QDialog
{
    Q_OBJECT
public:
    ModalWindow(QWidget *parent, const QString &caption, QSize clientSize, bool sizeable = false);
};
