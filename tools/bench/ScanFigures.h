#pragma once

#include <QString>
#include <functional>

class Cursor;

// A scan at the counter: how long finding the part a code names takes on the
// goods cursor's snapshot, beside the same search as a query of the file's
// unindexed article column.
class ScanFigures
{
public:
    // `add` takes a figure: what, ours in ms, a baseline in ms (0: none), the baseline.
    using Add = std::function<void(const QString &, double, double, const QString &)>;
    static void measure(const Cursor &goods, const QString &catalogue, const Add &add);
};
