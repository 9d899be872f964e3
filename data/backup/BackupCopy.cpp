#include "BackupCopy.h"

#include "BackupMerge.h"
#include "recordset/Error.h"
#include "recordset/FileStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// Why the engine refused, as a shop user would say it.
QString reason(const StoreError &error, const QString &target)
{
    const QString disk = error.diskCause(shown(QFileInfo(target).absolutePath()));
    if (!disk.isEmpty())
        return disk;
    if (error.kind() == StoreError::Kind::Busy)
        return QStringLiteral("каталог занят другой программой; повторите немного позже");
    if (error.kind() == StoreError::Kind::Damaged)
        return QStringLiteral("файл повреждён или не является базой данных");
    return error.engineText();
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
    try {
        if (!FileStore::copy(source, part, true, StepPages, between))
            fail(QStringLiteral("копирование прервано"));
        // The copy is read back whole before it counts.
        const QString verdict = FileStore::quickCheck(part);
        if (verdict != QLatin1String("ok"))
            fail(QStringLiteral("копия не прошла проверку (%1)").arg(verdict));
    } catch (const StoreError &error) {
        fail(reason(error, target));
    }
    // Renaming within one folder replaces the name at once: a copy under
    // the final name is always complete.
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) !=
        0)
        fail(QStringLiteral("не удаётся переименовать «%1»").arg(shown(part)));
}

void BackupCopy::restore(const QString &copy, const QString &catalogue)
{
    try {
        // Row by row where the two can be merged, so that the journal keeps
        // what happened since and can undo the restore.
        if (BackupMerge::apply(copy, catalogue))
            return;
        // Otherwise in one step: the whole catalogue is replaced in one
        // transaction or not at all.
        FileStore::copy(copy, catalogue, false, -1);
    } catch (const StoreError &error) {
        throw Error(QStringLiteral("Не удалось восстановить каталог из копии «%1»: %2. Каталог не "
                                   "изменён.")
                        .arg(shown(copy), reason(error, catalogue)));
    }
}

bool BackupCopy::isSound(const QString &file)
{
    return QFileInfo(file).isFile() && FileStore::isSound(file);
}
