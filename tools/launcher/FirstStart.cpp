#include "FirstStart.h"

#include "CatalogueFolder.h"

#include "data/backup/BackupCheck.h"
#include "data/backup/BackupCopy.h"
#include "jet/JetCatalogue.h"
#include "jet/JetSignature.h"
#include "recordset/Error.h"
#include "ui/jet/ConversionProgress.h"
#include "ui/jet/JetStartup.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

std::optional<QString> FirstStart::prepare(const QProcessEnvironment &environment,
                                           const QString &newdb, const Ask &ask, QString *failure,
                                           const Pick &pick, QString *report)
{
    const QString folder = CatalogueFolder::locate(environment);
    const QString shown = QDir::toNativeSeparators(folder);
    const bool existed = QFileInfo(folder).isDir();
    // The folder is made only for a catalogue: giving up leaves nothing behind.
    const auto makeFolder = [&] {
        if (QDir().mkpath(folder))
            return true;
        *failure = QStringLiteral("Не удаётся создать папку каталога «%1».").arg(shown);
        return false;
    };
    const auto giveUp = [&]() -> std::optional<QString> {
        if (!existed)
            QDir().rmdir(folder); // only when empty
        return std::nullopt;
    };
    const bool onServer =
        !environment.value(QStringLiteral("AUTOPARTS_DATABASE")).trimmed().isEmpty();
    const QString file = QDir(folder).filePath(QString::fromLatin1(CatalogueFile));
    if (onServer) // the program still starts in the folder
        return makeFolder() ? std::optional<QString>(folder) : std::nullopt;
    if (QFileInfo::exists(file))
        return folder;

    const Choice choice = ask(folder);
    if (choice == Choice::Cancel)
        return std::nullopt;
    if (choice == Choice::Bring) {
        const QString source = pick ? pick() : QString();
        if (source.isEmpty())
            return std::nullopt;
        if (!makeFolder())
            return std::nullopt;
        try {
            const QString told = bring(source, file);
            if (report)
                *report = told;
        } catch (const std::exception &error) {
            *failure = QString::fromUtf8(error.what());
            return giveUp();
        }
        return folder;
    }
    if (!makeFolder())
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
        *failure =
            QStringLiteral("Не удалось создать каталог в папке «%1»%2")
                .arg(shown, why.isEmpty() ? QStringLiteral(".") : QStringLiteral(":\n") + why);
        return giveUp();
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
                                          "программу. Пустой каталог сразу готов к работе. "
                                          "Каталог, который магазин вёл в другой программе "
                                          "(файл db.mdb), можно перенести со всеми товарами, "
                                          "ценами и фотографиями."));
    QPushButton *empty = box.addButton(QStringLiteral("Пустой каталог"), QMessageBox::AcceptRole);
    QPushButton *demo =
        box.addButton(QStringLiteral("Демонстрационный каталог"), QMessageBox::AcceptRole);
    QPushButton *bring = box.addButton(QStringLiteral("Перенести каталог из другой программы…"),
                                       QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    box.setDefaultButton(empty);
    box.exec();
    if (box.clickedButton() == empty)
        return Choice::Empty;
    if (box.clickedButton() == demo)
        return Choice::Demo;
    if (box.clickedButton() == bring)
        return Choice::Bring;
    return Choice::Cancel;
}

QString FirstStart::pickWithDialog(QWidget *owner)
{
    return QFileDialog::getOpenFileName(
        owner, QStringLiteral("Каталог из другой программы"),
        QStandardPaths::writableLocation(QStandardPaths::HomeLocation),
        QStringLiteral("Каталог запчастей (*.mdb);;Все файлы (*)"));
}

QString FirstStart::bring(const QString &source, const QString &target)
{
    const JetSignature::Kind kind = JetSignature::ofFile(source);
    if (kind != JetSignature::Kind::Other) {
        // Access files, the 2007 kind included, which the reader refuses
        // with its own explanation.
        const ConversionSummary summary = ConversionProgress::run(
            nullptr, QStringLiteral("Перенос каталога «%1»…").arg(QDir::toNativeSeparators(source)),
            [&](const JetConversion::Progress &progress) {
                return JetCatalogue::convertFile(source, target, progress);
            });
        return QStringLiteral("Каталог перенесён из файла «%1».\n\n%2")
            .arg(QDir::toNativeSeparators(source), summary.text(JetStartup::ShownItems));
    }
    // One of the program's own: copied as the engine copies a live file,
    // and kept only when it is a catalogue.
    try {
        BackupCopy::make(source, target);
        const int goods = BackupCheck::goodsIn(target, false);
        return QStringLiteral("Каталог скопирован из файла «%1»; товаров в нём: %2.")
            .arg(QDir::toNativeSeparators(source))
            .arg(goods);
    } catch (const Error &) {
        QFile::remove(target);
        throw Error(QStringLiteral("Файл «%1» не является каталогом запчастей: ни базой данных "
                                   "Access, ни каталогом этой программы.")
                        .arg(QDir::toNativeSeparators(source)));
    }
}
