#include "FindCodeDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

FindCodeDialog::FindCodeDialog(QWidget *parent)
    : ModalWindow(parent, QStringLiteral("Найти по коду"), QSize(360, 96))
{
    auto *label = new QLabel(QStringLiteral("Код запчасти (артикул или штрихкод):"), client());
    label->setGeometry(12, 10, 336, 16);
    editCode = new QLineEdit(client());
    editCode->setGeometry(12, 30, 336, 22);
    label->setBuddy(editCode);

    btnFind = new QPushButton(QStringLiteral("Найти"), client());
    btnFind->setGeometry(172, 62, 84, 26);
    btnFind->setDefault(true);
    btnFind->setEnabled(false);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), client());
    btnCancel->setGeometry(264, 62, 84, 26);
    btnCancel->setAutoDefault(false);
    connect(editCode, &QLineEdit::textChanged, this,
            [this](const QString &text) { btnFind->setEnabled(!text.trimmed().isEmpty()); });
    connect(btnFind, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(editCode, btnFind);
    setTabOrder(btnFind, btnCancel);
    editCode->setFocus();
}

QString FindCodeDialog::ask(QWidget *parent)
{
    FindCodeDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.editCode->text().trimmed();
}
