#pragma once

#include "backup/BackupFolder.h"
#include "ui/common/ModalWindow.h"

#include <exception>
#include <functional>
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
    // Asked when the user picks a copy: false keeps the list open for another
    // choice; a failure closes it and is thrown again by exec().
    void setConfirmation(std::function<bool(const BackupFolder::Entry &)> confirm);
    int exec() override;
    void accept() override;

    QTableWidget *list;
    QPushButton *btnRestore, *btnCancel;

    static QString dateText(const BackupFolder::Entry &entry);
    static QString sizeText(qint64 bytes);

private:
    const BackupFolder::Entry *current() const;

    std::vector<BackupFolder::Entry> entries_;
    std::function<bool(const BackupFolder::Entry &)> confirm_;
    std::exception_ptr failure_;
};
