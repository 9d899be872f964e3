#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <exception>
#include <functional>
#include <thread>

class QWidget;

// The catalogue's copies as the program makes them: the daily copy in the
// background, a copy on request, and a restore. Copies run on a thread of
// their own with a connection of their own; the GUI never waits on the
// daily one, and it pauses while a modal window is open.
class BackupService : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    // `owner` owns the messages and is kept from input while a command runs.
    explicit BackupService(QWidget *owner);
    ~BackupService() override;

    // Tests set the calendar.
    void setClock(Clock clock) { clock_ = std::move(clock); }
    // The catalogue file, as the data module opens it.
    static QString catalogueFile();

    // Once no modal window is open: today's copy, unless the catalogue is
    // not open, cannot be written, or has a copy of today already. A copy
    // that fails is told in one message, and work goes on.
    void scheduleDaily();
    bool isRunning() const { return worker_.joinable(); }
    // Lets the GUI run until a copy under way has ended.
    void waitIdle();

    // A copy now, named by date and time; returns its path. Throws Error.
    QString copyNow();
    // Writes `copy` into the catalogue after keeping the present catalogue
    // in a copy of its own; returns that copy's path. The data module is
    // reopened whatever happens. Throws Error; a copy that is damaged or no
    // catalogue changes nothing.
    QString restore(const QString &copy);

signals:
    // A daily copy has ended; `failure` is empty when it was made.
    void dailyEnded(const QString &path, const QString &failure);

private:
    void tryDaily();
    void dailyDone(const QString &path, const QString &failure);
    void tellWhenFree();
    // Runs `job` on the copying thread; `done` then runs on the GUI thread.
    void start(std::function<void()> job, std::function<void()> done);
    // Runs `job` on the copying thread while the GUI goes on, the owner
    // kept from input and the busy pointer shown; rethrows its failure.
    void runAndWait(const std::function<void()> &job);
    bool between();

    QWidget *owner_;
    Clock clock_;
    std::thread worker_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> paused_{false};
    QTimer watch_;   // follows modal windows while a copy runs
    QString untold_; // a failure waiting for the modal windows to close
};
