#include "JournalWindow.h"

#include "JournalModel.h"

#include "CatalogueSchema.h"
#include "UnitDM.h"
#include "gui/BusyPointer.h"
#include "gui/Guarded.h"
#include "gui/MessageBoxes.h"
#include "journal/JournalSql.h"
#include "journal/JournalUndo.h"
#include "recordset/Error.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

constexpr int Margin = 12;
constexpr int ListTop = 72;
constexpr int ButtonHeight = 26;
// A result box lists this many rows at most; a whole price list may leave thousands.
constexpr int ListedLines = 15;

QString listed(const QStringList &lines)
{
    QStringList shown = lines.mid(0, ListedLines);
    if (lines.size() > ListedLines)
        shown << QStringLiteral("… и ещё %1").arg(lines.size() - ListedLines);
    return shown.join(QLatin1Char('\n'));
}

void showProblem(QWidget *owner)
{
    const QString problem = DMAuto->journalProblem();
    MessageBoxes::information(
        owner,
        problem.isEmpty() ? QStringLiteral("Журнал изменений этого каталога не ведётся") : problem,
        QStringLiteral("Журнал изменений"));
}

} // namespace

JournalWindow::JournalWindow(QWidget *parent, Store &store, const JournalQuery::Filter &filter,
                             const QString &rowWords)
    : ModalWindow(parent, QStringLiteral("Журнал изменений"), QSize(960, 600), true), store_(store),
      rowFilter_(filter)
{
    createFilters(rowWords);
    createList();
    createButtons();
    client()->installEventFilter(this);
    // The client gets its size from the window's layout: the list and its
    // columns are placed at once, before the window is shown.
    layout()->activate();
    place();
    model->setFilter(this->filter());
    if (model->rowCount() > 0)
        list->selectRow(0);
    updateButtons();
    list->setFocus();
}

void JournalWindow::createFilters(const QString &rowWords)
{
    const auto label = [this](const QString &text, QRect at, QWidget *buddy) {
        auto *l = new QLabel(text, client());
        l->setGeometry(at);
        l->setBuddy(buddy);
        return l;
    };
    const auto date = [this](QRect at) {
        auto *edit = new QDateEdit(QDate::currentDate(), client());
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        edit->setCalendarPopup(true);
        edit->setGeometry(at);
        edit->setEnabled(false);
        return edit;
    };
    // No period until a box is ticked: the whole journal.
    checkFrom = new QCheckBox(QStringLiteral("Период с"), client());
    checkFrom->setGeometry(Margin, 12, 76, 18);
    dateFrom = date(QRect(90, 10, 100, 22));
    checkTo = new QCheckBox(QStringLiteral("по"), client());
    checkTo->setGeometry(202, 12, 38, 18);
    dateTo = date(QRect(242, 10, 100, 22));
    connect(checkFrom, &QCheckBox::toggled, dateFrom, &QWidget::setEnabled);
    connect(checkTo, &QCheckBox::toggled, dateTo, &QWidget::setEnabled);

    cbKind = new QComboBox(client());
    cbKind->setGeometry(396, 10, 120, 22);
    cbKind->addItem(QStringLiteral("Все"), 0);
    for (int kind : {JournalSql::Added, JournalSql::Changed, JournalSql::Deleted})
        cbKind->addItem(JournalText::kind(kind), kind);
    label(QStringLiteral("Вид:"), QRect(362, 14, 32, 16), cbKind);

    editComputer = new QLineEdit(client());
    editComputer->setGeometry(612, 10, 180, 22);
    label(QStringLiteral("Компьютер:"), QRect(534, 14, 76, 16), editComputer);

    editText = new QLineEdit(client());
    editText->setGeometry(190, 40, 280, 22);
    label(QStringLiteral("Запчасть (код или название):"), QRect(Margin, 44, 176, 16), editText);

    // A row's history can be widened to the whole journal by one click.
    checkRow = new QCheckBox(QStringLiteral("Только %1").arg(rowWords), client());
    checkRow->setGeometry(486, 42, 320, 18);
    checkRow->setChecked(!rowFilter_.table.isEmpty());
    checkRow->setVisible(!rowFilter_.table.isEmpty());

    btnFind = new QPushButton(QStringLiteral("Найти"), client());
    btnFind->setDefault(true);
    connect(btnFind, &QPushButton::clicked, this, guarded([this] { btnFindClick(); }));
}

void JournalWindow::createList()
{
    model = new JournalModel(store_, this);
    list = new QTableView(client());
    list->setModel(model);
    list->verticalHeader()->hide();
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setTabKeyNavigation(false);
    list->setWordWrap(false);
    list->setAlternatingRowColors(true);
    const int widths[] = {128, 100, 100, 120, 320};
    for (int column = 0; column < int(std::size(widths)); ++column)
        list->setColumnWidth(column, widths[column]);
    list->horizontalHeader()->setStretchLastSection(true);
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { updateButtons(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { updateCount(); });
    connect(model, &QAbstractItemModel::rowsInserted, this, [this] { updateCount(); });
    // Shown once the view has finished asking for the page.
    connect(
        model, &JournalModel::failed, this,
        [this](const QString &message) {
            MessageBoxes::information(this, message, QStringLiteral("Журнал изменений"));
        },
        Qt::QueuedConnection);
    labelCount = new QLabel(client());
}

void JournalWindow::createButtons()
{
    btnUndo = new QPushButton(QStringLiteral("Отменить"), client());
    btnUndoOperation = new QPushButton(QStringLiteral("Отменить всю операцию"), client());
    btnClose = new QPushButton(QStringLiteral("Закрыть"), client());
    for (QPushButton *button : {btnUndo, btnUndoOperation, btnClose})
        button->setAutoDefault(false);
    connect(btnUndo, &QPushButton::clicked, this, guarded([this] { btnUndoClick(); }));
    connect(btnUndoOperation, &QPushButton::clicked, this,
            guarded([this] { btnUndoOperationClick(); }));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(editText, btnFind);
    setTabOrder(btnFind, list);
    setTabOrder(list, btnUndo);
    setTabOrder(btnUndo, btnUndoOperation);
    setTabOrder(btnUndoOperation, btnClose);
}

void JournalWindow::place()
{
    // The list takes what the window gains; the buttons keep to its corners.
    const int width = client()->width();
    const int height = client()->height();
    btnFind->setGeometry(width - Margin - 90, 38, 90, ButtonHeight);
    const int bottom = height - Margin - ButtonHeight;
    list->setGeometry(Margin, ListTop, width - 2 * Margin, bottom - 8 - ListTop);
    labelCount->setGeometry(Margin, bottom + 5, 300, 16);
    btnClose->setGeometry(width - Margin - 90, bottom, 90, ButtonHeight);
    btnUndoOperation->setGeometry(width - Margin - 90 - 8 - 170, bottom, 170, ButtonHeight);
    btnUndo->setGeometry(width - Margin - 90 - 8 - 170 - 8 - 100, bottom, 100, ButtonHeight);
}

bool JournalWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == client() && event->type() == QEvent::Resize)
        place();
    return ModalWindow::eventFilter(watched, event);
}

JournalQuery::Filter JournalWindow::filter() const
{
    JournalQuery::Filter filter;
    if (checkFrom->isChecked())
        filter.from = dateFrom->date();
    if (checkTo->isChecked())
        filter.to = dateTo->date();
    filter.text = editText->text().trimmed();
    filter.kind = cbKind->currentData().toInt();
    filter.computer = editComputer->text().trimmed();
    if (checkRow->isChecked()) {
        filter.table = rowFilter_.table;
        filter.key = rowFilter_.key;
    }
    return filter;
}

void JournalWindow::btnFindClick()
{
    const JournalQuery::Filter wanted = filter();
    if (wanted.from.isValid() && wanted.to.isValid() && wanted.from > wanted.to)
        throw Error(QStringLiteral("Начало периода позже его конца"));
    const BusyPointer busy;
    model->setFilter(wanted);
    if (model->rowCount() > 0)
        list->selectRow(0);
    updateButtons();
}

void JournalWindow::updateCount()
{
    labelCount->setText(
        model->canFetchMore({})
            ? QStringLiteral("Показано записей: %1, ниже есть ещё").arg(model->rowCount())
            : QStringLiteral("Записей: %1").arg(model->rowCount()));
}

JournalRecord JournalWindow::selected() const
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? JournalRecord() : model->record(rows.front().row());
}

bool JournalWindow::operationHasMore(qint64 operation)
{
    if (operation == 0) // another program's change has no operation of ours
        return false;
    const auto known = largeOperations_.find(operation);
    if (known != largeOperations_.end())
        return known->second;
    JournalQuery::Filter records;
    records.operation = operation;
    const bool more = JournalQuery(store_).page(records, 0, 2).size() > 1;
    largeOperations_[operation] = more;
    return more;
}

void JournalWindow::updateButtons()
{
    const JournalRecord record = selected();
    const bool writable = DMAuto && DMAuto->tblAuto.CanModify();
    btnUndo->setEnabled(writable && record.id != 0);
    bool more = false;
    if (writable && record.id != 0) {
        try {
            more = operationHasMore(record.operation);
        } catch (const Error &) {
            // Reading failed: the single undo stays, and says why if it fails too.
        }
    }
    btnUndoOperation->setEnabled(more);
}

void JournalWindow::refuseReadOnly()
{
    if (!DMAuto->isOpen() || !DMAuto->tblAuto.CanModify())
        throw Error(QStringLiteral("Каталог открыт только для чтения: изменения отменить нельзя"));
    // A pasted photo waiting in the goods cursor is stored first, so that
    // the undo sees the row as it is.
    if (DMAuto->tblAuto.State() != CursorState::Browse)
        DMAuto->tblAuto.Post();
}

void JournalWindow::btnUndoClick()
{
    const JournalRecord record = selected();
    if (record.id == 0)
        return;
    refuseReadOnly();
    JournalUndo undo(store_, model->text());
    const QStringList since = undo.changedSince(record);
    if (!since.isEmpty() &&
        !MessageBoxes::confirm(QStringLiteral("С тех пор в каталоге изменилось:\n%1\n\n"
                                              "Отменить всё равно?")
                                   .arg(listed(since)),
                               QStringLiteral("Отмена изменения")))
        return;
    JournalUndo::Result result;
    {
        const BusyPointer busy;
        result = undo.undo({record}, !since.isEmpty());
    }
    afterUndo(record.id);
    if (result.undone == 0)
        MessageBoxes::information(
            this, QStringLiteral("Изменение не отменено:\n%1").arg(listed(result.left)),
            QStringLiteral("Сообщение"));
    else if (!result.notes.isEmpty())
        MessageBoxes::information(
            this, QStringLiteral("Изменение отменено.\n\n%1").arg(listed(result.notes)),
            QStringLiteral("Сообщение"));
}

void JournalWindow::btnUndoOperationClick()
{
    const JournalRecord record = selected();
    if (record.id == 0 || record.operation == 0)
        return;
    refuseReadOnly();
    std::vector<JournalRecord> records;
    {
        const BusyPointer busy;
        records = JournalQuery(store_).operation(record.operation);
    }
    if (!MessageBoxes::confirm(
            QStringLiteral("Отменить всю операцию от %1 (%2)?\n"
                           "Записей в ней: %3.\n\n"
                           "Строки, изменённые после неё, останутся как есть.")
                .arg(JournalModel::timeText(record.at), JournalText::road(record.road))
                .arg(records.size()),
            QStringLiteral("Отмена операции")))
        return;
    JournalUndo::Result result;
    {
        const BusyPointer busy;
        result = JournalUndo(store_, model->text()).undo(records, false);
    }
    afterUndo(record.id);
    QString text = QStringLiteral("Отменено записей: %1.").arg(result.undone);
    if (!result.left.isEmpty())
        text += QStringLiteral("\n\nНе отменено (%1):\n%2")
                    .arg(result.left.size())
                    .arg(listed(result.left));
    if (!result.notes.isEmpty())
        text += QStringLiteral("\n\nОбратите внимание:\n%1").arg(listed(result.notes));
    MessageBoxes::information(this, text, QStringLiteral("Сообщение"));
}

void JournalWindow::afterUndo(qint64 keepSelected)
{
    // Every cursor reads the catalogue anew, the search and order kept, so
    // the main window shows the result at once.
    DMAuto->reload([](const std::exception &error) { MessageBoxes::error(error); });
    largeOperations_.clear();
    model->refresh();
    select(keepSelected);
}

void JournalWindow::select(qint64 id)
{
    const int row = model->rowOf(id);
    if (row >= 0)
        list->selectRow(row);
    else if (model->rowCount() > 0)
        list->selectRow(0);
    updateButtons();
}

void JournalWindow::showJournal(QWidget *owner)
{
    if (!DMAuto->hasJournal()) {
        showProblem(owner);
        return;
    }
    JournalWindow window(owner, DMAuto->ADOConnection);
    window.exec();
}

void JournalWindow::showHistory(QWidget *owner)
{
    if (!DMAuto->hasJournal()) {
        showProblem(owner);
        return;
    }
    Cursor &goods = DMAuto->tblAuto;
    if (!goods.isOpen() || goods.RecordCount() == 0 || goods.State() == CursorState::Insert) {
        MessageBoxes::information(owner,
                                  QStringLiteral("Не выбрана запчасть: история показывается для "
                                                 "текущей строки списка"),
                                  QStringLiteral("Сообщение"));
        return;
    }
    JournalRecord row;
    row.table = CatalogueSchema::goods().table();
    row.key = DMAuto->tblAutoauto_id.AsInteger();
    row.title = DMAuto->tblAutotovName.AsString();
    JournalQuery::Filter filter;
    filter.table = row.table;
    filter.key = row.key;
    JournalWindow window(owner, DMAuto->ADOConnection, filter, JournalText::row(row));
    window.exec();
}
