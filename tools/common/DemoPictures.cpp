#include "DemoPictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <algorithm>
#include <limits>
#include <vector>

namespace {

// Indices into sixteenColours(), named for the battery drawing.
// clang-format off
enum Flat {
    Black, White, LightGrey, DarkGrey, Red, DarkRed, Blue, DarkBlue,
    Yellow, Orange, Green, DarkGreen, Sky, Charcoal, MidGrey, Brown
};
// clang-format on

const QList<QRgb> &flatColours()
{
    static const QList<QRgb> colours = {
        qRgb(0, 0, 0),       qRgb(255, 255, 255), qRgb(192, 192, 192), qRgb(96, 96, 96),
        qRgb(200, 30, 30),   qRgb(120, 0, 0),     qRgb(40, 80, 200),   qRgb(20, 30, 100),
        qRgb(250, 210, 40),  qRgb(240, 140, 20),  qRgb(40, 160, 60),   qRgb(20, 90, 30),
        qRgb(200, 225, 245), qRgb(40, 40, 45),    qRgb(140, 140, 140), qRgb(120, 80, 40),
    };
    return colours;
}

QColor flat(Flat index)
{
    return QColor(flatColours()[index]);
}

// The caption takes the bottom sixth; the part is drawn above it.
QRectF partArea(QSize size)
{
    return QRectF(0, 0, size.width(), size.height() * 5.0 / 6.0);
}

QRectF captionArea(QSize size)
{
    const QRectF part = partArea(size);
    return QRectF(0, part.bottom(), size.width(), size.height() - part.height());
}

void drawCaption(QPainter &p, QSize size, const QString &text, const QColor &colour,
                 bool antialiased)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qMax(9, size.height() / 13));
    font.setBold(true);
    if (!antialiased)
        font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(captionArea(size), Qt::AlignCenter, text);
}

void paintStudio(QPainter &p, QSize size, const QColor &top, const QColor &bottom)
{
    QLinearGradient background(0, 0, 0, size.height());
    background.setColorAt(0, top);
    background.setColorAt(1, bottom);
    p.fillRect(QRect(QPoint(0, 0), size), background);
}

void drawBrakeDisc(QPainter &p, QSize size)
{
    paintStudio(p, size, QColor(225, 232, 240), QColor(250, 250, 252));
    const QRectF area = partArea(size);
    const QPointF c = area.center();
    const qreal r = qMin(area.width(), area.height()) * 0.44;

    QRadialGradient metal(c, r, c - QPointF(r * 0.3, r * 0.3));
    metal.setColorAt(0, QColor(235, 235, 238));
    metal.setColorAt(0.7, QColor(160, 162, 168));
    metal.setColorAt(1, QColor(110, 112, 118));
    p.setPen(QPen(QColor(70, 70, 75), 2));
    p.setBrush(metal);
    p.drawEllipse(c, r, r);

    // Cross-drilled holes on the friction ring.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 64));
    for (int i = 0; i < 18; ++i) {
        const qreal a = qDegreesToRadians(i * 20.0);
        const qreal ring = (i % 2 == 0) ? 0.78 : 0.66;
        p.drawEllipse(c + QPointF(qCos(a), qSin(a)) * r * ring, r * 0.045, r * 0.045);
    }

    QRadialGradient hat(c, r * 0.45);
    hat.setColorAt(0, QColor(120, 60, 40));
    hat.setColorAt(1, QColor(80, 40, 30));
    p.setPen(QPen(QColor(50, 30, 20), 2));
    p.setBrush(hat);
    p.drawEllipse(c, r * 0.45, r * 0.45);
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(c, r * 0.14, r * 0.14);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 210, 210));
    for (int i = 0; i < 5; ++i) {
        const qreal a = qDegreesToRadians(i * 72.0 - 90.0);
        p.drawEllipse(c + QPointF(qCos(a), qSin(a)) * r * 0.3, r * 0.05, r * 0.05);
    }
    drawCaption(p, size, QStringLiteral("Диск тормозной"), QColor(30, 30, 60), true);
}

void drawSparkPlug(QPainter &p, QSize size)
{
    paintStudio(p, size, QColor(250, 244, 230), QColor(235, 225, 205));
    const QRectF area = partArea(size);
    const qreal w = area.width();
    const qreal h = area.height();
    const qreal mid = area.center().y();

    // Terminal, ceramic insulator, hex nut, thread and electrode, left to right.
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(QColor(170, 170, 175));
    p.drawRoundedRect(QRectF(w * 0.06, mid - h * 0.06, w * 0.08, h * 0.12), 3, 3);

    QLinearGradient ceramic(0, mid - h * 0.12, 0, mid + h * 0.12);
    ceramic.setColorAt(0, QColor(255, 255, 255));
    ceramic.setColorAt(0.5, QColor(235, 235, 240));
    ceramic.setColorAt(1, QColor(190, 190, 200));
    p.setBrush(ceramic);
    p.drawRoundedRect(QRectF(w * 0.13, mid - h * 0.12, w * 0.34, h * 0.24), 10, 10);
    p.setPen(QPen(QColor(200, 40, 40), 3));
    p.drawLine(QPointF(w * 0.2, mid - h * 0.12), QPointF(w * 0.2, mid + h * 0.12));

    QLinearGradient steel(0, mid - h * 0.2, 0, mid + h * 0.2);
    steel.setColorAt(0, QColor(220, 220, 225));
    steel.setColorAt(0.5, QColor(140, 140, 150));
    steel.setColorAt(1, QColor(90, 90, 100));
    p.setPen(QPen(QColor(50, 50, 55), 1.5));
    p.setBrush(steel);
    const QPolygonF nut({QPointF(w * 0.47, mid - h * 0.14), QPointF(w * 0.5, mid - h * 0.2),
                         QPointF(w * 0.6, mid - h * 0.2), QPointF(w * 0.63, mid - h * 0.14),
                         QPointF(w * 0.63, mid + h * 0.14), QPointF(w * 0.6, mid + h * 0.2),
                         QPointF(w * 0.5, mid + h * 0.2), QPointF(w * 0.47, mid + h * 0.14)});
    p.drawPolygon(nut);

    p.setBrush(QColor(185, 185, 190));
    p.drawRect(QRectF(w * 0.63, mid - h * 0.1, w * 0.2, h * 0.2));
    p.setPen(QPen(QColor(100, 100, 105), 2));
    for (int i = 0; i < 9; ++i) {
        const qreal x = w * (0.645 + i * 0.02);
        p.drawLine(QPointF(x, mid - h * 0.1), QPointF(x + w * 0.01, mid + h * 0.1));
    }
    p.setPen(QPen(QColor(80, 60, 40), 3));
    p.drawLine(QPointF(w * 0.83, mid), QPointF(w * 0.88, mid));
    p.drawLine(QPointF(w * 0.9, mid - h * 0.08), QPointF(w * 0.9, mid + h * 0.02));
    p.drawLine(QPointF(w * 0.83, mid - h * 0.08), QPointF(w * 0.9, mid - h * 0.08));
    drawCaption(p, size, QStringLiteral("Свеча зажигания"), QColor(80, 30, 0), true);
}

void drawOilFilter(QPainter &p, QSize size)
{
    paintStudio(p, size, QColor(230, 238, 230), QColor(248, 250, 248));
    const QRectF area = partArea(size);
    const qreal w = area.width();
    const qreal h = area.height();
    const QRectF body(w * 0.3, h * 0.12, w * 0.4, h * 0.8);

    QLinearGradient paint(body.left(), 0, body.right(), 0);
    paint.setColorAt(0, QColor(20, 60, 150));
    paint.setColorAt(0.35, QColor(70, 120, 220));
    paint.setColorAt(1, QColor(15, 40, 110));
    p.setPen(QPen(QColor(10, 20, 60), 2));
    p.setBrush(paint);
    p.drawRoundedRect(body, 12, 12);

    // Ribs of the housing, where the wrench grips.
    p.setPen(QPen(QColor(10, 30, 80), 2));
    for (int i = 1; i < 8; ++i) {
        const qreal x = body.left() + body.width() * i / 8.0;
        p.drawLine(QPointF(x, body.top() + 4), QPointF(x, body.top() + body.height() * 0.15));
    }
    const QRectF label(body.left(), body.top() + body.height() * 0.35, body.width(),
                       body.height() * 0.3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 200, 30));
    p.drawRect(label);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(int(label.height() * 0.55));
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(20, 20, 20));
    p.drawText(label, Qt::AlignCenter, QStringLiteral("OIL"));

    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(170, 170, 170));
    p.drawRect(
        QRectF(body.left() + body.width() * 0.1, body.bottom() - 2, body.width() * 0.8, h * 0.05));
    drawCaption(p, size, QStringLiteral("Фильтр масляный"), QColor(10, 40, 10), true);
}

// Flat colours only and no antialiasing: the picture is meant for 16 colours.
void drawBattery(QPainter &p, QSize size)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(QPoint(0, 0), size), flat(Sky));
    const QRectF area = partArea(size);
    const qreal w = area.width();
    const qreal h = area.height();
    p.fillRect(QRectF(0, h * 0.9, w, area.height() * 0.1), flat(LightGrey));

    const QRectF body(w * 0.15, h * 0.3, w * 0.7, h * 0.6);
    p.setPen(QPen(flat(Black), 2));
    p.setBrush(flat(Charcoal));
    p.drawRect(body);
    p.setBrush(flat(DarkGrey));
    p.drawRect(QRectF(body.left(), body.top() - h * 0.06, body.width(), h * 0.06));

    p.setBrush(flat(Red));
    p.drawRect(QRectF(w * 0.22, h * 0.15, w * 0.08, h * 0.09));
    p.setBrush(flat(Blue));
    p.drawRect(QRectF(w * 0.7, h * 0.15, w * 0.08, h * 0.09));

    const QRectF label(body.left() + body.width() * 0.1, body.top() + body.height() * 0.2,
                       body.width() * 0.8, body.height() * 0.45);
    p.setBrush(flat(Yellow));
    p.drawRect(label);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(int(label.height() * 0.35));
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    p.setPen(flat(Black));
    p.drawText(label, Qt::AlignCenter, QStringLiteral("12 В  60 А·ч"));
    p.setPen(flat(White));
    p.drawText(QRectF(w * 0.18, body.top(), w * 0.16, body.height() * 0.2), Qt::AlignCenter,
               QStringLiteral("+"));
    p.drawText(QRectF(w * 0.66, body.top(), w * 0.16, body.height() * 0.2), Qt::AlignCenter,
               QStringLiteral("−"));
    p.fillRect(QRectF(body.left(), body.bottom() - body.height() * 0.12, body.width(),
                      body.height() * 0.06),
               flat(Green));
    drawCaption(p, size, QStringLiteral("Аккумулятор"), flat(DarkBlue), false);
}

void drawHeadlight(QPainter &p, QSize size)
{
    paintStudio(p, size, QColor(40, 45, 60), QColor(90, 95, 110));
    const QRectF area = partArea(size);
    const qreal w = area.width();
    const qreal h = area.height();

    // Light beams first, so the lamp covers their start.
    p.setPen(QPen(QColor(255, 250, 200), 2));
    for (int i = -3; i <= 3; ++i)
        p.drawLine(QPointF(w * 0.55, h * 0.5), QPointF(w * 0.98, h * (0.5 + i * 0.11)));

    const QRectF housing(w * 0.08, h * 0.15, w * 0.55, h * 0.7);
    p.setPen(QPen(QColor(200, 200, 210), 4));
    p.setBrush(QColor(60, 60, 70));
    p.drawEllipse(housing);
    QRadialGradient lens(housing.center(), housing.height() * 0.42,
                         housing.center() - QPointF(housing.width() * 0.1, housing.height() * 0.1));
    lens.setColorAt(0, QColor(255, 255, 255));
    lens.setColorAt(0.4, QColor(250, 240, 170));
    lens.setColorAt(1, QColor(150, 140, 90));
    p.setPen(QPen(QColor(230, 230, 240), 2));
    p.setBrush(lens);
    p.drawEllipse(housing.adjusted(housing.width() * 0.08, housing.height() * 0.08,
                                   -housing.width() * 0.08, -housing.height() * 0.08));
    p.setBrush(QColor(255, 255, 255));
    p.setPen(Qt::NoPen);
    p.drawEllipse(housing.center(), housing.width() * 0.06, housing.height() * 0.06);
    drawCaption(p, size, QStringLiteral("Фара передняя"), QColor(255, 255, 255), true);
}

void drawPiston(QPainter &p, QSize size)
{
    paintStudio(p, size, QColor(245, 240, 250), QColor(220, 215, 235));
    const QRectF area = partArea(size);
    const qreal w = area.width();
    const qreal h = area.height();
    const QRectF crown(w * 0.3, h * 0.1, w * 0.4, h * 0.75);

    QLinearGradient alloy(crown.left(), 0, crown.right(), 0);
    alloy.setColorAt(0, QColor(150, 150, 155));
    alloy.setColorAt(0.4, QColor(235, 235, 240));
    alloy.setColorAt(1, QColor(120, 120, 125));
    p.setPen(QPen(QColor(60, 60, 65), 1.5));
    p.setBrush(alloy);
    p.drawRoundedRect(crown, 4, 4);
    p.setPen(QPen(QColor(50, 50, 55), 2));
    for (int i = 0; i < 3; ++i) {
        const qreal y = crown.top() + crown.height() * (0.1 + i * 0.08);
        p.drawLine(QPointF(crown.left(), y), QPointF(crown.right(), y));
    }
    p.setBrush(QColor(90, 90, 95));
    p.drawEllipse(QPointF(crown.center().x(), crown.top() + crown.height() * 0.6),
                  crown.width() * 0.12, crown.width() * 0.12);
    drawCaption(p, size, QStringLiteral("Поршень"), QColor(40, 20, 70), true);
}

// Larger than the photo box on purpose: an orange frame marks the edges, so
// clipping shows.
void drawWheel(QPainter &p, QSize size)
{
    paintStudio(p, size, QColor(215, 235, 215), QColor(245, 250, 245));
    const QRectF area = partArea(size);
    const QPointF c = area.center();
    const qreal r = qMin(area.width(), area.height()) * 0.46;

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 32));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(70, 70, 75), 3));
    for (int i = 0; i < 36; ++i) {
        const qreal a = qDegreesToRadians(i * 10.0);
        const QPointF dir(qCos(a), qSin(a));
        p.drawLine(c + dir * r * 0.82, c + dir * r * 0.97);
    }
    QRadialGradient rim(c, r * 0.72, c - QPointF(r * 0.2, r * 0.2));
    rim.setColorAt(0, QColor(250, 250, 252));
    rim.setColorAt(1, QColor(150, 155, 165));
    p.setPen(QPen(QColor(90, 90, 100), 2));
    p.setBrush(rim);
    p.drawEllipse(c, r * 0.72, r * 0.72);
    p.setBrush(QColor(200, 205, 215));
    for (int i = 0; i < 5; ++i) {
        QPainterPath spoke;
        const qreal a = qDegreesToRadians(i * 72.0);
        const QPointF dir(qCos(a), qSin(a));
        const QPointF side(-dir.y(), dir.x());
        spoke.moveTo(c + side * r * 0.08);
        spoke.lineTo(c + dir * r * 0.68 + side * r * 0.14);
        spoke.lineTo(c + dir * r * 0.68 - side * r * 0.14);
        spoke.lineTo(c - side * r * 0.08);
        spoke.closeSubpath();
        p.drawPath(spoke);
    }
    p.setBrush(QColor(60, 60, 70));
    p.drawEllipse(c, r * 0.12, r * 0.12);

    p.setPen(QPen(QColor(240, 120, 0), 6));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(3, 3, size.width() - 6, size.height() - 6));
    drawCaption(p, size, QStringLiteral("Колесо в сборе R16"), QColor(0, 60, 0), true);
}

} // namespace

QImage DemoPictures::draw(Subject subject, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (subject) {
    case Subject::BrakeDisc:
        drawBrakeDisc(p, size);
        break;
    case Subject::SparkPlug:
        drawSparkPlug(p, size);
        break;
    case Subject::OilFilter:
        drawOilFilter(p, size);
        break;
    case Subject::Battery:
        drawBattery(p, size);
        break;
    case Subject::Headlight:
        drawHeadlight(p, size);
        break;
    case Subject::Piston:
        drawPiston(p, size);
        break;
    case Subject::Wheel:
        drawWheel(p, size);
        break;
    }
    return image;
}

QImage DemoPictures::toIndexed8(const QImage &picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    // Qt keeps up to 256 colours exactly but reduces more to a fixed colour
    // cube, which bands the soft gradients badly. So the palette is made from
    // the most frequent colours, counted in bins of 5 bits per channel, each
    // bin standing for the mean of its pixels.
    constexpr int kBins = 1 << 15;
    const auto binOf = [](QRgb c) {
        return ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3);
    };
    std::vector<qint64> count(kBins), red(kBins), green(kBins), blue(kBins);
    QList<QRgb> exact;
    bool fitsExactly = true;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = row[x] | 0xff000000u;
            const int bin = binOf(c);
            ++count[bin];
            red[bin] += qRed(c);
            green[bin] += qGreen(c);
            blue[bin] += qBlue(c);
            if (fitsExactly && !exact.contains(c)) {
                exact.append(c);
                fitsExactly = exact.size() <= 256;
            }
        }
    }
    if (fitsExactly)
        return rgb.convertToFormat(QImage::Format_Indexed8, exact, Qt::ThresholdDither);

    std::vector<int> used;
    for (int bin = 0; bin < kBins; ++bin)
        if (count[bin] > 0)
            used.push_back(bin);
    // Ties go to the lower bin, so the result does not depend on the sort.
    std::stable_sort(used.begin(), used.end(), [&](int a, int b) { return count[a] > count[b]; });
    const auto meanOf = [&](int bin) {
        const qint64 n = count[bin];
        return qRgb(int(red[bin] / n), int(green[bin] / n), int(blue[bin] / n));
    };
    QList<QRgb> palette;
    for (size_t i = 0; i < used.size() && palette.size() < 256; ++i)
        palette.append(meanOf(used[i]));

    std::vector<int> indexOfBin(kBins, -1);
    for (int bin : used) {
        const QRgb c = meanOf(bin);
        int best = 0;
        int bestDistance = std::numeric_limits<int>::max();
        for (int i = 0; i < palette.size(); ++i) {
            const int dr = qRed(c) - qRed(palette[i]);
            const int dg = qGreen(c) - qGreen(palette[i]);
            const int db = qBlue(c) - qBlue(palette[i]);
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        indexOfBin[bin] = best;
    }

    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    indexed.setColorTable(palette);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *out = indexed.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            out[x] = uchar(indexOfBin[binOf(in[x])]);
    }
    return indexed;
}

QImage DemoPictures::toIndexed4(const QImage &picture)
{
    return picture.convertToFormat(QImage::Format_Indexed8, flatColours(),
                                   Qt::ThresholdDither | Qt::ColorOnly);
}

QList<QRgb> DemoPictures::sixteenColours()
{
    return flatColours();
}
