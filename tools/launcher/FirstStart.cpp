#include "FirstStart.h"

#include "CatalogueFolder.h"

#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

std::optional<QString> FirstStart::prepare(const QProcessEnvironment &environment,
                                           const QString &newdb, const Ask &ask, QString *failure)
{
    const QString folder = CatalogueFolder::locate(environment);
    const QString shown = QDir::toNativeSeparators(folder);
    if (!QDir().mkpath(folder)) {
        *failure = QStringLiteral("Не удаётся создать папку каталога «%1».").arg(shown);
        return std::nullopt;
    }
    const bool onServer = !environment.value(QStringLiteral("AUTOPARTS_DATABASE")).trimmed().isEmpty();
    const QString file = QDir(folder).filePath(QString::fromLatin1(CatalogueFile));
    if (onServer || QFileInfo::exists(file))
        return folder;

    const Choice choice = ask(folder);
    if (choice == Choice::Cancel)
        return std::nullopt;
    QProcess make;
    make.setProcessEnvironment(environment);
    make.setWorkingDirectory(folder);
    QStringList arguments;
    if (choice == Choice::Demo)
        arguments << QStringLiteral("--demo");
    arguments << QString::fromLatin1(CatalogueFile);
    make.start(newdb, arguments);
    if (!make.waitForFinished(120000) || make.exitStatus() != QProcess::NormalExit ||
        make.exitCode() != 0) {
        const QString why = QString::fromLocal8Bit(make.readAllStandardError()).trimmed();
        *failure = QStringLiteral("Не удалось создать каталог в папке «%1»%2")
                       .arg(shown, why.isEmpty() ? QStringLiteral(".")
                                                 : QStringLiteral(":\n") + why);
        return std::nullopt;
    }
    return folder;
}

FirstStart::Choice FirstStart::askWithDialog(const QString &folder, QWidget *owner)
{
    QMessageBox box(owner);
    box.setWindowTitle(QStringLiteral("Автозапчасти"));
    box.setIcon(QMessageBox::Question);
    box.setText(QStringLiteral("Каталог запчастей будет храниться в папке\n«%1».\n\n"
                               "С чего начать?")
                    .arg(QDir::toNativeSeparators(folder)));
    box.setInformativeText(QStringLiteral("Демонстрационный каталог содержит несколько десятков "
                                          "запчастей с фотографиями: на нём удобно попробовать "
                                          "программу. Пустой каталог сразу готов к работе."));
    QPushButton *empty = box.addButton(QStringLiteral("Пустой каталог"), QMessageBox::AcceptRole);
    QPushButton *demo =
        box.addButton(QStringLiteral("Демонстрационный каталог"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    box.setDefaultButton(empty);
    box.exec();
    if (box.clickedButton() == empty)
        return Choice::Empty;
    if (box.clickedButton() == demo)
        return Choice::Demo;
    return Choice::Cancel;
}
