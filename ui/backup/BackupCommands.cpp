#include "BackupCommands.h"

#include "BackupService.h"
#include "RestoreDialog.h"

#include "UnitDM.h"
#include "backup/BackupCheck.h"
#include "backup/BackupFolder.h"
#include "gui/MessageBoxes.h"
#include "recordset/Error.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The copies are of the file; a catalogue on a server is copied there, by
// the server's own tools, where they do not hold other workstations up.
void refuseOnServer()
{
    if (TDMAuto::onServer())
        throw Error(QStringLiteral("Каталог хранится на сервере базы данных «%1»: его резервные "
                                   "копии делает сервер (например, программой pg_dump), а эта "
                                   "команда копирует только каталог-файл.")
                        .arg(DMAuto->ADOConnection.name()));
}

} // namespace

void BackupCommands::makeCopy(QWidget *owner, BackupService &service)
{
    refuseOnServer();
    const QString path = service.copyNow();
    MessageBoxes::information(
        owner,
        QStringLiteral("Резервная копия каталога сделана:\n%1").arg(QDir::toNativeSeparators(path)),
        QStringLiteral("Сообщение"));
}

bool BackupCommands::restore(QWidget *owner, BackupService &service)
{
    refuseOnServer();
    const BackupFolder folder(BackupService::catalogueFile());
    std::vector<BackupFolder::Entry> entries = folder.entries();
    if (entries.empty()) {
        MessageBoxes::information(owner,
                                  QStringLiteral("Резервных копий каталога пока нет: они "
                                                 "хранятся в папке «%1».")
                                      .arg(QDir::toNativeSeparators(folder.path())),
                                  QStringLiteral("Сообщение"));
        return false;
    }
    RestoreDialog dialog(owner, std::move(entries));
    // A damaged copy is refused before anything is asked or changed; «Нет»
    // goes back to the list.
    dialog.setConfirmation([](const BackupFolder::Entry &entry) {
        BackupCheck::goodsIn(entry.path, true);
        return MessageBoxes::confirm(
            QStringLiteral("Восстановить каталог из резервной копии от %1?\n\n"
                           "Текущий каталог сначала будет сохранён в "
                           "отдельную копию, так что восстановление можно "
                           "будет отменить.")
                .arg(RestoreDialog::dateText(entry)),
            QStringLiteral("Восстановление"));
    });
    if (dialog.exec() != QDialog::Accepted || !dialog.chosen())
        return false;
    const BackupFolder::Entry chosen = *dialog.chosen();
    const QString date = RestoreDialog::dateText(chosen);
    const QString kept = service.restore(chosen.path);
    QString text = QStringLiteral("Каталог восстановлен из копии от %1.").arg(date);
    if (!kept.isEmpty())
        text += QStringLiteral("\nПрежний каталог сохранён в копии «%1»: его можно вернуть той "
                               "же командой.")
                    .arg(QFileInfo(kept).fileName());
    MessageBoxes::information(owner, text, QStringLiteral("Сообщение"));
    return true;
}
