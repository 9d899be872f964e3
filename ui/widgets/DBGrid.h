#pragma once

#include "CursorModel.h"
#include "GridColumn.h"

#include <QColor>
#include <QTableView>
#include <functional>

class Cursor;
class DataSource;
class QPainter;

// What a cell painter draws with: the colours it may change before it asks
// for the default drawing.
struct GridCanvas
{
    QPainter *painter = nullptr;
    QColor brush;
    QColor fontColor;
};

// A data grid over one cursor: whole-row selection, no editing, the current
// row always the cursor's. Only the visible rows are ever read or painted.
class DBGrid : public QTableView
{
    Q_OBJECT
public:
    using DrawColumnCell = std::function<void(DBGrid *grid, const QRect &rect, int dataCol,
                                              const GridColumn &column, GridDrawState state)>;

    explicit DBGrid(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    DataSource *dataSource() const { return model_->dataSource(); }
    Cursor *DataSet() const { return model_->DataSet(); }
    void setColumns(std::vector<GridColumn> columns);
    CursorModel *cursorModel() const { return model_; }

    // Runs for every data cell painted, after the grid has set up its canvas.
    DrawColumnCell OnDrawColumnCell;
    GridCanvas &Canvas() { return canvas_; }
    // Fills the cell with the canvas brush and writes the field's text in it.
    void DefaultDrawColumnCell(const QRect &rect, int dataCol, const GridColumn &column,
                               GridDrawState state);

    // Paints one cell; the grid's delegate calls it.
    void paintCell(QPainter *painter, const QRect &rect, const QModelIndex &index);
    int defaultRowHeight() const;
    // The row being painted, for the default drawing.
    int paintingRow() const { return paintingRow_; }

signals:
    void dblClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyboardSearch(const QString &) override {}

private:
    void confirmDelete();
    void followCursor(int row);
    void applyColumnLayout();
    int visibleRowCount() const;
    int bottomVisibleRow(int top, int last) const;
    int defaultWidth(int column) const;

    CursorModel *model_;
    GridCanvas canvas_;
    bool following_ = false;
    bool followPending_ = false; // the cursor moved while the grid was hidden
    QByteArray titleLayout_; // the user's column widths and order, kept over a reset
    int paintingRow_ = -1;
};
