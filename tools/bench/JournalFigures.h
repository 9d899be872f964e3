#pragma once

#include <QString>
#include <functional>

// The journal at a busy shop's size: what a year of changes adds to the
// catalogue, what a change costs the trigger, and how fast the journal's
// pages read over a million records. The records made are removed again.
class JournalFigures
{
public:
    // `add` takes a figure: what, ours in ms, a baseline in ms (0: none), the baseline.
    using Add = std::function<void(const QString &, double, double, const QString &)>;
    // `open` shows the journal's window and returns once its first page is
    // painted; empty: that figure is left out.
    static void measure(const QString &catalogue, const Add &add,
                        const std::function<void()> &open = {});
};
