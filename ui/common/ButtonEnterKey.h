#pragma once

#include <QObject>

// Enter on a focused push button presses that button, as on the desktop:
// a dialog's default button takes Enter only while the focus is on a
// control that is not a button. Watches the whole application.
class ButtonEnterKey : public QObject
{
    Q_OBJECT
public:
    static void install();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
