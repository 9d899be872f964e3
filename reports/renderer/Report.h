#pragma once

#include "ReportData.h"
#include "ReportDefinition.h"
#include "ReportPages.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>

#include <functional>

// A report definition bound to its rows, with what production takes from
// outside: the picture decoder, the clock and the locale of the date-time.
struct Report
{
    using PictureDecoder = std::function<Picture(const QByteArray &)>;
    using Clock = std::function<QDateTime()>;

    ReportDefinition definition;
    ReportData *data = nullptr;
    // Turns a picture column's content into pixels; may throw Error for
    // content that is no picture. Without a decoder pictures print nothing.
    PictureDecoder decodePicture;
    Clock clock = [] { return QDateTime::currentDateTime(); };
    QLocale locale = QLocale::system();
};
