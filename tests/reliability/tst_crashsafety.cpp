#include "ChurnSchedule.h"
#include "Peer.h"
#include "TestCatalogue.h"
#include "journal/Journal.h"
#include "recordset/Connection.h"

#include <QFileInfo>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <map>
#include <set>
#include <sqlite3.h>

namespace {

// What the goods table holds, by generation (see ChurnSchedule): the rows
// that existed when the writer started by key, and the new rows' generations.
struct Contents
{
    std::map<qint64, qint64> old;
    std::multiset<qint64> added;
    bool operator==(const Contents &other) const
    {
        return old == other.old && added == other.added;
    }
};

Contents split(const std::map<qint64, qint64> &rows, const std::vector<qint64> &startKeys)
{
    Contents contents;
    for (const auto &[key, g] : rows) {
        if (std::binary_search(startKeys.begin(), startKeys.end(), key))
            contents.old[key] = g;
        else
            contents.added.insert(g);
    }
    return contents;
}

// The contents after the first `posts` posts of a writer that started on `start`.
Contents after(Contents start, const std::vector<qint64> &keys, qint64 base, qint64 posts)
{
    for (qint64 n = 1; n <= posts; ++n) {
        const qint64 key = ChurnSchedule::keyOf(keys, n);
        if (key == ChurnSchedule::NewRow)
            start.added.insert(base + n);
        else
            start.old[key] = base + n;
    }
    return start;
}

qint64 journaled(TestCatalogue &catalogue)
{
    return catalogue.query("SELECT count(*) FROM journal WHERE tbl = 'tovars'").toLongLong();
}

} // namespace

// A writer killed at any moment of a long series of posts leaves a sound file
// whose every row is wholly as before or wholly as after the post under way,
// and whose journal has a record for every post stored and for no other.
class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void killedWriterLeavesWholeRows();
};

void TestCrashSafety::killedWriterLeavesWholeRows()
{
    TestCatalogue catalogue;
    for (qint64 g = 1; g <= 5; ++g)
        catalogue.addGoods(ChurnSchedule::row(g));

    {
        Connection connection(QStringLiteral("db.mdb"));
        QVERIFY(Journal::prepare(connection));
    }

    constexpr int KillPoints = 150;
    int interrupted = 0; // kills that left a write half done (a hot journal)
    qint64 stored = 0;
    for (int kill = 0; kill < KillPoints; ++kill) {
        std::map<qint64, qint64> rows;
        QString problem = ChurnSchedule::readBack(QStringLiteral("db.mdb"), rows);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        std::vector<qint64> keys;
        for (const auto &row : rows)
            keys.push_back(row.first);
        const Contents start = split(rows, keys);
        const qint64 recorded = journaled(catalogue);

        const qint64 base = qint64(kill + 1) * 1000000;
        Peer writer({QStringLiteral("churn"), QString::number(base)});
        QVERIFY(writer.waitForLine(QStringLiteral("ready")));
        // Kill moments spread over the first 40 ms of posting, 0.1 ms apart.
        QThread::usleep(ulong((kill * 7919) % 400) * 100);
        writer.process.kill();
        QVERIFY(writer.process.waitForFinished());
        const qint64 posts = writer.lastLine().toLongLong();
        stored += posts;
        if (QFileInfo(QStringLiteral("db.mdb-journal")).size() > 0)
            ++interrupted;

        problem = ChurnSchedule::readBack(QStringLiteral("db.mdb"), rows);
        QVERIFY2(
            problem.isEmpty(),
            qPrintable(
                QStringLiteral("kill %1 after %2 posts: %3").arg(kill).arg(posts).arg(problem)));
        const Contents found = split(rows, keys);
        const bool old = found == after(start, keys, base, posts);
        const bool next = found == after(start, keys, base, posts + 1);
        QCOMPARE(journaled(catalogue) - recorded, next && !old ? posts + 1 : posts);
        QVERIFY2(old || next, qPrintable(QStringLiteral("kill %1 after %2 posts: the stored rows "
                                                        "are neither before nor after the post "
                                                        "under way")
                                             .arg(kill)
                                             .arg(posts)));
    }
    qInfo("kill points: %d, of which %d interrupted a write; %lld posts stored", KillPoints,
          interrupted, stored);
    QVERIFY2(interrupted > 0, "no kill fell inside a write: the test proved nothing");
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
