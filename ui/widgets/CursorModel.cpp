#include "CursorModel.h"

#include "recordset/Cursor.h"

CursorModel::CursorModel(QObject *parent) : QAbstractTableModel(parent) {}

void CursorModel::setSource(DataSource *source)
{
    setDataSource(source);
    reset();
    emit currentRowChanged(DataSet() ? DataSet()->currentRow() : -1);
}

void CursorModel::setColumns(std::vector<GridColumn> columns)
{
    beginResetModel();
    columns_ = std::move(columns);
    resolveFields();
    rows_ = DataSet() ? DataSet()->displayRowCount() : 0;
    endResetModel();
}

void CursorModel::resolveFields()
{
    fields_.assign(columns_.size(), nullptr);
    if (!DataSet())
        return;
    for (size_t i = 0; i < columns_.size(); ++i)
        fields_[i] = DataSet()->findField(columns_[i].fieldName);
}

Field *CursorModel::field(int column) const
{
    if (!DataSet())
        return nullptr;
    return column >= 0 && size_t(column) < fields_.size() ? fields_[size_t(column)] : nullptr;
}

Qt::Alignment CursorModel::alignment(int column) const
{
    const GridColumn &c = columns_[size_t(column)];
    if (c.alignment)
        return c.alignment;
    const Field *f = field(column);
    return f ? f->Alignment() : Qt::AlignLeft;
}

int CursorModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int CursorModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant CursorModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows_)
        return {};
    const Field *f = field(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return f ? DataSet()->displayTextAt(index.row(), f->index()) : QString();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignment(index.column()) | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant CursorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || size_t(section) >= columns_.size())
        return {};
    if (role == Qt::DisplayRole)
        return columns_[size_t(section)].title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignCenter);
    return {};
}

void CursorModel::reset()
{
    beginResetModel();
    resolveFields();
    rows_ = DataSet() ? DataSet()->displayRowCount() : 0;
    endResetModel();
}

void CursorModel::dataEvent(const DataEvent &event)
{
    const int rows = DataSet() ? DataSet()->displayRowCount() : 0;
    switch (event.kind) {
    case DataEventKind::RowInserted:
        if (rows == rows_ + 1 && event.row >= 0 && event.row <= rows_) {
            beginInsertRows(QModelIndex(), event.row, event.row);
            rows_ = rows;
            endInsertRows();
        } else {
            reset();
        }
        break;
    case DataEventKind::RowRemoving:
        if (event.row >= 0 && event.row < rows_) {
            beginRemoveRows(QModelIndex(), event.row, event.row);
            removing_ = true;
        }
        break;
    case DataEventKind::RowRemoved:
        if (removing_ && rows == rows_ - 1) {
            rows_ = rows;
            removing_ = false;
            endRemoveRows();
        } else if (removing_) {
            // Out of step with the cursor: end the removal, then start over.
            removing_ = false;
            --rows_;
            endRemoveRows();
            reset();
        } else {
            reset();
        }
        break;
    case DataEventKind::RecordChanged:
        if (event.row >= 0 && event.row < rows_ && !columns_.empty())
            emit dataChanged(index(event.row, 0), index(event.row, columnCount() - 1));
        break;
    case DataEventKind::ActiveChanged:
        reset();
        emit currentRowChanged(DataSet() ? DataSet()->currentRow() : -1);
        break;
    case DataEventKind::DataSetChanged:
        reset();
        emit currentRowChanged(DataSet()->currentRow());
        break;
    case DataEventKind::Scrolled:
        emit currentRowChanged(DataSet()->currentRow());
        break;
    case DataEventKind::StateChanged:
        emit stateChanged();
        break;
    case DataEventKind::UpdateData:
        break;
    }
}
