#include "JournalModel.h"

#include "CatalogueSchema.h"
#include "gui/MessageBoxes.h"
#include "journal/Journal.h"
#include "recordset/Error.h"
#include "recordset/Store.h"
#include "recordset/TableSql.h"

JournalModel::JournalModel(Store &store, QObject *parent)
    : QAbstractTableModel(parent), store_(store), query_(store),
      text_([this](const QString &table, qint64 key) { return referenceName(table, key); })
{}

void JournalModel::setFilter(const JournalQuery::Filter &filter)
{
    names_.clear();
    // Read before the reset: a refusal leaves the list as it was.
    std::vector<JournalRecord> first = query_.page(filter, 0, PageSize);
    std::vector<Line> lines;
    lines.reserve(first.size());
    for (JournalRecord &record : first)
        lines.push_back(lineOf(std::move(record)));
    beginResetModel();
    filter_ = filter;
    lines_ = std::move(lines);
    atEnd_ = int(lines_.size()) < PageSize;
    endResetModel();
}

int JournalModel::rowOf(qint64 id) const
{
    for (size_t row = 0; row < lines_.size(); ++row)
        if (lines_[row].record.id == id)
            return int(row);
    return -1;
}

int JournalModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(lines_.size());
}

int JournalModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant JournalModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Line &line = lines_[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: // a long change is read whole in its tip
        return line.texts[size_t(index.column())];
    case RecordIdRole:
        return line.record.id;
    case OperationRole:
        return line.record.operation;
    default:
        return {};
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case At:
        return QStringLiteral("Когда");
    case Computer:
        return QStringLiteral("Компьютер");
    case User:
        return QStringLiteral("Пользователь");
    case Road:
        return QStringLiteral("Как");
    case Row:
        return QStringLiteral("Что");
    case Change:
        return QStringLiteral("Изменение");
    default:
        return {};
    }
}

bool JournalModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !atEnd_;
}

void JournalModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || atEnd_ || lines_.empty())
        return;
    std::vector<JournalRecord> page;
    try {
        page = query_.page(filter_, lines_.back().record.id, PageSize);
    } catch (const std::exception &failure) {
        // The view asks from inside its painting: nothing may be thrown
        // there, and a box opened there would be opened again and again.
        atEnd_ = true;
        emit failed(MessageBoxes::messageOf(failure));
        return;
    }
    atEnd_ = int(page.size()) < PageSize;
    if (page.empty())
        return;
    const int first = int(lines_.size());
    beginInsertRows({}, first, first + int(page.size()) - 1);
    for (JournalRecord &record : page)
        lines_.push_back(lineOf(std::move(record)));
    endInsertRows();
}

QString JournalModel::timeText(const QDateTime &utc)
{
    return utc.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString JournalModel::userText(const JournalRecord &record)
{
    if (record.role.isEmpty() || record.role == record.login)
        return record.login;
    return QStringLiteral("%1 (%2)").arg(record.login, record.role);
}

JournalModel::Line JournalModel::lineOf(JournalRecord record) const
{
    Line line;
    line.texts[At] = timeText(record.at);
    line.texts[Computer] = record.computer;
    line.texts[User] = userText(record);
    line.texts[Road] = JournalText::road(record.road);
    line.texts[Row] =
        QStringLiteral("%1 %2").arg(JournalText::kind(record.kind), JournalText::row(record));
    line.texts[Change] = text_.details(record);
    line.record = std::move(record);
    return line;
}

QString JournalModel::referenceName(const QString &table, qint64 key) const
{
    const auto known = names_.find({table, key});
    if (known != names_.end())
        return known->second;
    QString name;
    if (const auto schema = Journal::schemaOf(table)) {
        try {
            const auto rows = store_.run(TableSql(*schema, store_.dialect()).selectRow({}), {key});
            if (!rows.empty())
                name = rows.front().value(CatalogueSchema::ReferenceName).toString();
        } catch (const Error &) {
            // The change is still shown, with the reference by its number.
        }
    }
    names_[{table, key}] = name;
    return name;
}
