#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>

// Removes the journal's records older than a year, in the background after
// start-up: one small batch per tick of a timer, so that the windows never
// wait for more than a moment, and only while the user is not in a modal
// window or a long command. Keeping the journal short is housekeeping: a
// failure stops it quietly until the next start.
class JournalKeeper : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;
    using Hold = std::function<bool()>;

    explicit JournalKeeper(QObject *parent = nullptr);

    // Tests set the calendar.
    void setClock(Clock clock) { clock_ = std::move(clock); }
    // While this says so the keeper waits: a copy of the catalogue being
    // made would start over after every batch.
    void setHold(Hold hold) { hold_ = std::move(hold); }

    // Begins removing once no modal window is open.
    void start();
    bool isRunning() const { return timer_.isActive(); }
    // How many records this start has removed.
    int removed() const { return removed_; }

    static constexpr int Batch = 2000;
    static constexpr int TickMs = 100;

signals:
    // Nothing older is left, or the keeper gave up for this run.
    void finished();

private:
    void tick();
    void stop();

    QTimer timer_;
    Clock clock_;
    Hold hold_;
    int removed_ = 0;
};
