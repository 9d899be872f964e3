#include "PressToolButton.h"

#include <QAction>
#include <QEvent>
#include <QMouseEvent>

PressToolButton::PressToolButton(QWidget *parent) : QToolButton(parent)
{
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setFocusPolicy(Qt::NoFocus);
}

void PressToolButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && defaultAction() && defaultAction()->isEnabled()) {
        event->accept();
        defaultAction()->trigger();
        return;
    }
    QToolButton::mousePressEvent(event);
}

bool PressToolButton::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        event->ignore();
        return true;
    }
    return QToolButton::event(event);
}
