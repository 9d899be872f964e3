#include "Currency.h"

#include <QLocale>

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
