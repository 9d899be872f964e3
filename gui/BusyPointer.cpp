#include "BusyPointer.h"

#include <QCursor>
#include <QGuiApplication>
#include <utility>

BusyPointer::BusyPointer()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyPointer::~BusyPointer()
{
    QGuiApplication::restoreOverrideCursor();
}

void BusyPointer::answering()
{
    if (!std::exchange(answering_, true))
        QGuiApplication::changeOverrideCursor(Qt::BusyCursor);
}
