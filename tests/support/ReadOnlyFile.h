#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <unistd.h>

// Makes a file, or a folder (nothing can be created or removed in it),
// read-only for the object's life. File modes do not bind the superuser, so
// as root it is also made immutable where the file system allows it;
// `effective()` tells whether writing is really refused.
class ReadOnlyFile
{
public:
    explicit ReadOnlyFile(QString path) : path_(std::move(path)), original_(QFile::permissions(path_))
    {
        QFile::setPermissions(path_, original_ & ~(QFile::WriteOwner | QFile::WriteUser |
                                                   QFile::WriteGroup | QFile::WriteOther));
        if (geteuid() == 0)
            immutable_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
    }
    ~ReadOnlyFile()
    {
        if (immutable_)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        QFile::setPermissions(path_, original_);
    }
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    bool effective() const
    {
        if (QFileInfo(path_).isDir()) {
            QFile probe(QDir(path_).filePath(QStringLiteral("probe.tmp")));
            if (!probe.open(QIODevice::WriteOnly))
                return true;
            probe.remove();
            return false;
        }
        QFile probe(path_);
        return !probe.open(QIODevice::ReadWrite);
    }

private:
    QString path_;
    QFile::Permissions original_;
    bool immutable_ = false;
};
