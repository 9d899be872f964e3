#include "ModalWindow.h"

ModalWindow::ModalWindow(QWidget *parent, const QString &caption, QSize clientSize, bool sizeable)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(caption);
    if (sizeable)
        resize(clientSize);
    else
        setFixedSize(clientSize);
}
