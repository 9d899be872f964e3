#include "CatalogueFolder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

// XDG_DOCUMENTS_DIR="$HOME/Документы" in the user-dirs file; a value of the
// home folder itself means "none".
QString documentsFromUserDirs(const QString &file, const QString &home)
{
    QFile dirs(file);
    if (!dirs.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    static const QRegularExpression line(QStringLiteral("^\\s*XDG_DOCUMENTS_DIR\\s*=\\s*\"(.*)\"\\s*$"));
    while (!dirs.atEnd()) {
        const auto match = line.match(QString::fromUtf8(dirs.readLine()).trimmed());
        if (!match.hasMatch())
            continue;
        QString path = match.captured(1);
        path.replace(QLatin1String("$HOME"), home);
        return QDir::cleanPath(path) == QDir::cleanPath(home) ? QString() : path;
    }
    return {};
}

} // namespace

QString CatalogueFolder::locate(const QProcessEnvironment &environment)
{
    const QString home = environment.value(QStringLiteral("HOME"), QDir::homePath());
    QString documents = environment.value(QStringLiteral("XDG_DOCUMENTS_DIR"));
    if (documents.isEmpty()) {
        const QString config = environment.value(QStringLiteral("XDG_CONFIG_HOME"),
                                                 home + QStringLiteral("/.config"));
        documents = documentsFromUserDirs(config + QStringLiteral("/user-dirs.dirs"), home);
    }
    const QString base = documents.isEmpty() ? home : documents;
    return QDir::cleanPath(base + QLatin1Char('/') + QString::fromUtf8(Name));
}
