#pragma once

#include "backup/BackupFolder.h"
#include "ui/common/ModalWindow.h"

#include <vector>

class QPushButton;
class QTableWidget;

// The list of the catalogue's copies, newest first, with the date and time,
// the size and the number of goods each holds; the user picks the one to
// restore.
class RestoreDialog : public ModalWindow
{
    Q_OBJECT
public:
    RestoreDialog(QWidget *parent, std::vector<BackupFolder::Entry> entries);

    // The chosen copy, once the dialog was accepted.
    const BackupFolder::Entry *chosen() const;

    QTableWidget *list;
    QPushButton *btnRestore, *btnCancel;

    static QString dateText(const BackupFolder::Entry &entry);
    static QString sizeText(qint64 bytes);

private:
    std::vector<BackupFolder::Entry> entries_;
};
