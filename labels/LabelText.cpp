#include "LabelText.h"

#include <QTextBoundaryFinder>

namespace {

const QString Ellipsis = QStringLiteral("…");

// Where letters begin in `text`, its end included.
std::vector<qsizetype> letterBounds(const QString &text)
{
    std::vector<qsizetype> bounds;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = 0; at >= 0; at = finder.toNextBoundary())
        bounds.push_back(at);
    return bounds;
}

// The most letters of `text` from its start that fit, followed by `tail`.
qsizetype fittingLength(const QString &text, const QString &tail, const ReportFont &font,
                        double width, const TextMeasure &measure)
{
    const std::vector<qsizetype> bounds = letterBounds(text);
    // Widths grow with the letters taken: a binary search finds the last fit.
    size_t low = 0;
    size_t high = bounds.size() - 1;
    while (low < high) {
        const size_t middle = (low + high + 1) / 2;
        if (measure.width(font, text.left(bounds[middle]) + tail) <= width)
            low = middle;
        else
            high = middle - 1;
    }
    return bounds[low];
}

} // namespace

QString LabelText::elide(const QString &text, const ReportFont &font, double width,
                         const TextMeasure &measure)
{
    if (measure.width(font, text) <= width)
        return text;
    const qsizetype length = fittingLength(text, Ellipsis, font, width, measure);
    return text.left(length).trimmed() + Ellipsis;
}

QStringList LabelText::wrap(const QString &text, const ReportFont &font, double width, int maxLines,
                            const TextMeasure &measure)
{
    QStringList lines;
    QString rest = text.simplified();
    while (!rest.isEmpty() && lines.size() < maxLines) {
        if (lines.size() + 1 == maxLines || measure.width(font, rest) <= width) {
            lines.append(elide(rest, font, width, measure));
            break;
        }
        // The longest run of whole words that fits, else as many letters as fit.
        qsizetype cut = -1;
        for (qsizetype space = rest.indexOf(QLatin1Char(' ')); space > 0;
             space = rest.indexOf(QLatin1Char(' '), space + 1)) {
            if (measure.width(font, rest.left(space)) > width)
                break;
            cut = space;
        }
        if (cut > 0) {
            lines.append(rest.left(cut));
            rest = rest.mid(cut + 1);
        } else {
            qsizetype length = fittingLength(rest, QString(), font, width, measure);
            if (length == 0) // not even one letter fits: it goes on a line of its own
                length = letterBounds(rest)[1];
            lines.append(rest.left(length));
            rest = rest.mid(length).trimmed();
        }
    }
    return lines;
}
