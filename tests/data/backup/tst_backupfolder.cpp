#include "backup/BackupFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <set>

namespace {

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("copy");
}

std::set<QString> names(const BackupFolder &folder)
{
    std::set<QString> found;
    for (const BackupFolder::Entry &entry : folder.entries())
        found.insert(QFileInfo(entry.path).fileName());
    return found;
}

} // namespace

// The folder of copies: how copies are named and read back, and which of
// them the keeping rule lets go, day after day.
class TestBackupFolder : public QObject
{
    Q_OBJECT
private slots:
    void namesReadBack();
    void keepingOverAYearAndMore();
    void causesTheDiskGives_data();
    void causesTheDiskGives();
};

void TestBackupFolder::namesReadBack()
{
    QTemporaryDir dir;
    const BackupFolder folder(dir.filePath(QStringLiteral("db.mdb")));
    QCOMPARE(folder.path(), dir.filePath(QStringLiteral("db-backups")));
    folder.create();
    const QDateTime at(QDate(2026, 1, 15), QTime(16, 25, 30));
    touch(folder.dailyCopy(at.date()));
    touch(folder.manualCopy(at));
    touch(folder.beforeRestoreCopy(at.addSecs(60)));
    // Not ours: another catalogue's copy, a copy cut short, a name that is no date.
    for (const char *other : {"shop-2026-12-09.mdb", "db-2026-12-09.mdb.part", "db-2026-13-40.mdb",
                              "db-2026-12-09_1625.mdb", "notes.txt"})
        touch(QDir(folder.path()).filePath(QString::fromLatin1(other)));

    QCOMPARE(names(folder), (std::set<QString>{"db-2026-01-15.mdb", "db-2026-01-15_16-25-30.mdb",
                                               "db-2026-01-15_16-26-30-before-restore.mdb"}));
    const std::vector<BackupFolder::Entry> entries = folder.entries();
    QCOMPARE(entries[0].kind, BackupFolder::Kind::BeforeRestore); // newest first
    QCOMPARE(entries[0].taken, at.addSecs(60));
    QCOMPARE(entries[1].kind, BackupFolder::Kind::Manual);
    QCOMPARE(entries[1].taken, at);
    QCOMPARE(entries[2].kind, BackupFolder::Kind::Daily);
    QCOMPARE(entries[2].day, at.date());
    QCOMPARE(entries[2].size, qint64(4));
    QVERIFY(folder.hasDailyCopy(at.date()));
    QVERIFY(!folder.hasDailyCopy(at.date().addDays(1)));
}

void TestBackupFolder::keepingOverAYearAndMore()
{
    QTemporaryDir dir;
    const BackupFolder folder(dir.filePath(QStringLiteral("db.mdb")));
    folder.create();
    // The shop opens the program every day but in March, and makes a copy
    // by hand on the 1st and the 20th of each month.
    const QDate first(2025, 10, 20);
    const QDate last(2026, 12, 5);
    for (QDate day = first; day <= last; day = day.addDays(1)) {
        if (day.month() == 3 && day.year() == 2026)
            continue;
        if (!folder.hasDailyCopy(day))
            touch(folder.dailyCopy(day));
        if (day.day() == 1 || day.day() == 20)
            touch(folder.manualCopy(QDateTime(day, QTime(11, 0))));
        folder.prune(day);
        // Whatever else happened: the copies of the last 14 days are all there.
        for (QDate back = day; back > day.addDays(-BackupFolder::KeptDays); back = back.addDays(-1))
            if (back >= first && !(back.month() == 3 && back.year() == 2026))
                QVERIFY2(folder.hasDailyCopy(back), qPrintable(back.toString(Qt::ISODate)));
    }

    std::set<QString> expected;
    for (QDate day = last.addDays(1 - BackupFolder::KeptDays); day <= last; day = day.addDays(1))
        expected.insert(QFileInfo(folder.dailyCopy(day)).fileName());
    expected.insert("db-2026-12-01_11-00-00.mdb"); // within the 14 days
    // The first copy of each of the last 12 months: the daily one of the 1st,
    // made before the hand copy; in April, after a month without the program,
    // the 1st again.
    for (int month = 1; month <= 12; ++month)
        if (month != 3)
            expected.insert(
                QStringLiteral("db-2026-%1-01.mdb").arg(month, 2, 10, QLatin1Char('0')));
    QCOMPARE(names(folder), expected);
}

// Why the folder of copies could not be made, for the answers of the disk
// that a test cannot bring about (a file in the way and a read-only folder:
// tst_backups).
void TestBackupFolder::causesTheDiskGives_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("reason");
    QTest::newRow("disk full") << ENOSPC << QStringLiteral("на диске не хватает места.");
    QTest::newRow("quota used up") << EDQUOT << QStringLiteral("на диске не хватает места.");
    QTest::newRow("disk mounted read-only")
        << EROFS << QStringLiteral("в папку каталога нельзя записывать.");
    QTest::newRow("anything else, in the system's words")
        << EIO << QString::fromLocal8Bit(std::strerror(EIO)) + QLatin1Char('.');
}

void TestBackupFolder::causesTheDiskGives()
{
    QFETCH(int, error);
    QFETCH(QString, reason);
    const QString folder = QDir::toNativeSeparators(QStringLiteral("/shop/db-backups"));
    QCOMPARE(BackupFolder::creationFailure(QStringLiteral("/shop/db-backups"), error),
             QStringLiteral("Не удаётся создать папку «%1»: %2").arg(folder, reason));
}

QTEST_GUILESS_MAIN(TestBackupFolder)
#include "tst_backupfolder.moc"
