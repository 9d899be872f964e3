#pragma once

#include <QString>
#include <limits>
#include <optional>

// Exact money amounts as a count of ten-thousandths (4 decimal places), never
// as binary floating point.
class Currency
{
public:
    static constexpr qint64 Scale = 10000;
    // The range of a 64-bit count: ±922 337 203 685 477,5807.
    static constexpr qint64 Limit = std::numeric_limits<qint64>::max();

    // Reads "150", "-1,5", "99.9901", with blanks around allowed. The given
    // decimal separator, the point or the comma separates the fraction (with
    // no grouping accepted, either reading is unambiguous). Nothing else is
    // accepted: no more than 4 decimals, no exponent.
    static std::optional<qint64> parse(const QString &text, QChar decimalSeparator);
    // At least two decimals, up to four when the value needs them: "150,00", "12,3456".
    static QString format(qint64 value, QChar decimalSeparator);
    static QChar systemDecimalSeparator();
};
