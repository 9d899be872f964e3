#include "DBImage.h"

#include "Pictures.h"

#include "photo/PhotoCodec.h"
#include "recordset/Cursor.h"
#include "gui/Guarded.h"

#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>

DBImage::DBImage(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
}

void DBImage::dataEvent(const DataEvent &event)
{
    if (event.kind == DataEventKind::UpdateData)
        updateRecord();
    else if (changesValue(event, field()))
        loadPicture();
}

void DBImage::loadPicture()
{
    bitmap_ = Bitmap();
    image_ = QImage();
    modified_ = false;
    update();
    Field *f = field();
    if (!f || !DataSet()->isOpen() || f->BlobSize() == 0)
        return;
    bitmap_ = PhotoCodec::readColumn(f->AsBytes());
    image_ = Pictures::toImage(bitmap_);
}

void DBImage::setPicture(const Bitmap &picture)
{
    bitmap_ = picture;
    image_ = Pictures::toImage(picture);
    modified_ = true;
    update();
}

void DBImage::revert()
{
    loadPicture();
}

void DBImage::copyToClipboard() const
{
    if (!image_.isNull())
        QGuiApplication::clipboard()->setImage(image_);
}

void DBImage::updateRecord()
{
    Field *f = field();
    if (!modified_ || !f)
        return;
    const CursorState state = DataSet()->State();
    if (state != CursorState::Edit && state != CursorState::Insert)
        return;
    const QByteArray stored = PhotoCodec::write(bitmap_);
    modified_ = false;
    if (stored.isEmpty())
        f->Clear();
    else
        f->setAsBytes(stored);
}

void DBImage::startEditing()
{
    Cursor *cursor = DataSet();
    if (cursor && cursor->State() == CursorState::Browse)
        cursor->Edit();
}

void DBImage::paste()
{
    const QImage clipboard = QGuiApplication::clipboard()->image();
    if (clipboard.isNull() || !field())
        return;
    startEditing();
    setPicture(Pictures::fromImage(clipboard));
}

void DBImage::cut()
{
    if (image_.isNull() || !field())
        return;
    startEditing();
    copyToClipboard();
    setPicture(Bitmap());
}

void DBImage::keyPressEvent(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() == Qt::ControlModifier;
    const bool shift = event->modifiers() == Qt::ShiftModifier;
    const int key = event->key();
    if (ctrl && (key == Qt::Key_C || key == Qt::Key_Insert)) {
        copyToClipboard();
    } else if ((ctrl && key == Qt::Key_V) || (shift && key == Qt::Key_Insert)) {
        runGuarded([this] { paste(); });
    } else if ((ctrl && key == Qt::Key_X) || (shift && key == Qt::Key_Delete)) {
        runGuarded([this] { cut(); });
    } else if (key == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
               !qobject_cast<QDialog *>(window())) {
        // In a dialog Esc belongs to its Cancel button.
        runGuarded([this] { revert(); });
    } else {
        QFrame::keyPressEvent(event);
        return;
    }
    event->accept();
}

void DBImage::focusInEvent(QFocusEvent *event)
{
    QFrame::focusInEvent(event);
    update(); // the focus mark
}

void DBImage::focusOutEvent(QFocusEvent *event)
{
    QFrame::focusOutEvent(event);
    update();
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        runGuarded([this] { updateRecord(); });
}

void DBImage::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = contentsRect();
    if (!image_.isNull()) {
        painter.save();
        painter.setClipRect(area);
        const QPoint origin(area.x() + (area.width() - image_.width()) / 2,
                            area.y() + (area.height() - image_.height()) / 2);
        painter.drawImage(origin, image_);
        painter.restore();
    }
    // With the focus, a dotted frame just inside the border: the clipboard
    // keys act on this box now.
    if (hasFocus()) {
        QPen pen(palette().color(QPalette::WindowText));
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(area.adjusted(1, 1, -2, -2));
    }
}
