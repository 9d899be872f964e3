#include "ButtonEnterKey.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

void ButtonEnterKey::install()
{
    qApp->installEventFilter(new ButtonEnterKey(qApp));
}

bool ButtonEnterKey::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    auto *button = qobject_cast<QPushButton *>(watched);
    if (!button || !button->hasFocus() || !button->isEnabled() || !button->isVisible())
        return false;
    button->click();
    return true;
}
