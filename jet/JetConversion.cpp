#include "JetConversion.h"

#include "CatalogueSchema.h"
#include "ConversionTarget.h"
#include "JetFile.h"
#include "JetTable.h"
#include "journal/Journal.h"
#include "recordset/Currency.h"
#include "recordset/Error.h"

#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace {

// How messages name a row of each table, and whose name a reference holds.
struct RowWords
{
    const char *table;
    const char *nominative; // "категория с кодом 7"
    const char *genitive;   // "у категории с кодом 3"
    const char *accusative; // "ссылается на категорию с кодом 3"
};

constexpr RowWords kWords[] = {
    {"category", "категория", "категории", "категорию"},
    {"autotype", "марка", "марки", "марку"},
    {"country", "страна", "страны", "страну"},
    {"tovars", "товар", "товара", "товар"},
};

const RowWords &wordsFor(const QString &table)
{
    for (const RowWords &words : kWords)
        if (table == QLatin1String(words.table))
            return words;
    return kWords[3];
}

// The goods' reference columns, in the order of the reference tables above.
constexpr CatalogueSchema::Goods kReferenceColumns[] = {
    CatalogueSchema::Category, CatalogueSchema::Make, CatalogueSchema::Country};

bool isInteger(int type)
{
    return type == JetColumn::Byte || type == JetColumn::Integer || type == JetColumn::Long;
}

bool isReal(int type)
{
    return type == JetColumn::Single || type == JetColumn::Double;
}

// Which Jet types a column of ours takes, and which of them it takes as
// they are: the rest convert value by value, and a value that would change
// stops the conversion.
bool accepts(const FieldDef &field, int type)
{
    switch (field.type) {
    case FieldType::AutoInc:
        return isInteger(type);
    case FieldType::Integer:
        return isInteger(type) || isReal(type) || type == JetColumn::Currency;
    case FieldType::Currency:
        return type == JetColumn::Currency || isInteger(type) || isReal(type);
    case FieldType::Text:
        return type == JetColumn::Text || type == JetColumn::Memo;
    case FieldType::Blob:
        return type == JetColumn::Ole || type == JetColumn::Binary;
    }
    return false;
}

bool takenAsIs(const FieldDef &field, int type)
{
    switch (field.type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        return type == JetColumn::Long;
    case FieldType::Currency:
        return type == JetColumn::Currency;
    case FieldType::Text:
        return type == JetColumn::Text;
    case FieldType::Blob:
        return type == JetColumn::Ole;
    }
    return false;
}

QString listOfKeys(const std::vector<qint64> &keys)
{
    constexpr size_t Shown = 10;
    QStringList shown;
    for (size_t i = 0; i < keys.size() && i < Shown; ++i)
        shown.append(QString::number(keys[i]));
    QString text = shown.join(QStringLiteral(", "));
    if (keys.size() > Shown)
        text += QStringLiteral(" и ещё %1").arg(keys.size() - Shown);
    return text;
}

class Converter
{
public:
    Converter(JetFile &file, ConversionTarget &target, const JetConversion::Progress &progress)
        : file_(file), target_(target), progress_(progress)
    {}

    ConversionSummary run();

private:
    struct Source
    {
        TableSchema schema;
        std::unique_ptr<JetTable> table;
        std::vector<int> columns; // the Jet column of each of our fields
    };
    struct Row
    {
        qint64 key = 0;
        std::vector<StoreValue> values;
    };

    Source open(const TableSchema &schema);
    Row read(const Source &source);
    StoreValue value(const Source &source, int field, qint64 key) const;
    [[noreturn]] void refuse(const Source &source, int field, qint64 key, const QString &shown,
                             const QString &why) const;
    QSet<qint64> copyReferences(Source &source, qint64 *count);
    void copyGoods(Source &source, const QSet<qint64> (&references)[3]);
    void setNextKey(const Source &source, qint64 largestKey);
    // Refuses a key met before in the table; remembers it.
    void takeKey(const Source &source, qint64 key, QSet<qint64> &keys) const;
    void step();

    JetFile &file_;
    ConversionTarget &target_;
    const JetConversion::Progress &progress_;
    ConversionSummary summary_;
    qint64 done_ = 0;
    qint64 total_ = 0;
};

Converter::Source Converter::open(const TableSchema &schema)
{
    Source source{schema, file_.table(schema.table()), {}};
    if (!source.table) {
        for (const QString &linked : file_.linkedTables())
            if (linked.compare(schema.table(), Qt::CaseInsensitive) == 0)
                throw Error(QStringLiteral("Таблица «%1» файла «%2» только связана с таблицей "
                                           "другого файла, а её записи хранятся там. Перенесите "
                                           "тот файл. Ничего не перенесено.")
                                .arg(schema.table(), file_.name()));
        throw Error(QStringLiteral("В файле «%1» нет таблицы «%2»: это не каталог запчастей. "
                                   "Ничего не перенесено.")
                        .arg(file_.name(), schema.table()));
    }
    const std::vector<JetColumn> &columns = source.table->columns();
    std::vector<bool> used(columns.size(), false);
    for (const FieldDef &field : schema.fields()) {
        const int at = source.table->columnIndex(field.name);
        if (at < 0)
            throw Error(QStringLiteral("В таблице «%1» файла «%2» нет поля «%3». Ничего не "
                                       "перенесено.")
                            .arg(schema.table(), file_.name(), field.name));
        const JetColumn &column = columns[size_t(at)];
        if (!accepts(field, column.type))
            throw Error(QStringLiteral("Поле «%1» таблицы «%2» файла «%3» имеет тип «%4», который "
                                       "нельзя перенести без потерь. Ничего не перенесено.")
                            .arg(column.name, schema.table(), file_.name(),
                                 JetColumn::typeName(column.type)));
        if (!takenAsIs(field, column.type))
            summary_.converted.append(
                QStringLiteral("поле «%1» таблицы «%2» (тип «%3»)")
                    .arg(column.name, schema.table(), JetColumn::typeName(column.type)));
        used[size_t(at)] = true;
        source.columns.push_back(at);
    }
    for (size_t i = 0; i < columns.size(); ++i)
        if (!used[i])
            summary_.leftBehind.append(
                QStringLiteral("поле «%1» таблицы «%2»").arg(columns[i].name, schema.table()));
    return source;
}

void Converter::refuse(const Source &source, int field, qint64 key, const QString &shown,
                       const QString &why) const
{
    const RowWords &words = wordsFor(source.schema.table());
    throw Error(QStringLiteral("Значение поля «%1» (%2) в таблице «%3» у %4 с кодом %5 нельзя "
                               "перенести без потерь: %6. Исправьте его в файле «%7» и повторите "
                               "перенос. Ничего не перенесено.")
                    .arg(source.schema.field(field).name, shown, source.schema.table(),
                         QString::fromUtf8(words.genitive))
                    .arg(key)
                    .arg(why, file_.name()));
}

StoreValue Converter::value(const Source &source, int field, qint64 key) const
{
    const FieldDef &def = source.schema.field(field);
    const int at = source.columns[size_t(field)];
    const JetTable &table = *source.table;
    const int type = table.columns()[size_t(at)].type;
    StoreValue result;
    if (table.isNull(at))
        return result;
    result.null = false;
    switch (def.type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        if (isInteger(type)) {
            result.number = table.integer(at);
        } else if (type == JetColumn::Currency) {
            const qint64 amount = table.currency(at);
            if (!Currency::isWhole(amount) || amount / Currency::Scale > INT_MAX ||
                amount / Currency::Scale < INT_MIN)
                refuse(source, field, key, Currency::format(amount, QLatin1Char(',')),
                       QStringLiteral("здесь нужно целое число"));
            result.number = amount / Currency::Scale;
        } else {
            const double number = table.real(at);
            if (!std::isfinite(number) || number != std::floor(number) || number > INT_MAX ||
                number < INT_MIN)
                refuse(source, field, key, QString::number(number, 'g', 17),
                       QStringLiteral("здесь нужно целое число"));
            result.number = qint64(number);
        }
        break;
    case FieldType::Currency: {
        qint64 amount = 0;
        if (type == JetColumn::Currency) {
            amount = table.currency(at);
        } else if (isInteger(type)) {
            amount = table.integer(at) * Currency::Scale;
        } else {
            // Only a binary fraction that is exactly the nearest one to a
            // whole number of kopecks is taken: 289.55 is, 289.555 is not.
            const double number = table.real(at);
            const double kopecks = std::isfinite(number) ? std::round(number * 100) : 0;
            const bool single = type == JetColumn::Single;
            const bool exact =
                std::isfinite(number) && std::fabs(kopecks) < 9e15 &&
                (single ? float(kopecks / 100) == float(number) : kopecks / 100 == number);
            if (!exact)
                refuse(source, field, key, QString::number(number, 'g', 17),
                       QStringLiteral("цена должна быть в рублях с копейками"));
            amount = qint64(kopecks) * (Currency::Scale / 100);
        }
        if (!Currency::fitsStore(amount))
            refuse(source, field, key, Currency::format(amount, QLatin1Char(',')),
                   QStringLiteral("в сумме слишком много значащих цифр"));
        result.number = amount;
        break;
    }
    case FieldType::Text:
        result.text = table.text(at);
        if (def.size > 0 && result.text.size() > def.size)
            refuse(source, field, key, QStringLiteral("«%1»").arg(result.text),
                   QStringLiteral("оно длиннее %1 символов").arg(def.size));
        break;
    case FieldType::Blob:
        result.bytes = table.bytes(at);
        break;
    }
    return result;
}

Converter::Row Converter::read(const Source &source)
{
    Row row;
    const int keyField = source.schema.keyIndex();
    const int keyColumn = source.columns[size_t(keyField)];
    if (source.table->isNull(keyColumn))
        throw Error(
            QStringLiteral("В таблице «%1» файла «%2» есть запись без кода (поле «%3» "
                           "пусто). Ничего не перенесено.")
                .arg(source.schema.table(), file_.name(), source.schema.field(keyField).name));
    row.key = source.table->integer(keyColumn);
    for (int i = 0; i < source.schema.fieldCount(); ++i)
        row.values.push_back(value(source, i, row.key));
    return row;
}

void Converter::takeKey(const Source &source, qint64 key, QSet<qint64> &keys) const
{
    if (keys.contains(key))
        throw Error(QStringLiteral("В таблице «%1» файла «%2» код %3 встречается дважды. Ничего "
                                   "не перенесено.")
                        .arg(source.schema.table(), file_.name())
                        .arg(key));
    keys.insert(key);
}

void Converter::step()
{
    ++done_;
    if (progress_ && done_ % 256 == 0 && !progress_(done_, std::max(done_, total_)))
        throw ConversionCancelled();
}

void Converter::setNextKey(const Source &source, qint64 largestKey)
{
    // Past every key in use and past the file's own counter, so that a key
    // that the shop's deleted rows had is not given again either.
    target_.setNextKey(source.schema,
                       std::max({largestKey + 1, source.table->nextAutoNumber() + 1, qint64(1)}));
}

QSet<qint64> Converter::copyReferences(Source &source, qint64 *count)
{
    std::vector<Row> rows;
    while (source.table->next()) {
        rows.push_back(read(source));
        step();
    }
    // The later of two rows of one name is the one renamed.
    std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.key < b.key; });
    const RowWords &words = wordsFor(source.schema.table());
    int nameField = -1;
    for (int i = 0; i < source.schema.fieldCount(); ++i)
        if (source.schema.field(i).unique)
            nameField = i;
    const int width = source.schema.field(nameField).size;
    QSet<QString> taken;
    for (const Row &row : rows)
        if (!row.values[size_t(nameField)].null)
            taken.insert(row.values[size_t(nameField)].text);

    QSet<qint64> keys;
    QHash<QString, qint64> owner;
    for (Row &row : rows) {
        takeKey(source, row.key, keys);
        StoreValue &name = row.values[size_t(nameField)];
        if (!name.null && owner.contains(name.text)) {
            QString renamed;
            for (int n = 2; renamed.isEmpty() || taken.contains(renamed); ++n) {
                const QString suffix = QStringLiteral(" (%1)").arg(n);
                renamed = name.text.left(width - int(suffix.size())) + suffix;
            }
            summary_.decisions.append(
                QStringLiteral("%1 с кодом %2 «%3» переименована в «%4»: такое название уже есть "
                               "у %5 с кодом %6")
                    .arg(QString::fromUtf8(words.nominative))
                    .arg(row.key)
                    .arg(name.text, renamed, QString::fromUtf8(words.genitive))
                    .arg(owner.value(name.text)));
            taken.insert(renamed);
            name.text = renamed;
        }
        if (!name.null)
            owner.insert(name.text, row.key);
        target_.insert(source.schema, row.values);
    }
    *count = qint64(rows.size());
    setNextKey(source, rows.empty() ? 0 : rows.back().key);
    return keys;
}

void Converter::copyGoods(Source &source, const QSet<qint64> (&references)[3])
{
    const auto &referenceField = kReferenceColumns;
    const int photoField = CatalogueSchema::Photo;
    // Keys the goods point to that no reference row has, with the goods.
    std::map<std::pair<int, qint64>, std::vector<qint64>> missing;
    QSet<qint64> keys;
    qint64 largest = 0;
    while (source.table->next()) {
        const Row row = read(source);
        takeKey(source, row.key, keys);
        largest = std::max(largest, row.key);
        for (int i = 0; i < 3; ++i) {
            const StoreValue &reference = row.values[size_t(referenceField[i])];
            // 0 is what a new row gets when its reference list is empty.
            if (!reference.null && reference.number != 0 &&
                !references[i].contains(reference.number))
                missing[{i, reference.number}].push_back(row.key);
        }
        const StoreValue &photo = row.values[size_t(photoField)];
        if (!photo.null && !photo.bytes.isEmpty())
            ++summary_.photos;
        target_.insert(source.schema, row.values);
        ++summary_.goods;
        step();
    }
    for (auto &[reference, goods] : missing) {
        std::sort(goods.begin(), goods.end());
        const RowWords &words = kWords[reference.first];
        const bool one = goods.size() == 1;
        summary_.decisions.append(
            QStringLiteral("%1 %2 %3 на %4 с кодом %5, которой нет: код сохранён, %6 у %7 "
                           "показывается пустой")
                .arg(one ? QStringLiteral("товар с кодом") : QStringLiteral("товары с кодами"),
                     listOfKeys(goods),
                     one ? QStringLiteral("ссылается") : QStringLiteral("ссылаются"),
                     QString::fromUtf8(words.accusative))
                .arg(reference.second)
                .arg(QString::fromUtf8(words.nominative),
                     one ? QStringLiteral("него") : QStringLiteral("них")));
    }
    setNextKey(source, largest);
}

ConversionSummary Converter::run()
{
    // Every table and column is checked before anything is written.
    std::vector<Source> sources;
    for (const TableSchema &schema : CatalogueSchema::tables())
        sources.push_back(open(schema));
    for (const QString &table : file_.tables()) {
        bool ours = false;
        for (const Source &source : sources)
            ours = ours || table.compare(source.schema.table(), Qt::CaseInsensitive) == 0;
        if (!ours)
            summary_.leftBehind.append(QStringLiteral("таблица «%1»").arg(table));
    }
    for (const QString &table : file_.linkedTables())
        summary_.leftBehind.append(
            QStringLiteral("таблица «%1» (её записи хранятся в другом файле)").arg(table));
    for (const Source &source : sources)
        total_ += source.table->declaredRows();

    target_.begin();
    QSet<qint64> references[3];
    references[0] = copyReferences(sources[0], &summary_.categories);
    references[1] = copyReferences(sources[1], &summary_.makes);
    references[2] = copyReferences(sources[2], &summary_.countries);
    copyGoods(sources[3], references);
    Journal::recordLoad(target_.store(), QFileInfo(file_.name()).fileName(),
                        {{CatalogueSchema::categories().table(), summary_.categories},
                         {CatalogueSchema::makes().table(), summary_.makes},
                         {CatalogueSchema::countries().table(), summary_.countries},
                         {CatalogueSchema::goods().table(), summary_.goods}});
    target_.commit();
    if (progress_)
        progress_(done_, std::max(done_, total_));
    return summary_;
}

} // namespace

ConversionSummary JetConversion::run(JetFile &file, ConversionTarget &target,
                                     const Progress &progress)
{
    return Converter(file, target, progress).run();
}
