#include "JournalQuery.h"

#include "Journal.h"
#include "JournalSql.h"
#include "recordset/Store.h"

#include <QTimeZone>
#include <map>

namespace {

// Conditions are joined to this in a fixed order; every value is bound.
constexpr const char *kSelect = "SELECT %1 FROM journal WHERE 1 = 1";
// A period by the record numbers of its ends, found through the time's
// index, so that the newest-first walk stays on the records' own order.
constexpr const char *kFrom =
    " AND id >= COALESCE((SELECT id FROM journal WHERE at >= ? ORDER BY at LIMIT 1), 0)"
    " AND +at >= ?";
constexpr const char *kTo =
    " AND id <= COALESCE((SELECT id FROM journal WHERE at < ? ORDER BY at DESC LIMIT 1), 0)"
    " AND +at < ?";
constexpr const char *kBelow = " AND id < ?";
constexpr const char *kKind = " AND kind = ?";
constexpr const char *kComputer = " AND computer = ?";
constexpr const char *kRow = " AND tbl = ? AND row_key = ?";
constexpr const char *kOperation = " AND op = ?";
constexpr const char *kOrder = " ORDER BY id DESC LIMIT ?";

// Ms since 1970 of the local midnight that starts `date`.
qint64 startOf(const QDate &date)
{
    return date.startOfDay(QTimeZone::systemTimeZone()).toMSecsSinceEpoch();
}

// The patterns a name is looked for by: as typed, in small letters, with a
// capital first letter, in capitals (the engine compares letters of other
// alphabets than Latin by case).
QStringList patterns(const QString &text)
{
    QStringList forms{text, text.toLower(), text.toUpper()};
    QString capital = text.toLower();
    if (!capital.isEmpty())
        capital[0] = capital[0].toUpper();
    forms << capital;
    forms.removeDuplicates();
    QStringList result;
    for (QString form : forms) {
        form.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('%'), QLatin1String("\\%"))
            .replace(QLatin1Char('_'), QLatin1String("\\_"));
        result << QLatin1Char('%') + form + QLatin1Char('%');
    }
    return result;
}

} // namespace

std::vector<JournalRecord> JournalQuery::page(const Filter &filter, qint64 below, int count)
{
    QByteArray sql = QByteArray(kSelect).replace("%1", JournalSql::recordColumns());
    QVariantList values;
    if (filter.from.isValid()) {
        sql += kFrom;
        values << startOf(filter.from) << startOf(filter.from);
    }
    if (filter.to.isValid()) {
        sql += kTo;
        values << startOf(filter.to.addDays(1)) << startOf(filter.to.addDays(1));
    }
    if (below > 0) {
        sql += kBelow;
        values << below;
    }
    if (filter.kind) {
        sql += kKind;
        values << filter.kind;
    }
    if (!filter.computer.isEmpty()) {
        sql += kComputer;
        values << filter.computer;
    }
    if (!filter.table.isEmpty()) {
        sql += kRow;
        values << filter.table << filter.key;
    }
    if (filter.operation) {
        sql += kOperation;
        values << filter.operation;
    }
    const QString text = filter.text.trimmed();
    if (!text.isEmpty()) {
        const auto dialect = store_.dialect();
        bool number = false;
        const qint64 key = text.toLongLong(&number);
        QByteArray any = " AND (";
        if (number) {
            any += "row_key = ? OR ";
            values << key;
        }
        // A changed row is found by its name as it stands now, or by a new
        // name among its changes; an added or deleted one by its own.
        QByteArray named;
        bool first = true;
        for (const QString &pattern : patterns(text)) {
            any += first ? "" : " OR ";
            any += "code LIKE ? ESCAPE '\\' OR title LIKE ? ESCAPE '\\'";
            values << pattern << pattern;
            if (!number) {
                any += " OR changes LIKE ? ESCAPE '\\'";
                values << pattern;
            }
            first = false;
        }
        for (const JournalSql::Table &table : Journal::tables()) {
            if (table.title < 0)
                continue;
            const auto name = [&](int field) {
                return TableSql::name(table.schema.field(field).name, dialect);
            };
            QByteArray like;
            for (const QString &pattern : patterns(text)) {
                for (const int field : {table.title, table.code}) {
                    if (field < 0)
                        continue;
                    like += (like.isEmpty() ? "" : " OR ") + name(field) + " LIKE ? ESCAPE '\\'";
                    values << pattern;
                }
            }
            any += " OR (tbl = ? AND row_key IN (SELECT " + name(table.schema.keyIndex()) +
                   " FROM " + TableSql::name(table.schema.table(), dialect) + " WHERE " + like +
                   "))";
            // The table's name is bound after its patterns, as it stands last.
            values.insert(values.size() - int(like.count('?')), table.schema.table());
        }
        sql += any + ')';
    }
    sql += kOrder;
    values << count;

    // Numbered in order, as the dialect writes parameters.
    QByteArray numbered;
    int n = 0;
    for (const char c : sql) {
        if (c == '?')
            numbered +=
                (store_.dialect() == TableSql::Dialect::File ? "?" : "$") + QByteArray::number(++n);
        else
            numbered += c;
    }
    std::vector<JournalRecord> records;
    for (const QVariantList &row : store_.run(numbered, values))
        records.push_back(JournalRecord::fromRow(row));
    nameChangedRows(records);
    return records;
}

void JournalQuery::nameChangedRows(std::vector<JournalRecord> &records)
{
    const auto dialect = store_.dialect();
    for (const JournalSql::Table &table : Journal::tables()) {
        if (table.title < 0)
            continue;
        QVariantList keys;
        for (const JournalRecord &record : records)
            if (record.title.isEmpty() && record.table == table.schema.table())
                keys << record.key;
        if (keys.isEmpty())
            continue;
        const auto name = [&](int field) {
            return field < 0 ? QByteArray("NULL")
                             : TableSql::name(table.schema.field(field).name, dialect);
        };
        QByteArray list;
        for (int i = 1; i <= keys.size(); ++i)
            list += (i > 1 ? ", " : "") +
                    QByteArray(dialect == TableSql::Dialect::File ? "?" : "$") +
                    QByteArray::number(i);
        std::map<qint64, std::pair<QString, QString>> names;
        for (const QVariantList &row : store_.run(
                 "SELECT " + name(table.schema.keyIndex()) + ", " + name(table.title) + ", " +
                     name(table.code) + " FROM " + TableSql::name(table.schema.table(), dialect) +
                     " WHERE " + name(table.schema.keyIndex()) + " IN (" + list + ")",
                 keys))
            names[row.value(0).toLongLong()] = {row.value(1).toString(), row.value(2).toString()};
        for (JournalRecord &record : records)
            if (record.title.isEmpty() && record.table == table.schema.table()) {
                const auto found = names.find(record.key);
                if (found != names.end())
                    std::tie(record.title, record.code) = found->second;
            }
    }
}

std::vector<JournalRecord> JournalQuery::operation(qint64 operation)
{
    Filter filter;
    filter.operation = operation;
    return page(filter, 0, std::numeric_limits<int>::max());
}

QByteArray JournalQuery::deletedBlob(qint64 record)
{
    const auto rows = store_.run(JournalSql::deletedBlob(store_.dialect()), {record});
    return rows.empty() ? QByteArray() : rows.front().value(0).toByteArray();
}

JournalRecord JournalQuery::lastOf(const QString &table, qint64 key, int kind)
{
    Filter filter;
    filter.table = table;
    filter.key = key;
    filter.kind = kind;
    const auto records = page(filter, 0, 1);
    return records.empty() ? JournalRecord() : records.front();
}
