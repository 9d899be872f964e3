#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <unistd.h>

// Makes a file read-only for the object's life. File modes do not bind the
// superuser, so as root the file is also made immutable where the file
// system allows it; `effective()` tells whether writing is really refused.
class ReadOnlyFile
{
public:
    explicit ReadOnlyFile(QString path) : path_(std::move(path))
    {
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        if (geteuid() == 0)
            immutable_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
    }
    ~ReadOnlyFile()
    {
        if (immutable_)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                         QFile::ReadOther);
    }
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    bool effective() const
    {
        QFile probe(path_);
        return !probe.open(QIODevice::ReadWrite);
    }

private:
    QString path_;
    bool immutable_ = false;
};
