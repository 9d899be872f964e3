#pragma once

#include <QString>
#include <functional>

// The spreadsheet commands at the catalogue's size: the found list out to a
// workbook and to CSV, and a price list of as many lines in, half of them
// new goods. The catalogue is put back as it was afterwards; on a server its
// tables are dropped instead, to be copied anew by the next run.
class ExchangeFigures
{
public:
    // `add` takes a figure: what, ours in ms, a baseline in ms (0: none), the baseline.
    using Add = std::function<void(const QString &, double, double, const QString &)>;
    static void measure(int goods, bool onServer, const Add &add);
};
