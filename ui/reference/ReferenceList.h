#pragma once

#include "ui/common/ModalWindow.h"

#include <functional>

class Cursor;
class DBGrid;
class DataSource;
class Field;
class QPushButton;

// What the three reference list windows share: the striped grid over the
// shared reference cursor, and the Add, Edit and Delete commands. Each
// window names its own controls and texts.
class ReferenceList : public ModalWindow
{
    Q_OBJECT
public:
    ReferenceList(QWidget *parent, const QString &caption, QSize client, Cursor &cursor,
                  Field &name, QString confirmation);

protected:
    DBGrid *createGrid(DataSource *source, const QString &keyField, const QString &nameField,
                       const QString &title, int width);
    // A push button at its place that runs `command`; none of them is a default button.
    QPushButton *createButton(const QString &caption, QRect at, std::function<void()> command);
    // The table's edit dialog, created after the list at start-up.
    virtual QDialog *editDialog() const = 0;

    void addCommand();
    void editCommand();
    void deleteCommand();

private:
    Cursor &cursor_;
    Field &name_;
    QString confirmation_;
};
