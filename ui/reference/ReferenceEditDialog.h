#pragma once

#include "ui/common/ModalWindow.h"

class Cursor;
class DBEdit;
class DataSource;
class QLabel;
class QPushButton;

// The small dialog in which one reference name is typed: the list window
// appends or edits a row of the shared cursor, the dialog posts or cancels
// it before it closes. The three tables differ only in texts and places.
class ReferenceEditDialog : public ModalWindow
{
    Q_OBJECT
public:
    struct Texts
    {
        QString caption;
        QSize client;
        bool sizeable = false;
        QString label;
        QRect labelAt;
        QRect editAt;
        QString ok;
        QRect okAt;
        QRect cancelAt;
        QString emptyName;  // the message for an empty field
        QString failedSave; // the message when the post fails
    };

    ReferenceEditDialog(QWidget *parent, Cursor &cursor, DataSource *source,
                        const QString &nameField, const Texts &texts);

    QLabel *Label1;
    DBEdit *edit;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;

    void BitBtn1Click();
    void BitBtn2Click();
    void FormClose();

    void done(int result) override;

private:
    Cursor &cursor_;
    QString nameField_;
    Texts texts_;
};
