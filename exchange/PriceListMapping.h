#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// Which column of a supplier's sheet feeds which column of the goods.
class PriceListMapping
{
public:
    // The goods columns a sheet can feed, in the order the import window
    // lists them, targetCount() of them; these first ones are those that
    // matching and its messages name.
    enum Target { Code, Name, Model, Count, Price, Category, Make, Country, Warehouse };
    static int targetCount();

    // The goods column that a target feeds.
    static int goodsColumn(int target);
    // How a user knows the column: "Артикул", "Наименование", ...
    static QString label(int target);
    // How a message names a value of it: "цена", "количество", ...
    static QString noun(int target);

    // A sheet column, or -1 when the target is fed by none.
    int column(int target) const { return columns_[size_t(target)]; }
    void setColumn(int target, int column) { columns_[size_t(target)] = column; }
    bool isMapped(int target) const { return column(target) >= 0; }

    // Guessed from a title row: Russian titles and their usual variants
    // ("Цена, руб.", "Кол-во", "Остаток", ...); each sheet column feeds at
    // most one target.
    static PriceListMapping guess(const QStringList &titles);
    // A title as it is compared: lower case, "ё" as "е", no punctuation.
    static QString normalized(const QString &title);

private:
    std::vector<int> columns_ = std::vector<int>(size_t(targetCount()), -1);
};
