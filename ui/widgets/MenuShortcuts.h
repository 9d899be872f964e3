#pragma once

#include <QList>
#include <QObject>

class QAction;
class QWidget;

// Gives a window's menu shortcuts precedence over its focused control: Del in
// a search field deletes the goods row, it does not delete a character.
class MenuShortcuts : public QObject
{
    Q_OBJECT
public:
    MenuShortcuts(QWidget *window, QList<QAction *> actions);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *actionFor(QObject *watched, QEvent *event) const;

    QWidget *window_;
    QList<QAction *> actions_;
};
