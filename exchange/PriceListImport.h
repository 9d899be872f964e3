#pragma once

#include "PriceListMapping.h"
#include "SheetTable.h"

#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

class Store;

// A supplier's price list brought into the catalogue: first a plan of what
// would change, shown to the user, then the plan written in one transaction.
class PriceListImport
{
public:
    struct Options
    {
        bool titleRow = true; // the first line holds titles, not goods
        bool updatePrice = true;
        bool updateCount = true;
        bool addNew = false; // lines that match no goods row become new goods
    };

    struct Update
    {
        qint64 key = 0;
        std::optional<qint64> price; // ten-thousandths; none: unchanged
        std::optional<qint64> count;
    };
    // A new goods row: the columns the line fills, by goods column, and for
    // each reference column the name of the reference (keyed when written).
    // Pairs rather than maps: a price list may add a hundred thousand rows.
    struct Addition
    {
        std::vector<std::pair<int, qint64>> numbers;
        std::vector<std::pair<int, QString>> texts;
        std::vector<std::pair<int, QString>> references;
    };
    struct Plan
    {
        std::vector<Update> updates;
        std::vector<Addition> additions;
        int unchanged = 0; // matched, and nothing to change
        int notAdded = 0;  // matched nothing, and new goods are not wanted
        QStringList refused; // "строка 17: цена «12,3,4» не является числом"
        // References that new goods name and the catalogue does not have yet.
        QStringList newCategories, newMakes, newCountries;
    };

    // Reads the catalogue from `store` and decides, line by line.
    static Plan plan(Store &store, const SheetTable &sheet, const PriceListMapping &mapping,
                     const Options &options);
    // Writes the plan in one transaction: all of it, or nothing (Error).
    static void apply(Store &store, const Plan &plan);

    // The amount a price list's cell holds: "1 234,50", "289.9", "350 руб.".
    static std::optional<qint64> priceOf(const QString &text);
    // A whole number: "12", "12,0", " 7 ".
    static std::optional<qint64> integerOf(const QString &text);
};
