#pragma once

#include <QStringList>
#include <functional>
#include <vector>

// A sheet as read from a file: every line, each a list of texts, with empty
// lines kept so that line numbers match what the user sees.
struct SheetTable
{
    std::vector<QStringList> rows;

    int columnCount() const
    {
        int count = 0;
        for (const QStringList &row : rows)
            count = std::max(count, int(row.size()));
        return count;
    }
};

// Called now and then while a file is read, with the share done in percent;
// false gives up.
using ReadProgress = std::function<bool(int percent)>;
