#include "JetCatalogue.h"

#include "CatalogueSchema.h"
#include "ConversionTarget.h"
#include "JetFile.h"
#include "recordset/Connection.h"
#include "recordset/Error.h"
#include "recordset/Statement.h"
#include "recordset/server/ServerConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char *kQuickCheckSql = "PRAGMA quick_check";

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The engine's reasons, as the user would put them; the temporary file's
// name means nothing to the user.
QString reason(const StoreError &error)
{
    const QString disk = error.diskCause(QString());
    return disk.isEmpty() ? error.message() : disk;
}

void removeWithJournal(const QString &path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

// The new file's data and its folder's entry on the disk before the names
// change, so that a power cut leaves one whole catalogue or the other.
void syncPath(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void check(const QString &path, const QString &source)
{
    Connection connection(path);
    connection.open();
    Statement quickCheck(connection, kQuickCheckSql);
    if (!quickCheck.step() || quickCheck.text(0) != QLatin1String("ok"))
        throw Error(QStringLiteral("Каталог не перенесён: новый каталог не прошёл проверку. "
                                   "Файл «%1» не изменён.")
                        .arg(source));
    for (const TableSchema &table : {CatalogueSchema::goods(), CatalogueSchema::categories(),
                                     CatalogueSchema::makes(), CatalogueSchema::countries()})
        table.verified(connection);
}

// A name for the new file beside `target`, not taken by any file.
QString temporaryBeside(const QString &target, const QString &source)
{
    const QFileInfo info(target);
    QTemporaryFile reserve(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                           QStringLiteral(".XXXXXX.part"));
    if (!reserve.open())
        throw Error(QStringLiteral("В папку «%1» нельзя записывать: каталог не перенесён. Файл "
                                   "«%2» не изменён.")
                        .arg(shown(info.absolutePath()), source));
    const QString name = reserve.fileName();
    reserve.remove();
    return name;
}

} // namespace

QString JetCatalogue::keptName(const QString &catalogue, const QDate &today)
{
    const QFileInfo info(catalogue);
    const QString base = info.completeBaseName() + QStringLiteral("-jet-") +
                         today.toString(QStringLiteral("yyyy-MM-dd"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString name = info.dir().filePath(base + suffix);
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = info.dir().filePath(base + QStringLiteral("-%1").arg(n) + suffix);
    return name;
}

ConversionSummary JetCatalogue::writeChecked(JetFile &file, const QString &temporary,
                                             const JetConversion::Progress &progress)
{
    try {
        ConversionSummary summary;
        {
            FileConversionTarget writer(temporary);
            summary = JetConversion::run(file, writer, progress);
        }
        check(temporary, file.name());
        syncPath(temporary);
        return summary;
    } catch (const StoreError &error) {
        removeWithJournal(temporary);
        throw Error(QStringLiteral("Каталог не перенесён: %1. Файл «%2» не изменён.")
                        .arg(reason(error), file.name()));
    } catch (...) {
        removeWithJournal(temporary);
        throw;
    }
}

ConversionSummary JetCatalogue::convertFile(const QString &source, const QString &target,
                                            const JetConversion::Progress &progress)
{
    JetFile file(source);
    if (QFileInfo::exists(target))
        throw Error(QStringLiteral("Файл «%1» уже существует; он оставлен без изменений")
                        .arg(shown(target)));
    const QFileInfo folder(QFileInfo(target).absolutePath());
    if (!folder.isDir() || !folder.isWritable())
        throw Error(QStringLiteral("В папку «%1» нельзя записывать: каталог не перенесён. Файл "
                                   "«%2» не изменён.")
                        .arg(shown(folder.absoluteFilePath()), file.name()));
    const QString temporary = temporaryBeside(target, file.name());
    const ConversionSummary summary = writeChecked(file, temporary, progress);
    if (QFileInfo::exists(target) || ::rename(QFile::encodeName(temporary).constData(),
                                              QFile::encodeName(target).constData()) != 0) {
        removeWithJournal(temporary);
        throw Error(QStringLiteral("Каталог не перенесён: не удаётся записать файл «%1». Файл "
                                   "«%2» не изменён.")
                        .arg(shown(target), file.name()));
    }
    syncPath(folder.absoluteFilePath());
    return summary;
}

ConversionSummary JetCatalogue::replace(const QString &catalogue, QString *kept,
                                        const JetConversion::Progress &progress, const QDate &today)
{
    JetFile file(catalogue);
    const QFileInfo info(catalogue);
    if (!QFileInfo(info.absolutePath()).isWritable())
        throw Error(QStringLiteral("В папку «%1» нельзя записывать: каталог не перенесён. Файл "
                                   "«%2» не изменён.")
                        .arg(shown(info.absolutePath()), file.name()));
    const QString temporary = temporaryBeside(catalogue, file.name());
    ConversionSummary summary = writeChecked(file, temporary, progress);

    const QString keep = keptName(catalogue, today);
    const QByteArray original = QFile::encodeName(info.absoluteFilePath());
    const QByteArray aside = QFile::encodeName(keep);
    const QByteArray converted = QFile::encodeName(temporary);
    bool done = false;
    // A second name for the original first: the catalogue's own name then
    // changes from the old file to the new one in one step, and is never
    // missing. Where the folder has no hard links, the original is renamed.
    if (::link(original.constData(), aside.constData()) == 0) {
        done = ::rename(converted.constData(), original.constData()) == 0;
        if (!done)
            ::unlink(aside.constData());
    } else if (::rename(original.constData(), aside.constData()) == 0) {
        done = ::rename(converted.constData(), original.constData()) == 0;
        if (!done)
            ::rename(aside.constData(), original.constData());
    }
    if (!done) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        removeWithJournal(temporary);
        throw Error(QStringLiteral("Каталог не перенесён: не удаётся переименовать файл «%1» "
                                   "(%2). Файл не изменён.")
                        .arg(shown(catalogue), why));
    }
    syncPath(info.absolutePath());
    if (kept)
        *kept = keep;
    return summary;
}

ConversionSummary JetCatalogue::toServer(const QString &source, ServerConnection &server,
                                         const JetConversion::Progress &progress)
{
    JetFile file(source);
    ServerConversionTarget target(server);
    return JetConversion::run(file, target, progress);
}
