#include "RestoreDialog.h"

#include "backup/BackupCheck.h"
#include "recordset/Error.h"

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>

namespace {

QString kindText(BackupFolder::Kind kind)
{
    switch (kind) {
    case BackupFolder::Kind::Daily:
        return QStringLiteral("ежедневная");
    case BackupFolder::Kind::Manual:
        return QStringLiteral("сделана вручную");
    case BackupFolder::Kind::BeforeRestore:
        return QStringLiteral("перед восстановлением");
    }
    return {};
}

QTableWidgetItem *cell(const QString &text, Qt::Alignment alignment = Qt::AlignLeft)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

RestoreDialog::RestoreDialog(QWidget *parent, std::vector<BackupFolder::Entry> entries)
    : ModalWindow(parent, QStringLiteral("Восстановление из резервной копии"), QSize(600, 360)),
      entries_(std::move(entries))
{
    auto *label =
        new QLabel(QStringLiteral("Выберите копию, из которой восстановить каталог:"), client());
    label->setGeometry(12, 10, 576, 16);
    list = new QTableWidget(int(entries_.size()), 4, client());
    list->setGeometry(12, 30, 576, 280);
    list->setHorizontalHeaderLabels({QStringLiteral("Дата и время"), QStringLiteral("Размер"),
                                     QStringLiteral("Товаров"), QStringLiteral("Копия")});
    list->verticalHeader()->hide();
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setTabKeyNavigation(false);
    label->setBuddy(list);
    for (int row = 0; row < int(entries_.size()); ++row) {
        const BackupFolder::Entry &entry = entries_[size_t(row)];
        // The number of goods is read from the copy itself: a copy that
        // cannot be read says so here already.
        QString goods;
        try {
            goods = QString::number(BackupCheck::goodsIn(entry.path, false));
        } catch (const Error &) {
            goods = QStringLiteral("повреждена");
        }
        list->setItem(row, 0, cell(dateText(entry)));
        list->setItem(row, 1, cell(sizeText(entry.size), Qt::AlignRight));
        list->setItem(row, 2, cell(goods, Qt::AlignRight));
        list->setItem(row, 3, cell(kindText(entry.kind)));
    }
    list->setColumnWidth(0, 150);
    list->setColumnWidth(1, 100);
    list->setColumnWidth(2, 90);
    list->horizontalHeader()->setStretchLastSection(true);
    if (!entries_.empty())
        list->selectRow(0);

    btnRestore = new QPushButton(QStringLiteral("Восстановить"), client());
    btnRestore->setGeometry(396, 322, 100, 26);
    btnRestore->setDefault(true);
    btnRestore->setEnabled(!entries_.empty());
    btnCancel = new QPushButton(QStringLiteral("Отмена"), client());
    btnCancel->setGeometry(504, 322, 84, 26);
    btnCancel->setAutoDefault(false);
    connect(btnRestore, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(list, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);
    setTabOrder(list, btnRestore);
    setTabOrder(btnRestore, btnCancel);
    list->setFocus();
}

const BackupFolder::Entry *RestoreDialog::current() const
{
    const int row = list->currentRow();
    if (row < 0 || row >= int(entries_.size()))
        return nullptr;
    return &entries_[size_t(row)];
}

const BackupFolder::Entry *RestoreDialog::chosen() const
{
    return result() == QDialog::Accepted ? current() : nullptr;
}

void RestoreDialog::setConfirmation(std::function<bool(const BackupFolder::Entry &)> confirm)
{
    confirm_ = std::move(confirm);
}

void RestoreDialog::accept()
{
    const BackupFolder::Entry *entry = current();
    if (!entry)
        return;
    if (confirm_) {
        // The question comes over the list, and «Нет» leaves it open. A
        // failure may not pass through Qt's handlers: it closes the list and
        // exec() throws it.
        try {
            if (!confirm_(*entry))
                return;
        } catch (...) {
            failure_ = std::current_exception();
            QDialog::reject();
            return;
        }
    }
    QDialog::accept();
}

int RestoreDialog::exec()
{
    failure_ = nullptr;
    const int result = ModalWindow::exec();
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
    return result;
}

QString RestoreDialog::dateText(const BackupFolder::Entry &entry)
{
    if (entry.taken.time() == QTime(0, 0) && entry.kind == BackupFolder::Kind::Daily)
        return entry.day.toString(QStringLiteral("dd.MM.yyyy"));
    return entry.taken.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString RestoreDialog::sizeText(qint64 bytes)
{
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    if (bytes < 1024)
        return QStringLiteral("%1 байт").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 КБ").arg(russian.toString(double(bytes) / 1024, 'f', 0));
    return QStringLiteral("%1 МБ").arg(russian.toString(double(bytes) / (1024 * 1024), 'f', 1));
}
