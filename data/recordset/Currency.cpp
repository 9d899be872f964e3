#include "Currency.h"

#include <QLocale>
#include <cmath>

std::optional<qint64> Currency::parse(const QString &text, QChar decimalSeparator)
{
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    qint64 units = 0;
    int integerDigits = 0;
    while (i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9')) {
        units = units * 10 + (t[i].unicode() - '0');
        if (units > Limit / Scale)
            return std::nullopt;
        ++integerDigits;
        ++i;
    }
    qint64 fraction = 0;
    int fractionDigits = 0;
    if (i < t.size() && (t[i] == decimalSeparator || t[i] == QLatin1Char('.') ||
                         t[i] == QLatin1Char(','))) {
        ++i;
        while (i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9')) {
            if (++fractionDigits > 4)
                return std::nullopt;
            fraction = fraction * 10 + (t[i].unicode() - '0');
            ++i;
        }
    }
    if (i != t.size() || integerDigits + fractionDigits == 0)
        return std::nullopt;
    for (int d = fractionDigits; d < 4; ++d)
        fraction *= 10;
    if (units == Limit / Scale && fraction > Limit % Scale)
        return std::nullopt;
    const qint64 value = units * Scale + fraction;
    return negative ? -value : value;
}

QString Currency::format(qint64 value, QChar decimalSeparator)
{
    const bool negative = value < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(value) : quint64(value);
    QString fraction = QString::number(magnitude % Scale).rightJustified(4, QLatin1Char('0'));
    while (fraction.size() > 2 && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    QString result = QString::number(magnitude / Scale);
    if (negative)
        result.prepend(QLatin1Char('-'));
    return result + decimalSeparator + fraction;
}

QChar Currency::systemDecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.size() == 1 ? point[0] : QLatin1Char('.');
}

std::optional<qint64> Currency::fromUnits(qint64 units)
{
    if (units > Limit / Scale || units < -(Limit / Scale))
        return std::nullopt;
    return units * Scale;
}

std::optional<qint64> Currency::fromReal(double units)
{
    // With at most 15 significant digits the product lies within a quarter
    // of the exact count, so rounding it gives the count back.
    const double scaled = units * double(Scale);
    if (!(std::abs(scaled) < 9.2e18))
        return std::nullopt;
    return qint64(std::llround(scaled));
}

std::optional<qint64> Currency::fromText(const QString &text)
{
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        negative = t[i++] == QLatin1Char('-');
    // The digits of the mantissa without its separator, and where it stood.
    QByteArray digits;
    int pointAt = -1;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += char(c.unicode());
        else if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && pointAt < 0)
            pointAt = int(digits.size());
        else
            break;
    }
    if (digits.isEmpty())
        return std::nullopt;
    int exponent = 0;
    if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        bool ok = false;
        exponent = t.mid(i + 1).toInt(&ok);
        if (!ok || exponent > 30 || exponent < -30)
            return std::nullopt;
        i = int(t.size());
    }
    if (i != t.size())
        return std::nullopt;
    if (pointAt < 0)
        pointAt = int(digits.size());
    // Digits before the 4th decimal make the count; the next one rounds it.
    const int countDigits = pointAt + exponent + 4;
    qint64 count = 0;
    for (int d = 0; d < countDigits; ++d) {
        const int digit = d < digits.size() ? digits[d] - '0' : 0;
        if (count > (Limit - digit) / 10)
            return std::nullopt;
        count = count * 10 + digit;
    }
    if (countDigits >= 0 && countDigits < digits.size() && digits[countDigits] >= '5') {
        if (count == Limit)
            return std::nullopt;
        ++count;
    }
    return negative ? -count : count;
}

bool Currency::fitsStore(qint64 value)
{
    if (isWhole(value))
        return true;
    quint64 magnitude = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    while (magnitude % 10 == 0)
        magnitude /= 10;
    int digits = 0;
    for (; magnitude > 0; magnitude /= 10)
        ++digits;
    return digits <= StoredDigits;
}
