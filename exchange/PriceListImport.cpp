#include "PriceListImport.h"

#include "CatalogueSchema.h"

#include "recordset/Connection.h"
#include "recordset/Currency.h"
#include "recordset/Error.h"
#include "recordset/Statement.h"
#include "recordset/Transaction.h"

#include <QRegularExpression>
#include <limits>
#include <map>
#include <unordered_map>

namespace {

constexpr const char *kGoodsSql =
    "SELECT auto_id, codeTov, tovName, models, price, counts FROM tovars";
constexpr const char *kCategoriesSql = "SELECT cat_id, catName FROM category";
constexpr const char *kMakesSql = "SELECT auto_type, name FROM autotype";
constexpr const char *kCountriesSql = "SELECT country_id, country FROM country";
// A value left NULL keeps what the row holds.
constexpr const char *kUpdateSql =
    "UPDATE tovars SET price = coalesce(?1, price), counts = coalesce(?2, counts) "
    "WHERE auto_id = ?3";
constexpr const char *kInsertGoodsSql =
    "INSERT INTO tovars (codeTov, numSklad, cat_id, tovName, models, counts, price, auto_type, "
    "country_id) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)";

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

// Reference names ignoring case, to their keys.
std::map<QString, qint64> references(const Connection &connection, const char *sql)
{
    std::map<QString, qint64> names;
    Statement query(connection, sql);
    while (query.step())
        names.emplace(key(query.text(1)), query.integer(0));
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

PriceListImport::Plan PriceListImport::plan(const Connection &connection, const SheetTable &sheet,
                                            const PriceListMapping &mapping, const Options &options)
{
    using T = PriceListMapping::Target;
    std::vector<Goods> goods;
    std::unordered_map<QString, std::vector<size_t>> byCode, byName;
    {
        Statement query(connection, kGoodsSql);
        while (query.step()) {
            Goods g{query.integer(0), query.currency(4),
                    query.isNull(5) ? std::nullopt : std::optional<qint64>(query.integer(5))};
            const size_t index = goods.size();
            goods.push_back(g);
            if (!query.text(1).trimmed().isEmpty())
                byCode[key(query.text(1))].push_back(index);
            byName[nameKey(query.text(2), query.text(3))].push_back(index);
        }
    }
    const auto categories = references(connection, kCategoriesSql);
    const auto makes = references(connection, kMakesSql);
    const auto countries = references(connection, kCountriesSql);

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

void PriceListImport::apply(Connection &connection, const Plan &plan)
{
    Transaction transaction(connection);
    // The references new goods name, those made now included.
    const auto withNew = [&connection](const char *select, const char *insert,
                                       const QStringList &names) {
        std::map<QString, qint64> known = references(connection, select);
        Statement add(connection, insert);
        for (const QString &name : names) {
            add.bindText(1, name);
            add.step();
            known[key(name)] = add.lastInsertRowId();
            add.reset();
        }
        return known;
    };
    const auto categories =
        withNew(kCategoriesSql, CatalogueSchema::InsertCategorySql, plan.newCategories);
    const auto makes = withNew(kMakesSql, CatalogueSchema::InsertMakeSql, plan.newMakes);
    const auto countries =
        withNew(kCountriesSql, CatalogueSchema::InsertCountrySql, plan.newCountries);

    Statement update(connection, kUpdateSql);
    for (const Update &u : plan.updates) {
        if (u.price)
            update.bindCurrency(1, *u.price);
        if (u.count)
            update.bindInteger(2, *u.count);
        update.bindInteger(3, u.key);
        update.step();
        update.reset();
    }

    // A new row without a reference takes 0, as one added in the editor
    // with an empty reference list.
    const auto keyOf = [](const std::map<QString, qint64> &known, const QString &name) {
        const auto found = known.find(key(name));
        return name.isEmpty() || found == known.end() ? qint64(0) : found->second;
    };
    Statement insert(connection, kInsertGoodsSql);
    for (const Addition &a : plan.additions) {
        const auto text = [&insert](int parameter, const QString &value) {
            if (value.isEmpty())
                insert.bindNull(parameter);
            else
                insert.bindText(parameter, value);
        };
        text(1, a.code);
        if (a.warehouse)
            insert.bindInteger(2, *a.warehouse);
        insert.bindInteger(3, keyOf(categories, a.category));
        text(4, a.name);
        text(5, a.model);
        if (a.count)
            insert.bindInteger(6, *a.count);
        if (a.price)
            insert.bindCurrency(7, *a.price);
        insert.bindInteger(8, keyOf(makes, a.make));
        insert.bindInteger(9, keyOf(countries, a.country));
        insert.step();
        insert.reset();
    }
    transaction.commit();
}
