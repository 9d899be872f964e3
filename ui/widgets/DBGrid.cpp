#include "DBGrid.h"

#include "GridDelegate.h"
#include "GridIndicator.h"

#include "recordset/Cursor.h"
#include "gui/Guarded.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

DBGrid::DBGrid(QWidget *parent) : QTableView(parent), model_(new CursorModel(this))
{
    setVerticalHeader(new GridIndicator(this));
    setModel(model_);
    setItemDelegate(new GridDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // With whole-row selection Tab belongs to the window: it moves the focus on.
    setTabKeyNavigation(false);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

    QHeaderView *titles = horizontalHeader();
    titles->setSectionsMovable(true);
    titles->setHighlightSections(false);
    titles->setDefaultAlignment(Qt::AlignCenter);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setStretchLastSection(false);

    QHeaderView *indicator = verticalHeader();
    indicator->setMinimumSectionSize(defaultRowHeight());
    indicator->setDefaultSectionSize(defaultRowHeight());
    indicator->setFixedWidth(GridIndicator::Width);

    connect(model_, &CursorModel::currentRowChanged, this, &DBGrid::followCursor);
    connect(model_, &CursorModel::stateChanged, this, [this] {
        verticalHeader()->viewport()->update();
        viewport()->update();
    });
    // A new view (a search, a sort) resets the model; the columns stay as
    // the user arranged them.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { titleLayout_ = horizontalHeader()->saveState(); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        if (titleLayout_.isEmpty() || !horizontalHeader()->restoreState(titleLayout_))
            applyColumnLayout();
        followCursor(DataSet() ? DataSet()->currentRow() : -1);
    });
}

int DBGrid::defaultRowHeight() const
{
    return fontMetrics().height() + 4;
}

void DBGrid::setDataSource(DataSource *source)
{
    model_->setSource(source);
    // Default widths depend on the fields, known only now.
    applyColumnLayout();
    titleLayout_.clear();
}

void DBGrid::setColumns(std::vector<GridColumn> columns)
{
    model_->setColumns(std::move(columns));
    applyColumnLayout();
    titleLayout_.clear();
}

int DBGrid::defaultWidth(int column) const
{
    const GridColumn &c = model_->column(column);
    const QFontMetrics metrics = fontMetrics();
    int digits = 10;
    if (const Field *f = model_->field(column))
        digits = f->DisplayWidth();
    const int fieldWidth = digits * metrics.horizontalAdvance(QLatin1Char('0')) + 4;
    const int titleWidth = horizontalHeader()->fontMetrics().horizontalAdvance(c.title) + 4;
    return std::max(fieldWidth, titleWidth);
}

void DBGrid::applyColumnLayout()
{
    for (int i = 0; i < model_->columnCount(); ++i) {
        const GridColumn &c = model_->column(i);
        setColumnHidden(i, !c.visible);
        setColumnWidth(i, c.width > 0 ? c.width : defaultWidth(i));
    }
}

void DBGrid::followCursor(int row)
{
    // A grid of a hidden window catches up when it is shown.
    if (!isVisible()) {
        followPending_ = true;
        return;
    }
    followPending_ = false;
    following_ = true;
    if (row < 0 || row >= model_->rowCount()) {
        selectionModel()->clear();
    } else {
        int column = horizontalHeader()->logicalIndexAt(0);
        if (column < 0)
            column = 0;
        const QModelIndex index = model_->index(row, column);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
        scrollTo(index);
    }
    following_ = false;
    verticalHeader()->viewport()->update();
    viewport()->update();
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    // The current row is the cursor's; anything else that moved the view's
    // own current index is put back.
    if (!following_ && DataSet() && current.isValid() && current.row() != DataSet()->currentRow())
        QTimer::singleShot(0, this,
                           [this] { followCursor(DataSet() ? DataSet()->currentRow() : -1); });
}

void DBGrid::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    if (followPending_)
        followCursor(DataSet() ? DataSet()->currentRow() : -1);
}

int DBGrid::visibleRowCount() const
{
    return std::max(1, viewport()->height() / defaultRowHeight());
}

int DBGrid::bottomVisibleRow(int top, int last) const
{
    // The last row shown whole: one cut off at the bottom edge does not count.
    const int height = viewport()->height();
    int row = rowAt(height - 1);
    if (row < 0)
        return last;
    if (rowViewportPosition(row) + rowHeight(row) > height)
        --row;
    return std::max(row, top);
}

void DBGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier)) {
        event->accept();
        runGuarded([this] { confirmDelete(); });
        return;
    }
    Cursor *c = DataSet();
    if (!c || !c->isOpen() || c->displayRowCount() == 0) {
        event->ignore();
        return;
    }
    const int current = c->currentRow();
    const int last = c->displayRowCount() - 1;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int top = std::max(0, rowAt(0));
    const int bottom = bottomVisibleRow(top, last);
    int target = current;
    switch (event->key()) {
    case Qt::Key_Up:
        target = ctrl ? top : current - 1;
        break;
    case Qt::Key_Left:
        target = current - 1;
        break;
    case Qt::Key_Down:
        target = ctrl ? bottom : current + 1;
        break;
    case Qt::Key_Right:
        target = current + 1;
        break;
    case Qt::Key_PageUp:
        target = ctrl ? top : current - visibleRowCount();
        break;
    case Qt::Key_PageDown:
        target = ctrl ? bottom : current + visibleRowCount();
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = last;
        break;
    default:
        event->ignore();
        return;
    }
    target = std::clamp(target, 0, last);
    if (target != current)
        runGuarded([c, target] { c->moveTo(target); });
    event->accept();
}

// The grid's own deletion: it asks in the stock English dialog and makes no
// checks of the window's own delete command.
void DBGrid::confirmDelete()
{
    Cursor *c = DataSet();
    if (!c || !c->isOpen() || c->RecordCount() == 0 || !c->CanModify())
        return;
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"),
                    QStringLiteral("Delete record?"), QMessageBox::NoButton, window());
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == ok)
        c->Delete();
}

void DBGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    // Leaving the grid for another control of its window drops a new row
    // into which nothing has been entered. A dialog opening over the window
    // is no such leaving.
    const QWidget *next = QApplication::focusWidget();
    Cursor *c = DataSet();
    if (c && c->State() == CursorState::Insert && !c->Modified() && next &&
        next->window() == window() && event->reason() != Qt::ActiveWindowFocusReason &&
        event->reason() != Qt::PopupFocusReason)
        runGuarded([c] { c->Cancel(); });
}

void DBGrid::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    const int row = rowAt(int(event->position().y()));
    if (row >= 0 && DataSet() && DataSet()->isOpen())
        runGuarded([this, row] { DataSet()->moveTo(row); });
    event->accept();
}

void DBGrid::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() == Qt::NoButton)
        QTableView::mouseMoveEvent(event);
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The first click of a double click has made its row current already;
    // the row under the mouse is made current again in case it came alone.
    mousePressEvent(event);
    emit dblClick();
}

void DBGrid::paintCell(QPainter *painter, const QRect &cell, const QModelIndex &index)
{
    const Cursor *c = DataSet();
    const bool current = c && index.row() == c->currentRow();
    GridDrawState state;
    if (current)
        state |= GridDrawFlag::Selected;
    if (current && hasFocus())
        state |= GridDrawFlag::Focused;
    // The grid's own picture: its highlight only while it has the focus.
    const bool highlight = current && hasFocus();
    canvas_ = GridCanvas{
        painter, highlight ? palette().color(QPalette::Highlight) : palette().color(QPalette::Base),
        highlight ? palette().color(QPalette::HighlightedText) : palette().color(QPalette::Text)};
    const QRect rect = cell.adjusted(0, 0, -1, 0); // the last pixel holds the column line
    paintingRow_ = index.row();
    painter->save();
    if (OnDrawColumnCell)
        OnDrawColumnCell(this, rect, index.column(), model_->column(index.column()), state);
    else
        DefaultDrawColumnCell(rect, index.column(), model_->column(index.column()), state);
    painter->restore();
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(cell.topRight(), cell.bottomRight());
    canvas_.painter = nullptr;
    paintingRow_ = -1;
}

void DBGrid::DefaultDrawColumnCell(const QRect &rect, int dataCol, const GridColumn &,
                                   GridDrawState)
{
    QPainter *painter = canvas_.painter;
    if (!painter)
        return;
    painter->fillRect(rect, canvas_.brush);
    const Cursor *c = DataSet();
    const Field *f = model_->field(dataCol);
    if (!c || !f || paintingRow_ < 0)
        return;
    const QString text = c->displayTextAt(paintingRow_, f->index());
    painter->setPen(canvas_.fontColor);
    painter->setClipRect(rect);
    painter->drawText(rect.adjusted(2, 2, -2, 0), int(model_->alignment(dataCol)) | Qt::AlignTop,
                      text);
}

void DBGrid::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    const Cursor *c = DataSet();
    if (!hasFocus() || !c || c->currentRow() < 0)
        return;
    const int y = rowViewportPosition(c->currentRow());
    if (y < -defaultRowHeight() || y > viewport()->height())
        return;
    int right = 0;
    for (int i = 0; i < model_->columnCount(); ++i)
        if (!isColumnHidden(i))
            right = std::max(right, columnViewportPosition(i) + columnWidth(i));
    QPainter painter(viewport());
    QPen pen(palette().color(QPalette::Text));
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(QRect(0, y, right - 1, rowHeight(c->currentRow()) - 1));
}
