#include "MenuShortcuts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

MenuShortcuts::MenuShortcuts(QWidget *window, QList<QAction *> actions)
    : QObject(window), window_(window), actions_(std::move(actions))
{
    qApp->installEventFilter(this);
}

QAction *MenuShortcuts::actionFor(QObject *watched, QEvent *event) const
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != window_ ||
        QApplication::activeModalWidget())
        return nullptr;
    const auto *key = static_cast<QKeyEvent *>(event);
    const QKeySequence pressed(key->keyCombination());
    for (QAction *action : actions_)
        if (action->isEnabled() && action->isVisible() && action->shortcut() == pressed)
            return action;
    return nullptr;
}

bool MenuShortcuts::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    QAction *action = actionFor(watched, event);
    if (!action)
        return false;
    // Taking the override keeps the focused control from claiming the key;
    // the key press that follows runs the command here.
    event->accept();
    if (event->type() == QEvent::KeyPress)
        action->trigger();
    return true;
}
