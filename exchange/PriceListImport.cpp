#include "PriceListImport.h"

#include "CatalogueSchema.h"

#include "journal/Journal.h"
#include "recordset/Currency.h"
#include "recordset/Error.h"
#include "recordset/RowStore.h"
#include "recordset/RowValues.h"
#include "recordset/RowWriter.h"
#include "recordset/Store.h"
#include "recordset/Transaction.h"

#include <QRegularExpression>
#include <limits>
#include <map>
#include <unordered_map>

namespace {

using T = PriceListMapping::Target;
using G = CatalogueSchema::Goods;
using Target = int; // a target of the mapping, named by T where matching names it

QString key(const QString &text)
{
    return text.simplified().toLower();
}

QString nameKey(const QString &name, const QString &model)
{
    return key(name) + QChar(0x1f) + key(model);
}

// Reference names ignoring case, to their keys.
using Names = std::map<QString, qint64>;

Names references(Store &store, const TableSchema &table)
{
    Names names;
    RowStore rows(table);
    store.readAll(table, rows);
    for (int r = 0; r < rows.rowCount(); ++r)
        names.emplace(key(rows.text(r, CatalogueSchema::ReferenceName)),
                      rows.integer(r, CatalogueSchema::ReferenceKey));
    return names;
}

// What a line's value for each target becomes, worked out once for the
// whole sheet: the goods column it fills, its type, whether it names a
// reference, and how long a text may be.
struct TargetColumn
{
    int column;
    FieldType type;
    bool reference;
    int width; // of the text, or of the reference's name; 0: no limit
};

const std::vector<TargetColumn> &targetColumns()
{
    static const std::vector<TargetColumn> columns = [] {
        const TableSchema goods = CatalogueSchema::goods();
        std::vector<TargetColumn> found;
        for (int t = 0; t < PriceListMapping::targetCount(); ++t) {
            const int column = PriceListMapping::goodsColumn(t);
            const auto table = CatalogueSchema::referencedBy(column);
            found.push_back({column, goods.field(column).type, table.has_value(),
                             table ? table->field(CatalogueSchema::ReferenceName).size
                                   : goods.field(column).size});
        }
        return found;
    }();
    return columns;
}

bool isReference(Target target)
{
    return targetColumns()[size_t(target)].reference;
}

FieldType typeOf(Target target)
{
    return targetColumns()[size_t(target)].type;
}

// The catalogue as matching sees it: every goods row's key, price and
// count, found by its article or by its name and model; and the names of
// each reference table, by the goods column that points into it.
struct Catalogue
{
    struct Goods
    {
        qint64 key;
        std::optional<qint64> price;
        std::optional<qint64> count;
    };
    std::vector<Goods> goods;
    std::unordered_map<QString, std::vector<size_t>> byCode, byName;
    std::map<int, Names> references; // by goods column

    explicit Catalogue(Store &store)
    {
        const std::vector<int> read = {G::GoodsKey, G::Code, G::Name, G::Model, G::Price, G::Count};
        enum { Key, Code, Name, Model, Price, Count }; // their places in `read`
        const TableSchema matched = CatalogueSchema::goods().only(read);
        RowStore rows(matched);
        store.readAll(matched, rows);
        goods.reserve(size_t(rows.rowCount()));
        const auto number = [&rows](int r, int column) {
            return rows.isNull(r, column) ? std::nullopt
                                          : std::optional<qint64>(rows.integer(r, column));
        };
        for (int r = 0; r < rows.rowCount(); ++r) {
            goods.push_back({rows.integer(r, Key), number(r, Price), number(r, Count)});
            const QString code = rows.text(r, Code);
            if (!code.trimmed().isEmpty())
                byCode[key(code)].push_back(goods.size() - 1);
            byName[nameKey(rows.text(r, Name), rows.text(r, Model))].push_back(goods.size() - 1);
        }
        for (int t = 0; t < PriceListMapping::targetCount(); ++t)
            if (const auto table = CatalogueSchema::referencedBy(PriceListMapping::goodsColumn(t)))
                references.emplace(PriceListMapping::goodsColumn(t), ::references(store, *table));
    }
};

// One line of the sheet: its fields by target (empty where the target is
// fed by none), and the numbers read from them.
struct Line
{
    int number = 0;
    std::vector<QString> values = std::vector<QString>(size_t(PriceListMapping::targetCount()));
    std::vector<std::optional<qint64>> numbers =
        std::vector<std::optional<qint64>>(size_t(PriceListMapping::targetCount()));

    const QString &operator[](Target target) const { return values[size_t(target)]; }
    const std::optional<qint64> &numberOf(Target target) const { return numbers[size_t(target)]; }
};

// Decides line by line, in the steps a line goes through: its fields, its
// numbers, the goods it matches, then what it changes or adds.
class Planner
{
public:
    Planner(Store &store, const PriceListMapping &mapping, const PriceListImport::Options &options)
        : catalogue_(store), mapping_(mapping), options_(options)
    {}

    void take(const QStringList &row, int lineNumber)
    {
        Line line;
        line.number = lineNumber;
        if (!readFields(row, line) || !readNumbers(line))
            return;
        const auto matched = match(line);
        if (!matched)
            return;
        if (*matched >= 0)
            planUpdate(line, size_t(*matched));
        else if (!options_.addNew)
            ++plan_.notAdded;
        else
            planAddition(line);
    }

    PriceListImport::Plan finish()
    {
        QStringList *lists[] = {&plan_.newCategories, &plan_.newMakes, &plan_.newCountries};
        const G columns[] = {G::Category, G::Make, G::Country};
        for (size_t i = 0; i < std::size(columns); ++i)
            for (const auto &[k, name] : newReferences_[columns[i]])
                *lists[i] << name;
        return std::move(plan_);
    }

private:
    void refuse(const Line &line, const QString &why)
    {
        plan_.refused << QStringLiteral("строка %1: %2").arg(line.number).arg(why);
    }

    // False for a line with nothing in the mapped columns.
    bool readFields(const QStringList &row, Line &line) const
    {
        bool empty = true;
        for (int t = 0; t < PriceListMapping::targetCount(); ++t) {
            const int column = mapping_.column(T(t));
            if (column >= 0 && column < row.size())
                line.values[size_t(t)] = row[column].trimmed();
            empty = empty && line.values[size_t(t)].isEmpty();
        }
        return !empty;
    }

    // A line with a number that is none changes nothing.
    bool readNumbers(Line &line)
    {
        for (int t = 0; t < PriceListMapping::targetCount(); ++t) {
            const Target target = t;
            const QString &text = line[target];
            if (text.isEmpty() || isReference(target))
                continue;
            const auto why = [&](const char *what) {
                refuse(line, QString::fromUtf8(what).arg(PriceListMapping::noun(target), text));
                return false;
            };
            if (typeOf(target) == FieldType::Currency) {
                const auto amount = PriceListImport::priceOf(text);
                if (!amount)
                    return why("%1 «%2» не является числом");
                if (*amount < 0 || !Currency::fitsStore(*amount))
                    return why("%1 «%2» не годится для каталога");
                line.numbers[size_t(target)] = amount;
            } else if (typeOf(target) == FieldType::Integer) {
                const auto value = PriceListImport::integerOf(text);
                if (!value)
                    return why("%1 «%2» не является целым числом");
                line.numbers[size_t(target)] = value;
            }
        }
        return true;
    }

    // By the article where the line has one, else by name and model: the
    // goods row's index, -1 for none; nothing when the line is refused.
    std::optional<int> match(const Line &line)
    {
        const std::vector<size_t> *matches = nullptr;
        QString by;
        if (mapping_.isMapped(T::Code) && !line[T::Code].isEmpty()) {
            const auto found = catalogue_.byCode.find(key(line[T::Code]));
            matches = found == catalogue_.byCode.end() ? nullptr : &found->second;
            by = QStringLiteral("артикул «%1»").arg(line[T::Code]);
        } else if (!line[T::Name].isEmpty()) {
            const auto found = catalogue_.byName.find(nameKey(line[T::Name], line[T::Model]));
            matches = found == catalogue_.byName.end() ? nullptr : &found->second;
            by = QStringLiteral("наименование «%1»").arg(line[T::Name]);
        } else {
            refuse(line, QStringLiteral("нет ни артикула, ни наименования"));
            return std::nullopt;
        }
        if (!matches)
            return -1;
        if (matches->size() > 1) {
            QStringList keys;
            for (const size_t index : *matches)
                keys << QString::number(catalogue_.goods[index].key);
            refuse(line, QStringLiteral("%1 есть у нескольких товаров (коды товара %2)")
                             .arg(by, keys.join(QStringLiteral(", "))));
            return std::nullopt;
        }
        const size_t index = matches->front();
        const auto earlier = changedBy_.find(index);
        if (earlier != changedBy_.end()) {
            refuse(line, QStringLiteral("тот же товар, что в строке %1").arg(earlier->second));
            return std::nullopt;
        }
        changedBy_[index] = line.number;
        return int(index);
    }

    void planUpdate(const Line &line, size_t index)
    {
        const Catalogue::Goods &g = catalogue_.goods[index];
        PriceListImport::Update update{g.key, {}, {}};
        const auto price = line.numberOf(T::Price);
        const auto count = line.numberOf(T::Count);
        if (options_.updatePrice && price && price != g.price)
            update.price = price;
        if (options_.updateCount && count && count != g.count)
            update.count = count;
        if (update.price || update.count)
            plan_.updates.push_back(update);
        else
            ++plan_.unchanged;
    }

    void planAddition(const Line &line)
    {
        if (line[T::Name].isEmpty()) {
            refuse(line, QStringLiteral("у нового товара нет наименования"));
            return;
        }
        // Texts as wide as their columns allow, reference names as wide as
        // the reference tables allow.
        for (int t = 0; t < PriceListMapping::targetCount(); ++t) {
            const TargetColumn &target = targetColumns()[size_t(t)];
            if (!target.reference && target.type != FieldType::Text)
                continue;
            if (target.width > 0 && line[t].size() > target.width) {
                refuse(line, QStringLiteral("«%1» длиннее %2 символов")
                                 .arg(PriceListMapping::label(t))
                                 .arg(target.width));
                return;
            }
        }
        PriceListImport::Addition addition;
        for (int t = 0; t < PriceListMapping::targetCount(); ++t) {
            const Target target = t;
            const int column = PriceListMapping::goodsColumn(target);
            const QString &text = line[target];
            if (isReference(target)) {
                const QString name = text.simplified();
                addition.references.emplace_back(column, name);
                if (!name.isEmpty() && !catalogue_.references[column].count(key(name)))
                    newReferences_[column].emplace(key(name), name);
            } else if (const auto number = line.numberOf(target)) {
                addition.numbers.emplace_back(column, *number);
            } else if (typeOf(target) == FieldType::Text && !text.isEmpty()) {
                addition.texts.emplace_back(column, text);
            }
        }
        plan_.additions.push_back(std::move(addition));
    }

    Catalogue catalogue_;
    const PriceListMapping &mapping_;
    const PriceListImport::Options &options_;
    PriceListImport::Plan plan_;
    std::map<size_t, int> changedBy_; // goods row → the line that changes it
    // References that new goods name and the catalogue lacks: by key, the
    // first spelling.
    std::map<int, std::map<QString, QString>> newReferences_;
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
    Planner planner(store, mapping, options);
    for (size_t r = options.titleRow ? 1 : 0; r < sheet.rows.size(); ++r)
        planner.take(sheet.rows[r], int(r) + 1);
    return planner.finish();
}

void PriceListImport::apply(Store &store, const Plan &plan)
{
    RowWriter writer(store);
    Transaction transaction(store, QString::fromLatin1(Journal::Road::Import));
    // Each reference table's names, those the plan adds made now.
    const std::pair<G, const QStringList *> added[] = {{G::Category, &plan.newCategories},
                                                       {G::Make, &plan.newMakes},
                                                       {G::Country, &plan.newCountries}};
    std::map<int, Names> known;
    for (const auto &[column, names] : added) {
        const TableSchema table = *CatalogueSchema::referencedBy(column);
        Names &keys = known[column] = references(store, table);
        for (const QString &name : *names)
            keys[key(name)] = writer.insert(
                table, RowValues(table).setText(CatalogueSchema::ReferenceName, name).withoutKey());
    }

    // Written in bulk: on a server without waiting for each row's answer.
    const TableSchema goods = CatalogueSchema::goods();
    std::vector<Store::RowChange> changes;
    changes.reserve(plan.updates.size());
    for (const Update &u : plan.updates) {
        // A value the plan leaves out keeps what the row holds.
        Store::RowChange change{u.key, {}, {}};
        for (const auto &[column, value] : {std::pair{G::Price, u.price}, {G::Count, u.count}})
            if (value) {
                change.fields.push_back(column);
                change.values.push_back(StoreValue{false, *value, {}, {}});
            }
        if (!change.fields.empty())
            changes.push_back(std::move(change));
    }
    writer.updateMany(goods, changes);

    std::vector<std::vector<StoreValue>> rows;
    rows.reserve(plan.additions.size());
    for (const Addition &a : plan.additions) {
        // No photo; a reference without a name takes 0, as a row added in
        // the editor with an empty reference list.
        RowValues row(goods);
        for (const auto &[column, number] : a.numbers)
            row.setNumber(column, number);
        for (const auto &[column, text] : a.texts)
            row.setText(column, text);
        for (const auto &[column, name] : a.references) {
            const Names &names = known[column];
            const auto found = names.find(key(name));
            row.setNumber(column, name.isEmpty() || found == names.end() ? 0 : found->second);
        }
        rows.push_back(row.withoutKey());
    }
    writer.insertMany(goods, rows);
    transaction.commit();
}
