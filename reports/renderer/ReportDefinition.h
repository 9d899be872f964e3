#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

// A banded report as it is laid out: page set-up, bands and their elements.
// All geometry is in tenths of a millimetre; element positions are relative
// to the top-left corner of their band.

// Colours are 0xAARRGGBB.
constexpr quint32 ReportBlack = 0xff000000;
constexpr quint32 ReportWhite = 0xffffffff;

struct ReportFont
{
    QString family;
    int pointSize = 10;
    bool bold = false;
    // None: the system's window-text colour, looked up when the page is drawn.
    std::optional<quint32> colour;

    bool operator==(const ReportFont &other) const
    {
        return family == other.family && pointSize == other.pointSize && bold == other.bold &&
               colour == other.colour;
    }
    bool operator!=(const ReportFont &other) const { return !(*this == other); }
};

struct ReportElement
{
    enum class Kind {
        Label,       // prints `text`, its caption
        DataText,    // prints the display text of the column named `text`
        DateTime,    // prints the date and time of production
        DataPicture, // prints the picture stored in the column named `text`
    };

    Kind kind = Kind::Label;
    QString text;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::optional<ReportFont> font;  // none: the report's default font
    std::optional<quint32> colour;   // overrides the font's colour
};

struct ReportBand
{
    enum class Kind { Title, ColumnHeader, Detail, PageFooter };

    Kind kind = Kind::Detail;
    int height = 0;
    quint32 colour = ReportWhite; // fills the whole band before its elements print
    std::vector<ReportElement> elements;
};

// Rules drawn over each finished page along chosen edges of the printable area.
struct ReportFrame
{
    bool top = false;
    bool bottom = false;
    bool left = false;
    bool right = false;
    int widthPoints = 1;
    quint32 colour = ReportBlack;
};

struct ReportDefinition
{
    enum Option : unsigned {
        LastPageFooter = 1,  // the page footer also prints on the last page
        PrintIfEmpty = 2,    // no rows still give a page: the title and one empty detail band
        FirstPageHeader = 4, // a page header would print on page 1 too (no band uses it yet)
    };

    int pageWidth = 2100; // A4 portrait
    int pageHeight = 2970;
    int leftMargin = 100;
    int topMargin = 100;
    int rightMargin = 100;
    int bottomMargin = 100;
    ReportFont font{QStringLiteral("Arial"), 10, false, std::nullopt};
    QString title; // names the preview window and the print job; may be empty
    unsigned options = LastPageFooter | PrintIfEmpty | FirstPageHeader;
    ReportFrame frame;
    std::vector<ReportBand> bands; // in printing order, at most one of each kind

    bool has(Option option) const { return (options & option) != 0; }
    int printableWidth() const { return pageWidth - leftMargin - rightMargin; }
    int printableHeight() const { return pageHeight - topMargin - bottomMargin; }

    const ReportBand *band(ReportBand::Kind kind) const
    {
        for (const ReportBand &b : bands)
            if (b.kind == kind)
                return &b;
        return nullptr;
    }
};
