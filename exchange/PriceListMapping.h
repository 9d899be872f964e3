#pragma once

#include "CatalogueSchema.h"

#include <QString>
#include <QStringList>
#include <array>

// Which column of a supplier's sheet feeds which column of the goods.
class PriceListMapping
{
public:
    // The goods columns a sheet can feed, in the order the import window
    // lists them.
    enum Target {
        Code,
        Name,
        Model,
        Count,
        Price,
        Category,
        Make,
        Country,
        Warehouse,
        TargetCount
    };

    // The goods column that a target feeds.
    static CatalogueSchema::Goods goodsColumn(Target target);
    // How a user knows the column: "Артикул", "Наименование", ...
    static QString label(Target target);
    // How a message names a value of it: "цена", "количество", ...
    static QString noun(Target target);

    // A sheet column, or -1 when the target is fed by none.
    int column(Target target) const { return columns_[size_t(target)]; }
    void setColumn(Target target, int column) { columns_[size_t(target)] = column; }
    bool isMapped(Target target) const { return column(target) >= 0; }

    // Guessed from a title row: Russian titles and their usual variants
    // ("Цена, руб.", "Кол-во", "Остаток", ...); each sheet column feeds at
    // most one target.
    static PriceListMapping guess(const QStringList &titles);
    // A title as it is compared: lower case, "ё" as "е", no punctuation.
    static QString normalized(const QString &title);

private:
    std::array<int, TargetCount> columns_ = unmapped();
    static std::array<int, TargetCount> unmapped();
};
