#include "ChurnSchedule.h"
#include "Peer.h"
#include "TestCatalogue.h"
#include "recordset/Currency.h"

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

// The generation that every column of a row holds, or -1 when they differ.
qint64 generationOf(sqlite3_stmt *row)
{
    const QString name =
        QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(row, 1)));
    bool ok = false;
    const qint64 g = name.section(QLatin1Char(' '), 1).toLongLong(&ok);
    const QByteArray photo(static_cast<const char *>(sqlite3_column_blob(row, 6)),
                           sqlite3_column_bytes(row, 6));
    const bool whole =
        ok && name == ChurnSchedule::name(g) &&
        QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(row, 2))) ==
            ChurnSchedule::models(g) &&
        sqlite3_column_int64(row, 3) == ChurnSchedule::counts(g) &&
        sqlite3_column_int64(row, 4) == ChurnSchedule::numSklad(g) &&
        Currency::fromReal(sqlite3_column_double(row, 5)) == ChurnSchedule::price(g) &&
        photo == ChurnSchedule::photo(g);
    return whole ? g : -1;
}

// Opens the file as the next program would (which rolls back an interrupted
// write), checks it and reads every row's key and generation.
QString readBack(std::map<qint64, qint64> &rows)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2("db.mdb", &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr);
    QString integrity;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        integrity +=
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    QString problem;
    if (integrity != QLatin1String("ok"))
        problem = QStringLiteral("integrity_check: ") + integrity;

    sqlite3_prepare_v2(db,
                       "SELECT auto_id, tovName, models, counts, numSklad, price, screenshots "
                       "FROM tovars",
                       -1, &stmt, nullptr);
    rows.clear();
    while (problem.isEmpty() && sqlite3_step(stmt) == SQLITE_ROW) {
        const qint64 key = sqlite3_column_int64(stmt, 0);
        rows[key] = generationOf(stmt);
        if (rows[key] < 0)
            problem = QStringLiteral("row %1 is torn").arg(key);
    }
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
    return problem;
}

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

} // namespace

// A writer killed at any moment of a long series of posts leaves a sound file
// whose every row is wholly as before or wholly as after the post under way.
class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void killedWriterLeavesWholeRows();
};

void TestCrashSafety::killedWriterLeavesWholeRows()
{
    TestCatalogue catalogue;
    for (qint64 g = 1; g <= 5; ++g) {
        TestCatalogue::Goods goods;
        goods.tovName = ChurnSchedule::name(g);
        goods.models = ChurnSchedule::models(g);
        goods.counts = int(ChurnSchedule::counts(g));
        goods.numSklad = int(ChurnSchedule::numSklad(g));
        goods.price = ChurnSchedule::price(g);
        goods.screenshots = ChurnSchedule::photo(g);
        catalogue.addGoods(goods);
    }

    constexpr int KillPoints = 150;
    int interrupted = 0; // kills that left a write half done (a hot journal)
    qint64 stored = 0;
    for (int kill = 0; kill < KillPoints; ++kill) {
        std::map<qint64, qint64> rows;
        QString problem = readBack(rows);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        std::vector<qint64> keys;
        for (const auto &row : rows)
            keys.push_back(row.first);
        const Contents start = split(rows, keys);

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

        problem = readBack(rows);
        QVERIFY2(
            problem.isEmpty(),
            qPrintable(
                QStringLiteral("kill %1 after %2 posts: %3").arg(kill).arg(posts).arg(problem)));
        const Contents found = split(rows, keys);
        const bool old = found == after(start, keys, base, posts);
        const bool next = found == after(start, keys, base, posts + 1);
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
