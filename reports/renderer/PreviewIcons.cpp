#include "PreviewIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int Side = 24;

void sheet(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
}

void triangle(QPainter &p, double x, bool left)
{
    QPainterPath path;
    const double tip = left ? x : x + 7;
    const double base = left ? x + 7 : x;
    path.moveTo(tip, 12);
    path.lineTo(base, 5);
    path.lineTo(base, 19);
    path.closeSubpath();
    p.fillPath(path, QColor(30, 80, 160));
}

void bar(QPainter &p, double x)
{
    p.fillRect(QRectF(x, 5, 2.5, 14), QColor(30, 80, 160));
}

void printer(QPainter &p)
{
    sheet(p, QRectF(7, 3, 10, 8));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(150, 150, 150));
    p.drawRoundedRect(QRectF(3, 10, 18, 8), 2, 2);
    sheet(p, QRectF(7, 15, 10, 6));
}

void draw(QPainter &p, PreviewIcons::Kind kind)
{
    using Kind = PreviewIcons::Kind;
    switch (kind) {
    case Kind::ZoomFit:
        sheet(p, QRectF(7, 3, 10, 18));
        p.setPen(QPen(QColor(30, 80, 160), 1.5));
        p.drawLine(QPointF(12, 1), QPointF(12, 23));
        break;
    case Kind::ZoomActual:
        sheet(p, QRectF(3, 3, 18, 18));
        p.setPen(Qt::black);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 6, QFont::Bold));
        p.drawText(QRectF(3, 3, 18, 18), Qt::AlignCenter, QStringLiteral("1:1"));
        break;
    case Kind::ZoomWidth:
        sheet(p, QRectF(3, 6, 18, 15));
        p.setPen(QPen(QColor(30, 80, 160), 1.5));
        p.drawLine(QPointF(1, 4), QPointF(23, 4));
        break;
    case Kind::First:
        bar(p, 5);
        triangle(p, 8, true);
        break;
    case Kind::Previous:
        triangle(p, 8, true);
        break;
    case Kind::Next:
        triangle(p, 9, false);
        break;
    case Kind::Last:
        triangle(p, 9, false);
        bar(p, 16.5);
        break;
    case Kind::PrinterSetup:
        printer(p);
        p.setPen(QPen(QColor(200, 120, 0), 2));
        p.drawLine(QPointF(15, 23), QPointF(23, 15));
        break;
    case Kind::Print:
        printer(p);
        break;
    case Kind::Save:
        p.setPen(Qt::black);
        p.setBrush(QColor(40, 70, 140));
        p.drawRect(QRectF(3, 3, 18, 18));
        sheet(p, QRectF(7, 4, 10, 7));
        p.fillRect(QRectF(8, 15, 8, 5), QColor(200, 200, 200));
        break;
    case Kind::Load:
        p.setPen(Qt::black);
        p.setBrush(QColor(230, 190, 80));
        p.drawRect(QRectF(2, 7, 20, 14));
        p.drawRect(QRectF(2, 4, 8, 3));
        break;
    case Kind::Pdf:
        sheet(p, QRectF(5, 2, 14, 20));
        p.fillRect(QRectF(3, 12, 18, 8), QColor(190, 30, 30));
        p.setPen(Qt::white);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 5, QFont::Bold));
        p.drawText(QRectF(3, 12, 18, 8), Qt::AlignCenter, QStringLiteral("PDF"));
        break;
    }
}

} // namespace

QIcon PreviewIcons::icon(Kind kind)
{
    QPixmap pixmap(Side, Side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, kind);
    painter.end();
    return QIcon(pixmap);
}
