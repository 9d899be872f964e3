#pragma once

#include <QString>
#include <QStringList>

// What a conversion brought over and every decision it took, in words for
// the shop: shown in a message box and printed by the catalogue tool.
struct ConversionSummary
{
    qint64 goods = 0;
    qint64 photos = 0;
    qint64 categories = 0;
    qint64 makes = 0;
    qint64 countries = 0;
    // Rows that needed a decision: by key and reason, one sentence each.
    QStringList decisions;
    // Tables and columns the program does not use, left behind.
    QStringList leftBehind;
    // Columns of another type taken without loss.
    QStringList converted;

    // With `most`, each list shows that many items and says how many more.
    QString text(int most = -1) const;
};
