#pragma once

#include "GridColumn.h"

#include "recordset/DataLink.h"

#include <QAbstractTableModel>
#include <vector>

class Field;

// A table model over a cursor's view: it copies no rows, reads each shown
// cell from the cursor by position, and turns cursor events into model
// signals. The row count it reports changes only between the matching
// begin/end signals.
class CursorModel : public QAbstractTableModel, public DataLink
{
    Q_OBJECT
public:
    explicit CursorModel(QObject *parent = nullptr);

    void setSource(DataSource *source);
    void setColumns(std::vector<GridColumn> columns);
    const std::vector<GridColumn> &columns() const { return columns_; }
    const GridColumn &column(int index) const { return columns_[size_t(index)]; }
    // The field behind a column, once the cursor is known; else nullptr.
    Field *field(int column) const;
    Qt::Alignment alignment(int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void dataEvent(const DataEvent &event) override;

signals:
    // The cursor's current row moved (or the view under it changed).
    void currentRowChanged(int row);
    // Browse, edit or insert: the indicator shows it.
    void stateChanged();

private:
    void resolveFields();
    void reset();

    std::vector<GridColumn> columns_;
    std::vector<Field *> fields_;
    int rows_ = 0;
    bool removing_ = false;
};
