#include "ReferenceList.h"

#include "recordset/Cursor.h"
#include "gui/Guarded.h"
#include "gui/MessageBoxes.h"
#include "ui/main/Unit_class.h"
#include "ui/widgets/DBGrid.h"

#include <QPushButton>

ReferenceList::ReferenceList(QWidget *parent, const QString &caption, QSize client, Cursor &cursor,
                             Field &name, QString confirmation)
    : ModalWindow(parent, caption, client), cursor_(cursor), name_(name),
      confirmation_(std::move(confirmation))
{}

DBGrid *ReferenceList::createGrid(DataSource *source, const QString &keyField,
                                  const QString &nameField, const QString &title, int width)
{
    auto *grid = new DBGrid(client());
    grid->setColumns({{keyField, QString(), 0, {}, false}, {nameField, title, width, {}, true}});
    grid->setDataSource(source);
    grid->OnDrawColumnCell = DrawGridCell;
    return grid;
}

QPushButton *ReferenceList::createButton(const QString &caption, QRect at,
                                         std::function<void()> command)
{
    auto *button = new QPushButton(caption, client());
    button->setGeometry(at);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, guarded(std::move(command)));
    return button;
}

void ReferenceList::addCommand()
{
    if (!cursor_.CanModify()) {
        MessageBoxes::information(this, QStringLiteral("Нельзя модифицировать данные"),
                                  QStringLiteral("Ошибка"));
        return;
    }
    cursor_.Append();
    editDialog()->exec();
}

void ReferenceList::editCommand()
{
    if (cursor_.RecordCount() == 0) {
        MessageBoxes::information(this, QStringLiteral("Отсутствуют данные для модификации"),
                                  QStringLiteral("Сообщение"));
        return;
    }
    if (!cursor_.CanModify()) {
        MessageBoxes::information(this, QStringLiteral("Нельзя модифицировать данные"),
                                  QStringLiteral("Ошибка"));
        return;
    }
    cursor_.Edit();
    editDialog()->exec();
}

void ReferenceList::deleteCommand()
{
    if (cursor_.RecordCount() == 0) {
        MessageBoxes::information(this, QStringLiteral("Отсутствуют данные для модификации"),
                                  QStringLiteral("Сообщение"));
        return;
    }
    if (MessageBoxes::confirm(confirmation_ + name_.AsString(), QStringLiteral("Удаление")))
        cursor_.Delete();
}
