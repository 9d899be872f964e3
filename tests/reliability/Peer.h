#pragma once

#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTest>

// The second program: the helper `reliability_peer`, started in the current
// folder, so that it opens the same db.mdb as the test.
class Peer
{
public:
    explicit Peer(const QStringList &arguments)
    {
        process.setWorkingDirectory(QDir::currentPath());
        process.start(QStringLiteral(AUTOPARTS_PEER), arguments);
    }
    ~Peer()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
    Peer(const Peer &) = delete;
    Peer &operator=(const Peer &) = delete;

    // Runs one command to its end; its last line: "ok" or the refusal.
    static QString run(const QStringList &arguments)
    {
        Peer peer(arguments);
        if (!peer.process.waitForFinished(30000))
            return QStringLiteral("peer did not finish");
        return peer.lastLine();
    }

    // Waits for a line of output equal to `line`.
    bool waitForLine(const QString &line, int timeoutMs = 10000)
    {
        return QTest::qWaitFor(
            [&] {
                while (process.canReadLine()) {
                    if (QString::fromUtf8(process.readLine()).trimmed() == line)
                        return true;
                }
                process.waitForReadyRead(10);
                return false;
            },
            timeoutMs);
    }

    // A `lock` lets go when its input closes.
    void release()
    {
        process.closeWriteChannel();
        process.waitForFinished(10000);
    }

    QString lastLine()
    {
        const QStringList lines =
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        return lines.isEmpty() ? QString() : lines.last().trimmed();
    }

    QProcess process;
};
