#include "BackupFolder.h"

#include "recordset/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <map>
#include <sys/stat.h>

namespace {

const QString kFolderName = QStringLiteral("db-backups");
const QString kSuffix = QStringLiteral(".mdb");
const QString kBeforeRestore = QStringLiteral("-before-restore");
const QString kDayFormat = QStringLiteral("yyyy-MM-dd");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss");

} // namespace

BackupFolder::BackupFolder(const QString &catalogue)
{
    const QFileInfo file(catalogue);
    folder_ = QDir(file.absolutePath()).filePath(kFolderName);
    base_ = file.completeBaseName();
}

void BackupFolder::create() const
{
    if (QFileInfo(folder_).isDir())
        return;
    // The catalogue's folder is there already, so one level is all there is
    // to make; mkdir itself tells why it could not.
    const QByteArray name = QFile::encodeName(folder_);
    if (::mkdir(name.constData(), 0777) != 0 && errno != EEXIST)
        throw Error(creationFailure(folder_, errno));
    // EEXIST, or a race: something stands under the name, and it may be a
    // file (or a link to nothing).
    if (!QFileInfo(folder_).isDir())
        throw Error(creationFailure(folder_, EEXIST));
}

QString BackupFolder::creationFailure(const QString &folder, int error)
{
    const QString start =
        QStringLiteral("Не удаётся создать папку «%1»: ").arg(QDir::toNativeSeparators(folder));
    switch (error) {
    case EEXIST:
        return start + QStringLiteral("на её месте стоит файл с тем же именем. Переименуйте или "
                                      "уберите этот файл.");
    case EACCES:
    case EPERM:
    case EROFS:
        return start + QStringLiteral("в папку каталога нельзя записывать.");
    case ENOSPC:
    case EDQUOT:
        return start + QStringLiteral("на диске не хватает места.");
    default:
        // The system's own words, in the language it is set to.
        return start + qt_error_string(error) + QLatin1Char('.');
    }
}

QString BackupFolder::dailyCopy(QDate day) const
{
    return QDir(folder_).filePath(base_ + QLatin1Char('-') + day.toString(kDayFormat) + kSuffix);
}

QString BackupFolder::copyName(const QDateTime &at, const QString &suffix) const
{
    // Two copies in one second must not share a name: the later one takes
    // the next free second.
    QDateTime time = at;
    QString name;
    do {
        name = QDir(folder_).filePath(base_ + QLatin1Char('-') + time.toString(kTimeFormat) +
                                      suffix + kSuffix);
        time = time.addSecs(1);
    } while (QFileInfo::exists(name));
    return name;
}

QString BackupFolder::manualCopy(const QDateTime &at) const
{
    return copyName(at, QString());
}

QString BackupFolder::beforeRestoreCopy(const QDateTime &at) const
{
    return copyName(at, kBeforeRestore);
}

bool BackupFolder::hasDailyCopy(QDate day) const
{
    return QFileInfo::exists(dailyCopy(day));
}

std::vector<BackupFolder::Entry> BackupFolder::entries() const
{
    // db-2026-12-09.mdb, db-2026-12-09_16-25-30.mdb, db-2026-12-09_16-25-30-before-restore.mdb
    const QRegularExpression name(
        QStringLiteral("^%1-(\\d{4}-\\d{2}-\\d{2})(_(\\d{2}-\\d{2}-\\d{2}))?(%2)?%3$")
            .arg(QRegularExpression::escape(base_), QRegularExpression::escape(kBeforeRestore),
                 QRegularExpression::escape(kSuffix)));
    std::vector<Entry> found;
    const QFileInfoList files = QDir(folder_).entryInfoList(QDir::Files);
    for (const QFileInfo &file : files) {
        const auto match = name.match(file.fileName());
        if (!match.hasMatch())
            continue;
        Entry entry;
        entry.path = file.absoluteFilePath();
        entry.day = QDate::fromString(match.captured(1), kDayFormat);
        if (!entry.day.isValid())
            continue;
        entry.size = file.size();
        if (match.captured(3).isEmpty()) {
            entry.kind = Kind::Daily;
            // A daily name holds the day only; the time is the file's, when it
            // agrees with the name.
            const QDateTime modified = file.lastModified();
            entry.taken = modified.date() == entry.day ? modified : QDateTime(entry.day, QTime());
        } else {
            entry.kind = match.captured(4).isEmpty() ? Kind::Manual : Kind::BeforeRestore;
            entry.taken = QDateTime::fromString(
                match.captured(1) + QLatin1Char('_') + match.captured(3), kTimeFormat);
        }
        found.push_back(entry);
    }
    std::sort(found.begin(), found.end(),
              [](const Entry &a, const Entry &b) { return a.taken > b.taken; });
    return found;
}

std::vector<BackupFolder::Entry> BackupFolder::expired(const std::vector<Entry> &entries,
                                                       QDate today)
{
    const QDate firstKeptDay = today.addDays(1 - KeptDays);
    const QDate firstKeptMonth = QDate(today.year(), today.month(), 1).addMonths(1 - KeptMonths);
    // The first copy of each month, by day and then by time.
    std::map<int, const Entry *> firstOfMonth;
    for (const Entry &entry : entries) {
        const int month = entry.day.year() * 12 + entry.day.month();
        const Entry *&first = firstOfMonth[month];
        if (!first ||
            std::make_pair(entry.day, entry.taken) < std::make_pair(first->day, first->taken))
            first = &entry;
    }
    std::vector<Entry> gone;
    for (const Entry &entry : entries) {
        if (entry.day >= firstKeptDay)
            continue; // the last 14 days, and any day the clock has not reached
        const int month = entry.day.year() * 12 + entry.day.month();
        if (entry.day >= firstKeptMonth && firstOfMonth[month] == &entry)
            continue;
        gone.push_back(entry);
    }
    return gone;
}

int BackupFolder::prune(QDate today) const
{
    int removed = 0;
    for (const Entry &entry : expired(entries(), today))
        removed += QFile::remove(entry.path) ? 1 : 0;
    return removed;
}
