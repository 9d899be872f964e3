#pragma once

#include <QDir>
#include <QString>

// Makes `path` the current folder for the object's life: the program opens
// its catalogue by a bare name.
class CurrentFolder
{
public:
    explicit CurrentFolder(const QString &path) : previous_(QDir::currentPath())
    {
        QDir::setCurrent(path);
    }
    ~CurrentFolder() { QDir::setCurrent(previous_); }
    CurrentFolder(const CurrentFolder &) = delete;
    CurrentFolder &operator=(const CurrentFolder &) = delete;

private:
    QString previous_;
};
