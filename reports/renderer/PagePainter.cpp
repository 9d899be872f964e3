#include "PagePainter.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPalette>

namespace {

constexpr double TenthsPerPoint = 254.0 / 72.0;

QColor colourOf(quint32 argb)
{
    return QColor::fromRgba(argb);
}

QColor textColour(const ReportFont &font)
{
    if (font.colour)
        return colourOf(*font.colour);
    return QGuiApplication::palette().color(QPalette::WindowText);
}

QRectF scaled(const QRect &rect, double scale)
{
    return QRectF(rect.x() * scale, rect.y() * scale, rect.width() * scale, rect.height() * scale);
}

void paintText(QPainter &painter, const PageItem &item, const ReportPages &pages, double scale)
{
    if (item.text.isEmpty() || item.font < 0 || size_t(item.font) >= pages.fonts.size())
        return;
    const ReportFont &reportFont = pages.fonts[size_t(item.font)];
    const QFont font = PagePainter::font(reportFont, scale, painter.device());
    const QRectF area = PagePainter::textRect(item, font, scale, painter.device());
    painter.fillRect(area, Qt::white);
    painter.setFont(font);
    painter.setPen(textColour(reportFont));
    const QFontMetricsF metrics(font, painter.device());
    double baseline = area.top() + metrics.ascent();
    for (const QString &line : item.text.split(QLatin1Char('\n'))) {
        painter.drawText(QPointF(area.left(), baseline), line);
        baseline += metrics.lineSpacing();
    }
}

void paintPicture(QPainter &painter, const PageItem &item, const ReportPages &pages, double scale)
{
    if (item.picture < 0 || size_t(item.picture) >= pages.pictures.size())
        return;
    const Picture &picture = pages.pictures[size_t(item.picture)];
    if (picture.isNull())
        return;
    const QImage image(reinterpret_cast<const uchar *>(picture.argb.data()), picture.width,
                       picture.height, picture.width * 4, QImage::Format_ARGB32);
    painter.save();
    painter.setClipRect(scaled(item.clip, scale), Qt::IntersectClip);
    painter.drawImage(scaled(item.rect, scale), image);
    painter.restore();
}

void paintRule(QPainter &painter, const PageItem &item, double scale)
{
    QPen pen(colourOf(item.colour));
    pen.setWidthF(item.ruleWidth / 10.0 * TenthsPerPoint * scale);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    const QRectF line = scaled(item.rect, scale);
    painter.drawLine(line.topLeft(), line.bottomRight());
}

void paintBars(QPainter &painter, const PageItem &item, double scale)
{
    const qsizetype modules = item.text.size();
    if (modules == 0)
        return;
    const QRectF area = scaled(item.rect, scale);
    const double module = area.width() / double(modules);
    const double shortHeight = std::max(0.0, area.height() - item.ruleWidth * scale);
    qsizetype start = 0;
    while (start < modules) {
        const QChar kind = item.text[start];
        qsizetype end = start + 1;
        while (end < modules && item.text[end] == kind)
            ++end;
        if (kind != QLatin1Char('0')) {
            const double height = kind == QLatin1Char('2') ? area.height() : shortHeight;
            painter.fillRect(
                QRectF(area.left() + start * module, area.top(), (end - start) * module, height),
                Qt::black);
        }
        start = end;
    }
}

} // namespace

void PagePainter::paint(QPainter &painter, const ReportPages &pages, int page, double scale)
{
    if (page < 0 || size_t(page) >= pages.pages.size())
        return;
    painter.save();
    // Text runs on past the margins, up to the edge of the sheet.
    painter.setClipRect(QRectF(0, 0, pages.pageWidth * scale, pages.pageHeight * scale),
                        Qt::IntersectClip);
    for (const PageItem &item : pages.pages[size_t(page)].items) {
        switch (item.kind) {
        case PageItem::Kind::Fill:
            painter.fillRect(scaled(item.rect, scale), colourOf(item.colour));
            break;
        case PageItem::Kind::Rule:
            paintRule(painter, item, scale);
            break;
        case PageItem::Kind::Text:
            paintText(painter, item, pages, scale);
            break;
        case PageItem::Kind::Picture:
            paintPicture(painter, item, pages, scale);
            break;
        case PageItem::Kind::Bars:
            paintBars(painter, item, scale);
            break;
        }
    }
    painter.restore();
}

QFont PagePainter::font(const ReportFont &font, double scale, const QPaintDevice *device)
{
    QFont result(family(font.family));
    result.setBold(font.bold);
    // The point size on paper, as device pixels at this scale, in the device's points.
    const double pixels = font.pointSize * TenthsPerPoint * scale;
    const int dpi = device ? device->logicalDpiY() : 96;
    result.setPointSizeF(std::max(0.1, pixels * 72.0 / dpi));
    return result;
}

QRectF PagePainter::textRect(const PageItem &item, const QFont &font, double scale,
                             const QPaintDevice *device)
{
    const QFontMetricsF metrics(font, device);
    const QStringList lines = item.text.split(QLatin1Char('\n'));
    double width = 0;
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    return QRectF(item.rect.x() * scale, item.rect.y() * scale, width,
                  metrics.lineSpacing() * lines.size());
}

QString PagePainter::family(const QString &requested)
{
    static QHash<QString, QString> chosen;
    const auto known = chosen.constFind(requested);
    if (known != chosen.constEnd())
        return *known;
    QString result = requested;
    const QStringList installed = QFontDatabase::families();
    if (!installed.contains(requested, Qt::CaseInsensitive)) {
        // Metric-compatible where there is one, else a sans with Cyrillic letters.
        const QString stand = requested.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0
                                  ? QStringLiteral("Liberation Sans")
                                  : QStringLiteral("DejaVu Sans");
        if (installed.contains(stand))
            result = stand;
    }
    chosen.insert(requested, result);
    return result;
}
