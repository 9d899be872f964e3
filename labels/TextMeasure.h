#pragma once

#include "reports/renderer/ReportDefinition.h"

#include <QString>

#include <functional>

// How large a text prints in a report font, in tenths of a millimetre: what
// laying out a label needs of the fonts, which only the GUI knows.
struct TextMeasure
{
    std::function<double(const ReportFont &, const QString &)> width;
    std::function<double(const ReportFont &)> lineHeight;
};
