#include "DBImage.h"

#include "photo/PhotoCodec.h"
#include "recordset/Cursor.h"
#include "recordset/Error.h"

#include <QPainter>

DBImage::DBImage(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
}

void DBImage::setDataSource(DataSource *source)
{
    DataLink::setDataSource(source);
    loadPicture();
}

void DBImage::setDataField(const QString &name)
{
    fieldName_ = name;
    loadPicture();
}

Field *DBImage::field() const
{
    return DataSet() ? DataSet()->findField(fieldName_) : nullptr;
}

void DBImage::dataEvent(const DataEvent &event)
{
    switch (event.kind) {
    case DataEventKind::ActiveChanged:
    case DataEventKind::DataSetChanged:
    case DataEventKind::Scrolled:
    case DataEventKind::RowRemoved:
        loadPicture();
        break;
    case DataEventKind::RecordChanged: {
        const Field *f = field();
        if (event.field < 0 || (f && event.field == f->index()))
            loadPicture();
        break;
    }
    default:
        break;
    }
}

void DBImage::loadPicture()
{
    picture_ = QImage();
    update();
    Field *f = field();
    if (!f || !DataSet()->isOpen())
        return;
    const QByteArray bmp = PhotoCodec::bmpFromColumn(f->AsBytes());
    if (bmp.isEmpty())
        return;
    QImage image;
    if (!image.loadFromData(bmp, "BMP"))
        throw Error(QStringLiteral("Bitmap image is not valid"));
    picture_ = image;
}

void DBImage::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (picture_.isNull())
        return;
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.setClipRect(area);
    const QPoint origin(area.x() + (area.width() - picture_.width()) / 2,
                        area.y() + (area.height() - picture_.height()) / 2);
    painter.drawImage(origin, picture_);
}
