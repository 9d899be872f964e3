#include "ZipEntry.h"

#include "recordset/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <climits>
#include <unzip.h>

ZipEntry::ZipEntry(const QString &archive, const QString &name)
{
    zip_ = unzOpen64(QFile::encodeName(archive).constData());
    if (!zip_)
        throw Error(QStringLiteral("Файл «%1» не является книгой Excel (.xlsx)")
                        .arg(QDir::toNativeSeparators(QFileInfo(archive).absoluteFilePath())));
    if (unzLocateFile(zip_, name.toUtf8().constData(), 1) != UNZ_OK)
        return;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzOpenCurrentFile(zip_) != UNZ_OK)
        throw Error(QStringLiteral("Не удаётся прочитать «%1» из книги «%2»")
                        .arg(name, QDir::toNativeSeparators(archive)));
    size_ = qint64(info.uncompressed_size);
    open_ = true;
    QIODevice::open(QIODevice::ReadOnly);
}

ZipEntry::~ZipEntry()
{
    if (open_)
        unzCloseCurrentFile(zip_);
    if (zip_)
        unzClose(zip_);
}

qint64 ZipEntry::readData(char *data, qint64 maxSize)
{
    if (!open_)
        return -1;
    const int read = unzReadCurrentFile(zip_, data, unsigned(std::min<qint64>(maxSize, INT_MAX)));
    if (read < 0) {
        setErrorString(QStringLiteral("архив повреждён"));
        return -1;
    }
    return read;
}
