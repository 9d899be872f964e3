#pragma once

#include "jet/ConversionSummary.h"

#include <QDate>
#include <QString>

class QWidget;

// Start-up with a shop's older catalogue in the folder: when the catalogue
// file is a Jet database, the program asks before its main window shows
// whether to convert it. Yes converts it (the original kept beside it under
// its own name) and shows what was brought over; No leaves every file as it
// is, and the catalogue then fails to open as any foreign file does.
class JetStartup
{
public:
    // Asks and converts as above; failures are shown and start-up goes on.
    static void offer(const QString &catalogue, const QDate &today = QDate::currentDate());

    static QString question(const QString &catalogue, const QString &kept);
    // What a conversion brought over, in an information box.
    static void showSummary(const QString &heading, const ConversionSummary &summary,
                            const QString &closing, QWidget *owner = nullptr);
    // Items of each list the box names before «и ещё».
    static constexpr int ShownItems = 12;
    static constexpr const char *Caption = "Перенос каталога";
};
