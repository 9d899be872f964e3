#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The text of a date-time element: the short date, a blank and the long
// time; only the date at exactly midnight.
class DateTimeText
{
public:
    static QString format(const QDateTime &moment, const QLocale &locale);

    // The locale's long time format without its time-zone part: the time
    // printed on a page shows hours, minutes and seconds only.
    static QString longTimeFormat(const QLocale &locale);
};
