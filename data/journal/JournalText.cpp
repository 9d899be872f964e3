#include "JournalText.h"

#include "CatalogueSchema.h"
#include "Journal.h"
#include "JournalSql.h"

#include <QJsonArray>
#include <QLocale>

namespace {

// How a shop names a row of each table, and the table a goods column points into.
struct TableWords
{
    const char *table;
    const char *noun; // every noun here is feminine, as the verbs below are
    const char *plural;
};
constexpr TableWords kTables[] = {
    {"tovars", "запчасть", "запчасти"},
    {"category", "категория", "категории"},
    {"autotype", "марка", "марки"},
    {"country", "страна", "страны"},
};

struct RoadWords
{
    const char *road;
    const char *words;
};
constexpr RoadWords kRoads[] = {
    {"editor", "окно запчасти"},
    {"grid", "удаление в списке"},
    {"reference", "справочник"},
    {"import", "прайс-лист"},
    {"restore", "восстановление из копии"},
    {"undo", "отмена"},
    {"conversion", "перенос каталога"},
    {"other", "другая программа"},
    {"program", "программа"},
};

std::optional<FieldDef> fieldOf(const QString &table, const QString &column)
{
    if (const auto schema = Journal::schemaOf(table))
        for (const FieldDef &def : schema->fields())
            if (def.name == column)
                return def;
    return std::nullopt;
}

QString noun(const QString &table, bool plural = false)
{
    for (const TableWords &words : kTables)
        if (table == QLatin1String(words.table))
            return QString::fromUtf8(plural ? words.plural : words.noun);
    return table;
}

QString quotedName(const QString &text)
{
    return QStringLiteral("«%1»").arg(text);
}

} // namespace

QString JournalText::label(const QString &table, const QString &column)
{
    const auto def = fieldOf(table, column);
    return def && !def->label.isEmpty() ? def->label : column;
}

QString JournalText::kind(int kind)
{
    switch (kind) {
    case JournalSql::Added:
        return QStringLiteral("добавлена");
    case JournalSql::Changed:
        return QStringLiteral("изменена");
    case JournalSql::Deleted:
        return QStringLiteral("удалена");
    case JournalSql::Loaded:
        return QStringLiteral("перенесена");
    default:
        return {};
    }
}

QString JournalText::road(const QString &road)
{
    for (const RoadWords &words : kRoads)
        if (road == QLatin1String(words.road))
            return QString::fromUtf8(words.words);
    return road;
}

QString JournalText::row(const JournalRecord &record)
{
    const QString noun = ::noun(record.table);
    QString title = record.title;
    if (title.isEmpty()) {
        // A row deleted by a change of its name: the name it had.
        const QJsonValue name = record.changes.value(QStringLiteral("tovName"));
        if (name.isString())
            title = name.toString();
    }
    if (record.table == CatalogueSchema::goods().table())
        return title.isEmpty()
                   ? QStringLiteral("%1 %2").arg(noun).arg(record.key)
                   : QStringLiteral("%1 %2 %3").arg(noun).arg(record.key).arg(quotedName(title));
    return title.isEmpty() ? QStringLiteral("%1 №%2").arg(noun).arg(record.key)
                           : QStringLiteral("%1 %2").arg(noun, quotedName(title));
}

QString JournalText::value(const QString &table, const QString &column,
                           const QJsonValue &value) const
{
    if (value.isNull() || value.isUndefined())
        return QStringLiteral("пусто");
    const auto def = fieldOf(table, column);
    if (!def)
        return value.isString() ? value.toString() : QString::number(value.toDouble(), 'g', 15);
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    switch (def->type) {
    case FieldType::Text:
        return value.toString().isEmpty() ? QStringLiteral("пусто") : value.toString();
    case FieldType::Currency:
        return russian.toString(value.toDouble(), 'f', 2);
    case FieldType::Blob:
        return QStringLiteral("фото %1 КБ")
            .arg(
                russian.toString(value.toDouble() / 1024.0, 'f', value.toDouble() < 10240 ? 1 : 0));
    default:
        break;
    }
    const qint64 number = qint64(value.toDouble());
    if (table == CatalogueSchema::goods().table()) {
        const int goodsColumn = CatalogueSchema::goods().indexOf(column);
        if (const auto reference = CatalogueSchema::referencedBy(goodsColumn)) {
            const QString name = names_ ? names_(reference->table(), number) : QString();
            return name.isEmpty() ? QStringLiteral("№%1").arg(number) : name;
        }
    }
    return QString::number(number);
}

QString JournalText::column(const JournalRecord &record, const QString &name) const
{
    const QJsonArray pair = record.changes.value(name).toArray();
    QString before = value(record.table, name, pair.at(0));
    QString after = value(record.table, name, pair.at(1));
    const auto def = fieldOf(record.table, name);
    if (def && def->type == FieldType::Blob) {
        // A photo by its size, and where the sizes agree by its digest.
        if (pair.at(0).isNull())
            before = QStringLiteral("нет фото");
        if (pair.at(1).isNull())
            after = QStringLiteral("нет фото");
        if (before == after && !record.digestBefore.isEmpty())
            before += QStringLiteral(" (%1)").arg(record.digestBefore.left(8)),
                after += QStringLiteral(" (%1)").arg(record.digestAfter.left(8));
    }
    return QStringLiteral("%1: %2 → %3").arg(label(record.table, name), before, after);
}

QString JournalText::what(const JournalRecord &record) const
{
    if (record.kind == JournalSql::Loaded)
        return QStringLiteral("перенесены %1: %2 из «%3»")
            .arg(noun(record.table, true))
            .arg(record.key)
            .arg(record.title);
    if (record.kind != JournalSql::Changed)
        return QStringLiteral("%1 %2").arg(kind(record.kind), row(record));
    QStringList lines;
    // In the table's order of columns, whatever order the store kept.
    const auto schema = Journal::schemaOf(record.table);
    if (schema) {
        for (const FieldDef &def : schema->fields())
            if (record.changes.contains(def.name))
                lines << column(record, def.name);
    } else {
        for (auto it = record.changes.begin(); it != record.changes.end(); ++it)
            lines << column(record, it.key());
    }
    return lines.join(QStringLiteral("; "));
}

QString JournalText::details(const JournalRecord &record) const
{
    if (record.kind != JournalSql::Added && record.kind != JournalSql::Deleted)
        return what(record);
    const auto schema = Journal::schemaOf(record.table);
    if (!schema)
        return what(record);
    QString title;
    for (const JournalSql::Table &table : Journal::tables())
        if (table.schema.table() == record.table && table.title >= 0)
            title = table.schema.field(table.title).name;
    QStringList parts;
    for (const FieldDef &def : schema->fields()) {
        const QJsonValue stored = record.changes.value(def.name);
        if (def.name == title || stored.isNull() || stored.isUndefined())
            continue;
        parts << (def.type == FieldType::Blob
                      ? value(record.table, def.name, stored)
                      : QStringLiteral("%1: %2").arg(label(record.table, def.name),
                                                     value(record.table, def.name, stored)));
    }
    return parts.join(QStringLiteral("; "));
}
