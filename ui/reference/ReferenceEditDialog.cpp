#include "ReferenceEditDialog.h"

#include "recordset/Cursor.h"
#include "recordset/Error.h"
#include "gui/Guarded.h"
#include "gui/MessageBoxes.h"
#include "ui/widgets/DBEdit.h"

#include <QLabel>
#include <QPushButton>

ReferenceEditDialog::ReferenceEditDialog(QWidget *parent, Cursor &cursor, DataSource *source,
                                         const QString &nameField, const Texts &texts)
    : ModalWindow(parent, texts.caption, texts.client, texts.sizeable), cursor_(cursor),
      nameField_(nameField), texts_(texts)
{
    Label1 = new QLabel(texts.label, client());
    Label1->setGeometry(texts.labelAt);
    edit = new DBEdit(client());
    edit->setGeometry(texts.editAt);
    edit->setDataSource(source);
    edit->setDataField(nameField);
    Label1->setBuddy(edit);
    BitBtn1 = new QPushButton(texts.ok, client());
    BitBtn1->setGeometry(texts.okAt);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Отмена"), client());
    BitBtn2->setGeometry(texts.cancelAt);
    BitBtn2->setAutoDefault(false);
    setTabOrder(edit, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    connect(BitBtn1, &QPushButton::clicked, this, guarded([this] { BitBtn1Click(); }));
    connect(BitBtn2, &QPushButton::clicked, this, guarded([this] { BitBtn2Click(); }));
}

void ReferenceEditDialog::BitBtn1Click()
{
    if (edit->text().isEmpty()) {
        MessageBoxes::information(this, texts_.emptyName, QStringLiteral("Сообщение"));
        return;
    }
    // The typed name is written first: Enter right after typing must save
    // it, not drop it as an unmodified row.
    edit->updateRecord();
    if (cursor_.Modified()) {
        try {
            cursor_.Post();
        } catch (const ConflictError &conflict) {
            // Another program renamed the row meanwhile. Unlike a refused
            // name, the typed one is kept: the user chooses whose name stays.
            MessageBoxes::information(this,
                                      ConflictError::describe(conflict.conflicts(), texts_.ok),
                                      QStringLiteral("Ошибка записи"));
            edit->setFocus();
            return;
        } catch (const std::exception &) {
            // Whatever the store's reason, the user is told the names must
            // differ, the field is emptied and the dialog stays open.
            MessageBoxes::information(this, texts_.failedSave, QStringLiteral("Ошибка записи"));
            cursor_.FieldByName(nameField_).setAsString(QString());
            edit->setFocus();
            return;
        }
    } else {
        cursor_.Cancel();
    }
    close();
}

void ReferenceEditDialog::BitBtn2Click()
{
    close();
}

void ReferenceEditDialog::done(int result)
{
    runGuarded([this] { FormClose(); });
    ModalWindow::done(result);
}

void ReferenceEditDialog::FormClose()
{
    // Every close leaves the reference cursor browsing.
    cursor_.Cancel();
}
