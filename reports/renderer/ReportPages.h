#pragma once

#include "ReportDefinition.h"

#include <QRect>
#include <QString>

#include <vector>

// A decoded picture: width * height pixels, 0xAARRGGBB, top row first.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<quint32> argb;

    bool isNull() const { return width <= 0 || height <= 0; }
    bool operator==(const Picture &other) const
    {
        return width == other.width && height == other.height && argb == other.argb;
    }
};

// One thing printed on a page. Positions are in tenths of a millimetre from
// the sheet's top-left corner.
struct PageItem
{
    enum class Kind : quint8 {
        Fill,    // `rect` filled with `colour`
        Rule,    // a line along `rect` (of zero width or height), `ruleWidth` thick
        Text,    // `text` from the top-left corner of `rect`, on a white ground
        Picture, // `pictures[picture]` stretched over `rect`, cut to `clip`
        // A barcode's bars across `rect`, quiet zones included: `text` gives
        // each module, '0' space, '1' bar, '2' guard bar. Modules share the
        // width evenly, so the bars keep their proportions at any resolution;
        // bars stop `ruleWidth` above the bottom, guard bars go down to it.
        Bars,
    };

    Kind kind = Kind::Fill;
    qint16 font = -1;     // Text: index into ReportPages::fonts
    qint16 ruleWidth = 0; // Rule: tenths of a point; Bars: tenths of a millimetre
    quint32 colour = 0;   // Fill, Rule
    // Text: the laid-out box, of which only the top-left corner counts: the
    // text is sized when drawn and always prints whole, its lines split at '\n'.
    QRect rect;
    QString text;
    qint32 picture = -1;
    QRect clip;

    bool operator==(const PageItem &other) const
    {
        return kind == other.kind && font == other.font && ruleWidth == other.ruleWidth &&
               colour == other.colour && rect == other.rect && text == other.text &&
               picture == other.picture && clip == other.clip;
    }
};

struct ReportPage
{
    std::vector<PageItem> items; // in painting order

    bool operator==(const ReportPage &other) const { return items == other.items; }
};

// Produced pages, with the fonts and pictures that their items refer to.
struct ReportPages
{
    QString title;
    int pageWidth = 2100;
    int pageHeight = 2970;
    std::vector<ReportFont> fonts;
    std::vector<Picture> pictures;
    std::vector<ReportPage> pages;

    bool operator==(const ReportPages &other) const
    {
        return title == other.title && pageWidth == other.pageWidth &&
               pageHeight == other.pageHeight && fonts == other.fonts &&
               pictures == other.pictures && pages == other.pages;
    }
};
