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
    // A fractional amount goes into the column as a double, which keeps this
    // many significant decimal digits exactly.
    static constexpr int StoredDigits = 15;

    // Reads "150", "-1,5", "99.9901", with blanks around allowed. The given
    // decimal separator, the point or the comma separates the fraction (with
    // no grouping accepted, either reading is unambiguous). Nothing else is
    // accepted: no more than 4 decimals, no exponent.
    static std::optional<qint64> parse(const QString &text, QChar decimalSeparator);
    // At least two decimals, up to four when the value needs them: "150,00", "12,3456".
    static QString format(qint64 value, QChar decimalSeparator);
    static QChar systemDecimalSeparator();

    // The column holds the amount itself, as any other program reads it: a
    // whole amount as an integer, any other as the nearest double. Amounts
    // read from it, whoever wrote them, are rounded to the nearest
    // ten-thousandth, half away from zero; none when out of range.
    static bool isWhole(qint64 value) { return value % Scale == 0; }
    static double toReal(qint64 value) { return double(value) / double(Scale); }
    static std::optional<qint64> fromUnits(qint64 units);
    static std::optional<qint64> fromReal(double units);
    // A numeric text another program left in the column: "350", "289,5",
    // "1.5e3", any number of decimals.
    static std::optional<qint64> fromText(const QString &text);
    // True when the value comes back from the column exactly as it went in:
    // whole, or with at most StoredDigits significant digits.
    static bool fitsStore(qint64 value);
};
