#include "ToolPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace {

QIcon draw(const std::function<void(QPainter &)> &paint)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    return QIcon(pixmap);
}

void categories(QPainter &p)
{
    // A folder.
    p.setPen(QColor(140, 100, 20));
    p.setBrush(QColor(250, 205, 90));
    p.drawRect(QRectF(1.5, 4.5, 13, 9));
    p.drawRect(QRectF(1.5, 2.5, 5, 2));
}

void countries(QPainter &p)
{
    // A globe.
    p.setPen(QColor(20, 70, 150));
    p.setBrush(QColor(110, 170, 240));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(5, 1.5, 6, 13));
    p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
}

void makes(QPainter &p)
{
    // A car.
    p.setPen(QColor(120, 20, 20));
    p.setBrush(QColor(220, 50, 50));
    QPainterPath body;
    body.moveTo(1, 11);
    body.lineTo(1, 8);
    body.lineTo(4, 7);
    body.lineTo(6, 4);
    body.lineTo(11, 4);
    body.lineTo(13, 7);
    body.lineTo(15, 8);
    body.lineTo(15, 11);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QRectF(2.5, 10, 3.5, 3.5));
    p.drawEllipse(QRectF(10, 10, 3.5, 3.5));
}

void printing(QPainter &p)
{
    // A printer with a sheet.
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(170, 170, 170));
    p.drawRect(QRectF(1.5, 6.5, 13, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
}

void adding(QPainter &p)
{
    // A green plus.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 150, 40));
    p.drawRect(QRectF(6, 2, 4, 12));
    p.drawRect(QRectF(2, 6, 12, 4));
}

void editing(QPainter &p)
{
    // A pencil.
    p.setPen(QColor(90, 60, 10));
    p.setBrush(QColor(240, 190, 60));
    QPainterPath pencil;
    pencil.moveTo(11, 2);
    pencil.lineTo(14, 5);
    pencil.lineTo(5, 14);
    pencil.lineTo(2, 14);
    pencil.lineTo(2, 11);
    pencil.closeSubpath();
    p.drawPath(pencil);
}

void deleting(QPainter &p)
{
    // A red cross.
    QPen pen(QColor(200, 30, 30), 3, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

} // namespace

QList<QIcon> ToolPictures::imageList()
{
    return {draw(categories), draw(countries), draw(makes),   draw(printing),
            draw(adding),     draw(editing),   draw(deleting)};
}
