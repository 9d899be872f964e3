#include "JournalUndo.h"

#include "CatalogueSchema.h"
#include "Journal.h"
#include "JournalQuery.h"
#include "JournalSql.h"
#include "JournalWitness.h"
#include "recordset/Error.h"
#include "recordset/RowWriter.h"
#include "recordset/Store.h"
#include "recordset/TableSql.h"
#include "recordset/Transaction.h"

#include <QJsonArray>

namespace {

bool same(const FieldDef &def, const QVariant &now, const QJsonValue &recorded)
{
    const bool recordedNull = recorded.isNull() || recorded.isUndefined();
    if (now.isNull() || recordedNull)
        return now.isNull() && recordedNull;
    switch (def.type) {
    case FieldType::Text:
        return now.toString() == recorded.toString();
    case FieldType::Currency:
        return qRound64(now.toDouble() * 10000) == qRound64(recorded.toDouble() * 10000);
    default: // a number, a key, or a blob by its size
        return now.toLongLong() == qint64(recorded.toDouble());
    }
}

StoreValue storeValue(const FieldDef &def, const QJsonValue &recorded)
{
    StoreValue value;
    if (recorded.isNull() || recorded.isUndefined())
        return value;
    value.null = false;
    if (def.type == FieldType::Text)
        value.text = recorded.toString();
    else if (def.type == FieldType::Currency)
        value.number = qRound64(recorded.toDouble() * 10000);
    else
        value.number = qint64(recorded.toDouble());
    return value;
}

// A value as read now, in the form the journal keeps it.
QJsonValue asRecorded(const FieldDef &def, const QVariant &now)
{
    if (now.isNull())
        return QJsonValue::Null;
    if (def.type == FieldType::Text)
        return now.toString();
    return now.toDouble();
}

// What a record wrote into column `name`: an added row's value, a changed
// row's value after.
QJsonValue written(const JournalRecord &record, const QString &name)
{
    const QJsonValue value = record.changes.value(name);
    return record.kind == JournalSql::Changed ? value.toArray().at(1) : value;
}

} // namespace

// The row of `record` as the store holds it now, locked for the
// transaction on the server; empty when there is none.
static QVariantList currentRow(Store &store, const TableSchema &schema, qint64 key)
{
    const auto rows = store.run(TableSql(schema, store.dialect()).selectRow({}, true), {key});
    return rows.empty() ? QVariantList() : rows.front();
}

QStringList JournalUndo::changedSince(const JournalRecord &record)
{
    const auto schema = Journal::schemaOf(record.table);
    if (!schema)
        return {QStringLiteral("таблицы «%1» нет в каталоге").arg(record.table)};
    const QVariantList now = currentRow(store_, *schema, record.key);
    const QString row = JournalText::row(record);
    if (record.kind == JournalSql::Deleted)
        return now.isEmpty()
                   ? QStringList()
                   : QStringList{QStringLiteral("%1: запись с кодом %2 уже есть в каталоге")
                                     .arg(row)
                                     .arg(record.key)};
    if (now.isEmpty())
        return {QStringLiteral("%1 удалена после этого").arg(row)};
    QStringList lines;
    for (int i = 0; i < schema->fieldCount(); ++i) {
        const FieldDef &def = schema->field(i);
        if (i == schema->keyIndex() || !record.changes.contains(def.name))
            continue;
        const QJsonValue wrote = written(record, def.name);
        if (!same(def, now.at(i), wrote))
            lines << QStringLiteral("%1: записано %2, сейчас %3")
                         .arg(JournalText::label(record.table, def.name),
                              text_.value(record.table, def.name, wrote),
                              text_.value(record.table, def.name, asRecorded(def, now.at(i))));
    }
    return lines;
}

JournalUndo::Result JournalUndo::undo(const std::vector<JournalRecord> &records, bool force)
{
    Result result;
    RowWriter writer(store_);
    JournalQuery journal(store_);
    Transaction transaction(store_, QString::fromLatin1(Journal::Road::Undo));
    for (const JournalRecord &record : records) {
        const auto schema = Journal::schemaOf(record.table);
        const QString row = JournalText::row(record);
        if (!schema) {
            result.left << QStringLiteral("%1: таблицы нет в каталоге").arg(row);
            continue;
        }
        if (record.kind == JournalSql::Loaded) {
            result.left << QStringLiteral("%1: перенос каталога не отменяется; чтобы начать "
                                          "заново, переведите каталог ещё раз")
                               .arg(text_.what(record));
            continue;
        }
        const QVariantList now = currentRow(store_, *schema, record.key);
        const QStringList since = changedSince(record);
        if (record.kind == JournalSql::Deleted) {
            if (!now.isEmpty()) {
                result.left << since;
                continue;
            }
            std::vector<StoreValue> values;
            for (int i = 0; i < schema->fieldCount(); ++i) {
                const FieldDef &def = schema->field(i);
                StoreValue value = storeValue(def, record.changes.value(def.name));
                if (def.type == FieldType::Blob && record.hasBlob) {
                    value.null = false;
                    value.bytes = journal.deletedBlob(record.id);
                } else if (def.type == FieldType::Blob) {
                    value = StoreValue{};
                }
                values.push_back(value);
            }
            writer.insertWithKey(*schema, record.key, values);
            // A reference that went meanwhile is named; the row keeps
            // pointing to it, so that bringing the reference back mends it.
            if (record.table == CatalogueSchema::goods().table())
                for (int i = 0; i < schema->fieldCount(); ++i) {
                    const auto reference = CatalogueSchema::referencedBy(i);
                    const StoreValue &value = values[size_t(i)];
                    if (!reference || value.null ||
                        !currentRow(store_, *reference, value.number).isEmpty())
                        continue;
                    const JournalRecord gone =
                        journal.lastOf(reference->table(), value.number, JournalSql::Deleted);
                    const QString name = gone.id ? JournalText::row(gone)
                                                 : QStringLiteral("%1 №%2")
                                                       .arg(schema->field(i).label)
                                                       .arg(value.number);
                    result.notes << QStringLiteral("%1 возвращена, но %2 удалена из справочника: "
                                                   "выберите её заново или верните и её")
                                        .arg(row, name);
                }
            ++result.undone;
            continue;
        }
        if (now.isEmpty()) {
            result.left << since;
            continue;
        }
        if (!since.isEmpty() && !force) {
            result.left << QStringLiteral("%1 изменена после этого (%2)")
                               .arg(row, since.join(QStringLiteral("; ")));
            continue;
        }
        if (record.kind == JournalSql::Added) {
            writer.remove(*schema, record.key);
            ++result.undone;
            continue;
        }
        std::vector<int> fields;
        std::vector<StoreValue> values;
        for (int i = 0; i < schema->fieldCount(); ++i) {
            const FieldDef &def = schema->field(i);
            if (!record.changes.contains(def.name))
                continue;
            if (def.type == FieldType::Blob) {
                // The journal keeps a replaced photo only by size and digest.
                result.notes << QStringLiteral("%1: прежнее фото в журнале не хранится, фото "
                                               "осталось нынешним")
                                    .arg(row);
                continue;
            }
            fields.push_back(i);
            values.push_back(storeValue(def, record.changes.value(def.name).toArray().at(0)));
        }
        if (!fields.empty())
            writer.update(*schema, record.key, fields, values);
        ++result.undone;
    }
    if (auto *witness = dynamic_cast<JournalWitness *>(store_.witness()))
        result.operation = witness->lastOperation();
    transaction.commit();
    return result;
}
