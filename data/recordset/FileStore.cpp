#include "FileStore.h"

#include "Connection.h"

#include <QFile>
#include <QThread>
#include <sqlite3.h>

namespace {

constexpr const char *kBeginSql = "BEGIN";
constexpr const char *kCommitSql = "COMMIT";
constexpr const char *kQuickCheckSql = "PRAGMA quick_check";
constexpr const char *kProbeSql = "SELECT count(*) FROM sqlite_master";
// A writer that keeps changing the source restarts a copy made in steps;
// after this many restarts the rest is copied in one step.
constexpr int MaxRestarts = 3;
constexpr int BusyPauseMs = 20;

// One engine connection of its own, closed with its scope.
class Database
{
public:
    Database(const QString &file, int flags) : file_(file)
    {
        const int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &db_, flags, nullptr);
        if (rc != SQLITE_OK) {
            const StoreError error = failure(rc);
            sqlite3_close_v2(db_);
            throw error;
        }
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_timeout(db_, Connection::BusyTimeoutMs);
    }
    ~Database() { sqlite3_close_v2(db_); }
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    sqlite3 *handle() const { return db_; }

    StoreError failure(int rc) const
    {
        const QString text = QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
        return StoreError(Connection::kindOf(rc),
                          QStringLiteral("Ошибка базы данных «%1»: %2").arg(file_, text),
                          QString::number(rc), text);
    }

    void execute(const char *sql) const
    {
        const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throw failure(rc);
    }

    // The first column of the first row of `sql`, as text.
    QString text(const char *sql) const
    {
        sqlite3_stmt *stmt = nullptr;
        int rc = sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr);
        QString result;
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(stmt);
            if (rc == SQLITE_ROW)
                result =
                    QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
            throw failure(rc);
        return result;
    }

private:
    QString file_;
    sqlite3 *db_ = nullptr;
};

} // namespace

void FileStore::create(const QString &file, const QList<QByteArray> &statements)
{
    const Database db(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    db.execute(kBeginSql);
    for (const QByteArray &sql : statements)
        db.execute(sql.constData());
    db.execute(kCommitSql);
}

bool FileStore::copy(const QString &from, const QString &to, bool make, int stepPages,
                     const Between &between)
{
    const Database source(from, SQLITE_OPEN_READONLY);
    const Database target(to, SQLITE_OPEN_READWRITE | (make ? SQLITE_OPEN_CREATE : 0));
    sqlite3_backup *backup = sqlite3_backup_init(target.handle(), "main", source.handle(), "main");
    if (!backup)
        throw target.failure(sqlite3_extended_errcode(target.handle()));
    int rc = SQLITE_OK;
    int restarts = 0;
    int remaining = -1;
    int busyWaits = 0;
    bool stopped = false;
    while (true) {
        rc = sqlite3_backup_step(backup, stepPages);
        if (rc == SQLITE_DONE)
            break;
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            // The source is being written: wait a little, as long as a post would.
            if (++busyWaits * BusyPauseMs > Connection::BusyTimeoutMs)
                break;
            QThread::msleep(BusyPauseMs);
            continue;
        }
        if (rc != SQLITE_OK)
            break;
        busyWaits = 0;
        const int now = sqlite3_backup_remaining(backup);
        if (remaining >= 0 && now > remaining && ++restarts >= MaxRestarts)
            stepPages = -1;
        remaining = now;
        if (between && !between()) {
            stopped = true;
            break;
        }
    }
    const int finished = sqlite3_backup_finish(backup);
    if (stopped)
        return false;
    if (rc == SQLITE_DONE && finished != SQLITE_OK)
        rc = finished;
    if (rc != SQLITE_DONE) {
        // A disk that is full or fails is the target's; the rest the source's.
        const int primary = rc & 0xff;
        throw(primary == SQLITE_FULL || primary == SQLITE_IOERR ? target : source).failure(rc);
    }
    return true;
}

QString FileStore::quickCheck(const QString &file)
{
    return Database(file, SQLITE_OPEN_READONLY).text(kQuickCheckSql);
}

bool FileStore::isSound(const QString &file)
{
    try {
        const Database db(file, SQLITE_OPEN_READONLY);
        db.text(kProbeSql);
        return db.text(kQuickCheckSql) == QLatin1String("ok");
    } catch (const StoreError &) {
        return false;
    }
}
