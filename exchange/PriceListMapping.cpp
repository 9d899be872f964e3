#include "PriceListMapping.h"

#include "CatalogueSchema.h"

#include <vector>

namespace {

struct TargetDescription
{
    const char *column; // of the goods
    const char *noun;
    // Titles that name it, the likeliest first.
    QStringList titles;
};

// In the order of PriceListMapping::Target.
const std::vector<TargetDescription> &targets()
{
    static const std::vector<TargetDescription> list = {
        {"codeTov",
         "артикул",
         {"артикул", "артикул производителя", "каталожный номер", "номер детали", "part number",
          "partnumber", "sku", "article", "oem", "код", "код товара"}},
        {"tovName",
         "наименование",
         {"наименование", "наименование товара", "название", "товар", "номенклатура", "описание",
          "name", "description"}},
        {"models",
         "модель",
         {"модель", "модели", "применяемость", "применение", "автомобиль", "model"}},
        {"counts",
         "количество",
         {"количество", "колво", "кол", "остаток", "остатки", "наличие", "в наличии", "шт", "qty",
          "quantity", "stock"}},
        {"price",
         "цена",
         {"цена", "цена руб", "стоимость", "цена розничная", "розничная цена", "розница", "price"}},
        {"cat_id",
         "категория",
         {"категория", "группа", "группа товаров", "раздел", "category", "group"}},
        {"auto_type", "марка", {"марка", "марка авто", "марка автомобиля", "make"}},
        {"country_id",
         "производитель",
         {"производитель", "страна", "страна производства", "страна происхождения", "country",
          "manufacturer"}},
        {"numSklad", "номер склада", {"склад", "склада", "номер склада", "warehouse"}},
    };
    return list;
}

// How well `title` names a target: 0 for its first synonym, higher for
// later ones and for titles that only begin with one; -1 for none.
int rank(const QString &title, const QStringList &names)
{
    for (qsizetype i = 0; i < names.size(); ++i)
        if (title == names[i])
            return int(i);
    for (qsizetype i = 0; i < names.size(); ++i)
        if (title.startsWith(names[i] + QLatin1Char(' ')))
            return int(names.size() + i);
    return -1;
}

} // namespace

int PriceListMapping::targetCount()
{
    return int(targets().size());
}

int PriceListMapping::goodsColumn(int target)
{
    // Found once: the names are the description's own.
    static const std::vector<int> columns = [] {
        std::vector<int> found;
        for (const TargetDescription &t : targets())
            found.push_back(CatalogueSchema::goods().indexOf(QString::fromLatin1(t.column)));
        return found;
    }();
    return columns[size_t(target)];
}

QString PriceListMapping::label(int target)
{
    return CatalogueSchema::goods().field(goodsColumn(target)).label;
}

QString PriceListMapping::noun(int target)
{
    return QString::fromUtf8(targets()[size_t(target)].noun);
}

QString PriceListMapping::normalized(const QString &title)
{
    QString text;
    for (QChar c : title.toLower()) {
        if (c == QChar(0x0451)) // ё
            c = QChar(0x0435);
        if (c.isLetterOrNumber())
            text += c;
        else if (c.isSpace() || c == QLatin1Char(',') || c == QLatin1Char('.') ||
                 c == QLatin1Char('/'))
            text += QLatin1Char(' ');
        // hyphens, "№", brackets: dropped ("кол-во" → "колво")
    }
    return text.simplified();
}

PriceListMapping PriceListMapping::guess(const QStringList &titles)
{
    PriceListMapping mapping;
    std::vector<bool> used(size_t(titles.size()), false);
    // The best pairs first: a title that names a target exactly beats one
    // that only begins like it.
    struct Pair
    {
        int rank, target, column;
    };
    std::vector<Pair> pairs;
    for (int target = 0; target < targetCount(); ++target)
        for (int column = 0; column < int(titles.size()); ++column) {
            const int r = rank(normalized(titles[column]), targets()[size_t(target)].titles);
            if (r >= 0)
                pairs.push_back({r, target, column});
        }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const Pair &a, const Pair &b) { return a.rank < b.rank; });
    for (const Pair &pair : pairs) {
        if (used[size_t(pair.column)] || mapping.isMapped(pair.target))
            continue;
        mapping.setColumn(pair.target, pair.column);
        used[size_t(pair.column)] = true;
    }
    return mapping;
}
