#include "PriceListMapping.h"

#include <vector>

namespace {

struct TargetDescription
{
    CatalogueSchema::Goods column;
    const char *noun;
    // Titles that name it, the likeliest first.
    QStringList titles;
};

// In the order of PriceListMapping::Target.
const std::vector<TargetDescription> &targets()
{
    using G = CatalogueSchema::Goods;
    static const std::vector<TargetDescription> list = {
        {G::Code,
         "артикул",
         {"артикул", "артикул производителя", "каталожный номер", "номер детали", "part number",
          "partnumber", "sku", "article", "oem", "код", "код товара"}},
        {G::Name,
         "наименование",
         {"наименование", "наименование товара", "название", "товар", "номенклатура", "описание",
          "name", "description"}},
        {G::Model,
         "модель",
         {"модель", "модели", "применяемость", "применение", "автомобиль", "model"}},
        {G::Count,
         "количество",
         {"количество", "колво", "кол", "остаток", "остатки", "наличие", "в наличии", "шт", "qty",
          "quantity", "stock"}},
        {G::Price,
         "цена",
         {"цена", "цена руб", "стоимость", "цена розничная", "розничная цена", "розница", "price"}},
        {G::Category,
         "категория",
         {"категория", "группа", "группа товаров", "раздел", "category", "group"}},
        {G::Make, "марка", {"марка", "марка авто", "марка автомобиля", "make"}},
        {G::Country,
         "производитель",
         {"производитель", "страна", "страна производства", "страна происхождения", "country",
          "manufacturer"}},
        {G::Warehouse, "номер склада", {"склад", "склада", "номер склада", "warehouse"}},
    };
    Q_ASSERT(list.size() == size_t(PriceListMapping::TargetCount));
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

CatalogueSchema::Goods PriceListMapping::goodsColumn(Target target)
{
    return targets()[size_t(target)].column;
}

QString PriceListMapping::label(Target target)
{
    return CatalogueSchema::goods().field(goodsColumn(target)).label;
}

QString PriceListMapping::noun(Target target)
{
    return QString::fromUtf8(targets()[size_t(target)].noun);
}

std::array<int, PriceListMapping::TargetCount> PriceListMapping::unmapped()
{
    std::array<int, TargetCount> columns;
    columns.fill(-1);
    return columns;
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
    for (int target = 0; target < TargetCount; ++target)
        for (int column = 0; column < int(titles.size()); ++column) {
            const int r = rank(normalized(titles[column]), targets()[size_t(target)].titles);
            if (r >= 0)
                pairs.push_back({r, target, column});
        }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const Pair &a, const Pair &b) { return a.rank < b.rank; });
    for (const Pair &pair : pairs) {
        if (used[size_t(pair.column)] || mapping.isMapped(Target(pair.target)))
            continue;
        mapping.setColumn(Target(pair.target), pair.column);
        used[size_t(pair.column)] = true;
    }
    return mapping;
}
