#include "ModalWindow.h"

#include <QHideEvent>
#include <QMenuBar>
#include <QVBoxLayout>

ModalWindow::ModalWindow(QWidget *parent, const QString &caption, QSize clientSize, bool sizeable)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      client_(new QWidget(this)), sizeable_(sizeable)
{
    setWindowTitle(caption);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(client_);
    if (sizeable) {
        // The user may resize it; the controls stay where they are.
        client_->setMinimumSize(1, 1);
        resize(clientSize);
    } else {
        client_->setFixedSize(clientSize);
        layout->setSizeConstraint(QLayout::SetFixedSize);
    }
}

void ModalWindow::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    // The dialog centres itself on every show unless it was placed: where
    // it is now, moved by the user or not, is where it opens next time.
    if (!event->spontaneous())
        move(pos());
}

QMenuBar *ModalWindow::createMenuBar()
{
    auto *bar = new QMenuBar(this);
    layout()->setMenuBar(bar);
    if (sizeable_)
        resize(width(), height() + bar->sizeHint().height());
    return bar;
}
