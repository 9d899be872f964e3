#pragma once

#include "ReportPages.h"

#include <QFont>
#include <QRectF>

class QPainter;
class QPaintDevice;

// Draws produced pages: the one routine behind the preview, the printer and
// the PDF file. `scale` is device pixels per tenth of a millimetre, and the
// painter's origin is the sheet's top-left corner.
class PagePainter
{
public:
    static void paint(QPainter &painter, const ReportPages &pages, int page, double scale);

    // The font of a text item on `device` at `scale`.
    static QFont font(const ReportFont &font, double scale, const QPaintDevice *device);
    // The rectangle a text item covers, in device pixels: as wide as its
    // longest line, as high as its lines, from its top-left corner.
    static QRectF textRect(const PageItem &item, const QFont &font, double scale,
                           const QPaintDevice *device);

    // An installed family with Cyrillic letters for a family the machine lacks.
    static QString family(const QString &requested);
};
