#include "PriceListImport.h"

#include "CatalogueSchema.h"

#include "recordset/Currency.h"
#include "recordset/Error.h"
#include "recordset/RowStore.h"
#include "recordset/Store.h"
#include "recordset/Transaction.h"

#include <QRegularExpression>
#include <limits>
#include <map>
#include <unordered_map>

namespace {

// The columns of the goods that matching reads, in this order.
TableSchema matchedGoods()
{
    return TableSchema(QStringLiteral("tovars"),
                       {{QStringLiteral("auto_id"), FieldType::AutoInc, 0},
                        {QStringLiteral("codeTov"), FieldType::Text, 0},
                        {QStringLiteral("tovName"), FieldType::Text, 0},
                        {QStringLiteral("models"), FieldType::Text, 0},
                        {QStringLiteral("price"), FieldType::Currency, 0},
                        {QStringLiteral("counts"), FieldType::Integer, 0}});
}
enum MatchedColumn { MatchedKey, MatchedCode, MatchedName, MatchedModel, MatchedPrice, MatchedCount };

StoreValue textValue(const QString &text)
{
    return text.isEmpty() ? StoreValue{} : StoreValue{false, 0, text, {}};
}

StoreValue numberValue(const std::optional<qint64> &number)
{
    return number ? StoreValue{false, *number, {}, {}} : StoreValue{};
}

// The widths of the text columns that a line may fill.
constexpr int CodeWidth = 20;
constexpr int NameWidth = 100;
constexpr int ModelWidth = 50;
constexpr int ReferenceWidth = 50;

QString key(const QString &text)
{
    return text.simplified().toLower();
}

QString nameKey(const QString &name, const QString &model)
{
    return key(name) + QChar(0x1f) + key(model);
}

// Reference names ignoring case, to their keys; the table's key comes first
// and its name second.
std::map<QString, qint64> references(Store &store, const TableSchema &table)
{
    std::map<QString, qint64> names;
    RowStore rows(table);
    store.readAll(table, rows);
    for (int r = 0; r < rows.rowCount(); ++r)
        names.emplace(key(rows.text(r, 1)), rows.integer(r, 0));
    return names;
}

struct Goods
{
    qint64 key;
    std::optional<qint64> price;
    std::optional<qint64> count;
};

// One line's fields, by target; empty where the target is fed by none.
struct Line
{
    QString values[PriceListMapping::TargetCount];
    const QString &operator[](PriceListMapping::Target target) const { return values[target]; }
};

} // namespace

std::optional<qint64> PriceListImport::priceOf(const QString &text)
{
    static const QRegularExpression currency(QStringLiteral("\\s*(руб\\.?|р\\.?|₽)\\s*$"),
                                             QRegularExpression::CaseInsensitiveOption);
    QString t = text;
    t.remove(currency);
    t.remove(QLatin1Char(' '));
    t.remove(QChar(0x00a0)); // digit groups
    t.remove(QChar(0x202f));
    if (t.isEmpty())
        return std::nullopt;
    return Currency::fromText(t);
}

std::optional<qint64> PriceListImport::integerOf(const QString &text)
{
    QString t = text;
    t.remove(QLatin1Char(' '));
    t.remove(QChar(0x00a0));
    const auto amount = Currency::fromText(t);
    if (!amount || *amount % Currency::Scale != 0)
        return std::nullopt;
    const qint64 value = *amount / Currency::Scale;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return value;
}

PriceListImport::Plan PriceListImport::plan(Store &store, const SheetTable &sheet,
                                            const PriceListMapping &mapping, const Options &options)
{
    using T = PriceListMapping::Target;
    std::vector<Goods> goods;
    std::unordered_map<QString, std::vector<size_t>> byCode, byName;
    {
        const TableSchema matched = matchedGoods();
        RowStore rows(matched);
        store.readAll(matched, rows);
        goods.reserve(size_t(rows.rowCount()));
        const auto number = [&rows](int r, int column) {
            return rows.isNull(r, column) ? std::nullopt
                                          : std::optional<qint64>(rows.integer(r, column));
        };
        for (int r = 0; r < rows.rowCount(); ++r) {
            goods.push_back({rows.integer(r, MatchedKey), number(r, MatchedPrice),
                             number(r, MatchedCount)});
            const QString code = rows.text(r, MatchedCode);
            if (!code.trimmed().isEmpty())
                byCode[key(code)].push_back(goods.size() - 1);
            byName[nameKey(rows.text(r, MatchedName), rows.text(r, MatchedModel))].push_back(
                goods.size() - 1);
        }
    }
    const auto categories = references(store, CatalogueSchema::categories());
    const auto makes = references(store, CatalogueSchema::makes());
    const auto countries = references(store, CatalogueSchema::countries());

    Plan plan;
    std::map<size_t, int> changedBy; // goods row → the line that changes it
    std::map<QString, QString> newCategories, newMakes, newCountries; // by key, first spelling
    const auto refuse = [&plan](int line, const QString &why) {
        plan.refused << QStringLiteral("строка %1: %2").arg(line).arg(why);
    };
    for (size_t r = options.titleRow ? 1 : 0; r < sheet.rows.size(); ++r) {
        const int lineNumber = int(r) + 1;
        const QStringList &row = sheet.rows[r];
        Line line;
        bool empty = true;
        for (int t = 0; t < PriceListMapping::TargetCount; ++t) {
            const int column = mapping.column(T(t));
            if (column >= 0 && column < row.size())
                line.values[t] = row[column].trimmed();
            empty = empty && line.values[t].isEmpty();
        }
        if (empty)
            continue;

        // The numbers first: a line with a number that is none changes nothing.
        std::optional<qint64> price, count, warehouse;
        if (!line[T::Price].isEmpty()) {
            price = priceOf(line[T::Price]);
            if (!price) {
                refuse(lineNumber,
                       QStringLiteral("цена «%1» не является числом").arg(line[T::Price]));
                continue;
            }
            if (*price < 0 || !Currency::fitsStore(*price)) {
                refuse(lineNumber,
                       QStringLiteral("цена «%1» не годится для каталога").arg(line[T::Price]));
                continue;
            }
        }
        const auto integer = [&](T target, std::optional<qint64> &value, const char *what) {
            if (line[target].isEmpty())
                return true;
            value = integerOf(line[target]);
            if (!value)
                refuse(lineNumber, QStringLiteral("%1 «%2» не является целым числом")
                                       .arg(QString::fromUtf8(what), line[target]));
            return bool(value);
        };
        if (!integer(T::Count, count, "количество") ||
            !integer(T::Warehouse, warehouse, "номер склада"))
            continue;

        // By the article code where the line has one, else by name and model.
        const std::vector<size_t> *matches = nullptr;
        QString by;
        if (mapping.isMapped(T::Code) && !line[T::Code].isEmpty()) {
            const auto found = byCode.find(key(line[T::Code]));
            matches = found == byCode.end() ? nullptr : &found->second;
            by = QStringLiteral("артикул «%1»").arg(line[T::Code]);
        } else if (!line[T::Name].isEmpty()) {
            const auto found = byName.find(nameKey(line[T::Name], line[T::Model]));
            matches = found == byName.end() ? nullptr : &found->second;
            by = QStringLiteral("наименование «%1»").arg(line[T::Name]);
        } else {
            refuse(lineNumber, QStringLiteral("нет ни артикула, ни наименования"));
            continue;
        }
        if (matches && matches->size() > 1) {
            QStringList keys;
            for (const size_t index : *matches)
                keys << QString::number(goods[index].key);
            refuse(lineNumber, QStringLiteral("%1 есть у нескольких товаров (коды товара %2)")
                                   .arg(by, keys.join(QStringLiteral(", "))));
            continue;
        }
        if (matches) {
            const size_t index = matches->front();
            const auto earlier = changedBy.find(index);
            if (earlier != changedBy.end()) {
                refuse(lineNumber,
                       QStringLiteral("тот же товар, что в строке %1").arg(earlier->second));
                continue;
            }
            changedBy[index] = lineNumber;
            const Goods &g = goods[index];
            Update update{g.key, {}, {}};
            if (options.updatePrice && price && price != g.price)
                update.price = price;
            if (options.updateCount && count && count != g.count)
                update.count = count;
            if (update.price || update.count)
                plan.updates.push_back(update);
            else
                ++plan.unchanged;
            continue;
        }
        if (!options.addNew) {
            ++plan.notAdded;
            continue;
        }
        if (line[T::Name].isEmpty()) {
            refuse(lineNumber, QStringLiteral("у нового товара нет наименования"));
            continue;
        }
        const std::pair<T, int> widths[] = {
            {T::Code, CodeWidth},          {T::Name, NameWidth},      {T::Model, ModelWidth},
            {T::Category, ReferenceWidth}, {T::Make, ReferenceWidth}, {T::Country, ReferenceWidth}};
        bool fits = true;
        for (const auto &[target, width] : widths)
            if (fits && line[target].size() > width) {
                refuse(lineNumber, QStringLiteral("«%1» длиннее %2 символов")
                                       .arg(PriceListMapping::label(target))
                                       .arg(width));
                fits = false;
            }
        if (!fits)
            continue;
        const auto reference = [](const std::map<QString, qint64> &known,
                                  std::map<QString, QString> &added, const QString &name) {
            if (!name.isEmpty() && !known.count(key(name)))
                added.emplace(key(name), name.simplified());
        };
        reference(categories, newCategories, line[T::Category]);
        reference(makes, newMakes, line[T::Make]);
        reference(countries, newCountries, line[T::Country]);
        plan.additions.push_back({line[T::Code], line[T::Name], line[T::Model],
                                  line[T::Category].simplified(), line[T::Make].simplified(),
                                  line[T::Country].simplified(), price, count, warehouse});
    }
    for (const auto &[k, name] : newCategories)
        plan.newCategories << name;
    for (const auto &[k, name] : newMakes)
        plan.newMakes << name;
    for (const auto &[k, name] : newCountries)
        plan.newCountries << name;
    return plan;
}

void PriceListImport::apply(Store &store, const Plan &plan)
{
    Transaction transaction(store);
    // The references new goods name, those made now included.
    const auto withNew = [&store](const TableSchema &table, const QStringList &names) {
        std::map<QString, qint64> known = references(store, table);
        for (const QString &name : names)
            known[key(name)] = store.insert(table, {textValue(name)});
        return known;
    };
    const auto categories = withNew(CatalogueSchema::categories(), plan.newCategories);
    const auto makes = withNew(CatalogueSchema::makes(), plan.newMakes);
    const auto countries = withNew(CatalogueSchema::countries(), plan.newCountries);

    const TableSchema goods = CatalogueSchema::goods();
    const int price = goods.indexOf(QStringLiteral("price"));
    const int counts = goods.indexOf(QStringLiteral("counts"));
    for (const Update &u : plan.updates) {
        // A value the plan leaves out keeps what the row holds.
        std::vector<int> fields;
        std::vector<StoreValue> values;
        if (u.price) {
            fields.push_back(price);
            values.push_back(numberValue(u.price));
        }
        if (u.count) {
            fields.push_back(counts);
            values.push_back(numberValue(u.count));
        }
        if (!fields.empty())
            store.update(goods, u.key, fields, values);
    }

    // A new row without a reference takes 0, as one added in the editor
    // with an empty reference list.
    const auto keyOf = [](const std::map<QString, qint64> &known, const QString &name) {
        const auto found = known.find(key(name));
        return numberValue(name.isEmpty() || found == known.end() ? qint64(0) : found->second);
    };
    for (const Addition &a : plan.additions)
        // Every column but the key, in the table's order; no photo.
        store.insert(goods, {textValue(a.code), numberValue(a.warehouse),
                             keyOf(categories, a.category), textValue(a.name),
                             textValue(a.model), numberValue(a.count), numberValue(a.price),
                             keyOf(makes, a.make), keyOf(countries, a.country), StoreValue{}});
    transaction.commit();
}
