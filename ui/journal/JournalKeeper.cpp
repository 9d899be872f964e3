#include "JournalKeeper.h"

#include "UnitDM.h"
#include "journal/Journal.h"

#include <QApplication>
#include <QGuiApplication>

JournalKeeper::JournalKeeper(QObject *parent)
    : QObject(parent), clock_([] { return QDateTime::currentDateTime(); })
{
    timer_.setInterval(TickMs);
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
}

void JournalKeeper::start()
{
    removed_ = 0;
    timer_.start();
}

void JournalKeeper::stop()
{
    timer_.stop();
    emit finished();
}

void JournalKeeper::tick()
{
    if (!DMAuto || !DMAuto->isOpen() || !DMAuto->hasJournal() ||
        DMAuto->ADOConnection.isReadOnly()) {
        stop();
        return;
    }
    // A modal window, or the busy pointer of a long command that lets the
    // windows paint inside its own transaction: the batch waits for the next tick.
    if (QApplication::activeModalWidget() || QGuiApplication::overrideCursor() ||
        (hold_ && hold_()))
        return;
    int batch = 0;
    try {
        batch = Journal::prune(DMAuto->ADOConnection, clock_().addDays(-Journal::KeepDays), Batch);
    } catch (const std::exception &) {
        // Busy with another program's write, or refused: the records wait
        // for the next start, and the user hears nothing of housekeeping.
        stop();
        return;
    }
    removed_ += batch;
    if (batch < Batch)
        stop();
}
