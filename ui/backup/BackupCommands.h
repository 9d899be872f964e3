#pragma once

class BackupService;
class QWidget;

// The two commands of the menu "Сервис" that deal with copies.
class BackupCommands
{
public:
    // "Сделать резервную копию": a copy now, then where it went.
    static void makeCopy(QWidget *owner, BackupService &service);
    // "Восстановить из копии…": true when the catalogue was replaced, so
    // that the windows show it anew.
    static bool restore(QWidget *owner, BackupService &service);
};
