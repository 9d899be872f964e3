#include "BackupCopy.h"

#include "recordset/Connection.h"
#include "recordset/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cstdio>
#include <sqlite3.h>
#include <utility>

namespace {

constexpr const char *kQuickCheckSql = "PRAGMA quick_check";
constexpr const char *kProbeSql = "SELECT count(*) FROM sqlite_master";
// A writer that keeps changing the source restarts a copy made in steps;
// after this many restarts the rest is copied in one step.
constexpr int MaxRestarts = 3;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// Why the engine refused, as a shop user would say it.
QString reason(int rc, sqlite3 *db, const QString &target)
{
    switch (rc & 0xff) {
    case SQLITE_FULL:
        return QStringLiteral("на диске не хватает места");
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("в папку «%1» нельзя записывать")
            .arg(shown(QFileInfo(target).absolutePath()));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("каталог занят другой программой; повторите немного позже");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("файл повреждён или не является базой данных");
    case SQLITE_IOERR:
        return QStringLiteral("ошибка чтения или записи диска");
    case SQLITE_NOMEM:
        return QStringLiteral("не хватает памяти");
    default:
        break;
    }
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

// One engine connection, closed with its scope.
class Database
{
public:
    Database(const QString &file, int flags)
    {
        rc_ = sqlite3_open_v2(QFile::encodeName(file).constData(), &db_, flags, nullptr);
        if (rc_ == SQLITE_OK) {
            sqlite3_extended_result_codes(db_, 1);
            sqlite3_busy_timeout(db_, Connection::BusyTimeoutMs);
        }
    }
    ~Database() { sqlite3_close_v2(db_); }
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    sqlite3 *handle() const { return db_; }
    int status() const { return rc_; }

    // The first column of the first row of `sql`, as text, and the engine's
    // code (SQLITE_OK when it ran).
    std::pair<int, QString> text(const char *sql) const
    {
        sqlite3_stmt *stmt = nullptr;
        int rc = sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr);
        QString result;
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(stmt);
            if (rc == SQLITE_ROW)
                result =
                    QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
            if (rc == SQLITE_ROW || rc == SQLITE_DONE)
                rc = SQLITE_OK;
        }
        sqlite3_finalize(stmt);
        return {rc, result};
    }

private:
    sqlite3 *db_ = nullptr;
    int rc_ = SQLITE_OK;
};

// Copies `from` into `to` with the online backup; returns the engine's code
// (SQLITE_DONE when complete), or -1 when `between` stopped it.
int copyPages(sqlite3 *from, sqlite3 *to, int pages, const BackupCopy::Between &between)
{
    sqlite3_backup *backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup)
        return sqlite3_errcode(to);
    int rc = SQLITE_OK;
    int restarts = 0;
    int remaining = -1;
    int busyWaits = 0;
    while (true) {
        rc = sqlite3_backup_step(backup, pages);
        if (rc == SQLITE_DONE)
            break;
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            // The source is being written: wait a little, as long as a post would.
            if (++busyWaits * 20 > Connection::BusyTimeoutMs)
                break;
            QThread::msleep(20);
            continue;
        }
        if (rc != SQLITE_OK)
            break;
        busyWaits = 0;
        const int now = sqlite3_backup_remaining(backup);
        if (remaining >= 0 && now > remaining && ++restarts >= MaxRestarts)
            pages = -1;
        remaining = now;
        if (between && !between()) {
            rc = -1;
            break;
        }
    }
    const int finished = sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE && finished != SQLITE_OK)
        return finished;
    return rc;
}

void removeWithJournal(const QString &file)
{
    QFile::remove(file);
    QFile::remove(file + QStringLiteral("-journal"));
}

} // namespace

void BackupCopy::make(const QString &source, const QString &target, const Between &between)
{
    const QString part = target + QStringLiteral(".part");
    removeWithJournal(part); // what an interrupted copy left
    const auto fail = [&](const QString &why) {
        removeWithJournal(part);
        throw Error(QStringLiteral("Не удалось сделать резервную копию каталога «%1»: %2")
                        .arg(QFileInfo(source).fileName(), why));
    };
    {
        Database from(source, SQLITE_OPEN_READONLY);
        if (from.status() != SQLITE_OK)
            fail(reason(from.status(), from.handle(), target));
        Database to(part, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        if (to.status() != SQLITE_OK)
            fail(reason(to.status(), to.handle(), target));
        const int rc = copyPages(from.handle(), to.handle(), StepPages, between);
        if (rc == -1)
            fail(QStringLiteral("копирование прервано"));
        if (rc != SQLITE_DONE)
            fail(reason(rc, rc == SQLITE_FULL || rc == SQLITE_IOERR ? to.handle() : from.handle(),
                        target));
    }
    {
        // The copy is read back whole before it counts.
        Database check(part, SQLITE_OPEN_READONLY);
        const auto [rc, result] = check.text(kQuickCheckSql);
        const QString verdict = rc == SQLITE_OK ? result : reason(rc, check.handle(), target);
        if (verdict != QLatin1String("ok"))
            fail(QStringLiteral("копия не прошла проверку (%1)").arg(verdict));
    }
    // Renaming within one folder replaces the name at once: a copy under
    // the final name is always complete.
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) !=
        0)
        fail(QStringLiteral("не удаётся переименовать «%1»").arg(shown(part)));
}

void BackupCopy::restore(const QString &copy, const QString &catalogue)
{
    const auto fail = [&](const QString &why) {
        throw Error(QStringLiteral("Не удалось восстановить каталог из копии «%1»: %2. Каталог не "
                                   "изменён.")
                        .arg(shown(copy), why));
    };
    Database from(copy, SQLITE_OPEN_READONLY);
    if (from.status() != SQLITE_OK)
        fail(reason(from.status(), from.handle(), copy));
    Database to(catalogue, SQLITE_OPEN_READWRITE);
    if (to.status() != SQLITE_OK)
        fail(reason(to.status(), to.handle(), catalogue));
    // One step: the whole catalogue is replaced in one transaction or not at all.
    const int rc = copyPages(from.handle(), to.handle(), -1, {});
    if (rc != SQLITE_DONE)
        fail(reason(rc, to.handle(), catalogue));
}

bool BackupCopy::isSound(const QString &file)
{
    if (!QFileInfo(file).isFile())
        return false;
    Database db(file, SQLITE_OPEN_READONLY);
    if (db.status() != SQLITE_OK)
        return false;
    if (db.text(kProbeSql).first != SQLITE_OK)
        return false;
    const auto [rc, verdict] = db.text(kQuickCheckSql);
    return rc == SQLITE_OK && verdict == QLatin1String("ok");
}
