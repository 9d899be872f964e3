// autoparts-launcher: what the desktop menu starts. It finds (or, on the
// first start, makes) the user's catalogue folder and starts the program
// there, since the program opens db.mdb in its current folder. The setting
// AUTOPARTS_DATABASE passes through unchanged.

#include "FirstStart.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include "ui/common/ProgramIcon.h"
#include <QMessageBox>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// A program beside the launcher (as installed), in tools/ beside it (as
// built), or on the PATH.
QString findProgram(const QString &name)
{
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString &candidate : {here + '/' + name, here + QStringLiteral("/tools/") + name})
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    return QStandardPaths::findExecutable(name);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setWindowIcon(ProgramIcon::icon());
    const QString program = findProgram(QStringLiteral("autoparts"));
    const QString newdb = findProgram(QStringLiteral("autoparts-newdb"));
    QString failure;
    QString report;
    if (program.isEmpty() || newdb.isEmpty())
        failure = QStringLiteral("Программа «Автозапчасти» установлена не полностью: не найдена "
                                 "программа «%1».")
                      .arg(program.isEmpty() ? QStringLiteral("autoparts")
                                             : QStringLiteral("autoparts-newdb"));
    const std::optional<QString> folder =
        failure.isEmpty()
            ? FirstStart::prepare(
                  QProcessEnvironment::systemEnvironment(), newdb,
                  [](const QString &f) { return FirstStart::askWithDialog(f); }, &failure,
                  [] { return FirstStart::pickWithDialog(); }, &report)
            : std::nullopt;
    if (!folder) {
        if (!failure.isEmpty())
            QMessageBox::critical(nullptr, QStringLiteral("Автозапчасти"), failure);
        return failure.isEmpty() ? 0 : 1;
    }
    if (!report.isEmpty())
        QMessageBox::information(nullptr, QStringLiteral("Автозапчасти"), report);
    if (!QDir::setCurrent(*folder)) {
        QMessageBox::critical(nullptr, QStringLiteral("Автозапчасти"),
                              QStringLiteral("Не удаётся перейти в папку каталога «%1».")
                                  .arg(QDir::toNativeSeparators(*folder)));
        return 1;
    }
    const QByteArray path = QFile::encodeName(program);
    char *const arguments[] = {const_cast<char *>(path.constData()), nullptr};
    execv(path.constData(), arguments);
    QMessageBox::critical(nullptr, QStringLiteral("Автозапчасти"),
                          QStringLiteral("Не удаётся запустить программу «%1»: %2")
                              .arg(program, QString::fromLocal8Bit(std::strerror(errno))));
    return 1;
}
