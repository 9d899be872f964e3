#pragma once

#include "TextMeasure.h"

#include <QStringList>

// Fitting a label's texts into their width: whole words to a line where they
// fit, long words split between letters, and what does not fit shortened
// with an ellipsis. A letter is never cut, combining marks stay with theirs.
class LabelText
{
public:
    // At most `maxLines` lines, each no wider than `width`.
    static QStringList wrap(const QString &text, const ReportFont &font, double width, int maxLines,
                            const TextMeasure &measure);
    // `text` whole if it fits, else its start with "…".
    static QString elide(const QString &text, const ReportFont &font, double width,
                         const TextMeasure &measure);
};
