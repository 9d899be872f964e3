#include "RowWriter.h"

#include "Error.h"
#include "TableSql.h"

#include <algorithm>

qint64 RowWriter::insert(const TableSchema &schema, const std::vector<StoreValue> &values)
{
    const qint64 key = store_.insert(schema, values);
    if (WriteWitness *witness = store_.witness()) {
        size_t n = 0;
        for (int i = 0; i < schema.fieldCount(); ++i) {
            if (i == schema.keyIndex())
                continue;
            const StoreValue &value = values[n++];
            if (schema.field(i).type == FieldType::Blob && !value.null && !value.bytes.isEmpty())
                witness->blobWritten(store_, schema, key, {}, value.bytes);
        }
    }
    return key;
}

qint64 RowWriter::insertWithKey(const TableSchema &schema, qint64 key,
                                const std::vector<StoreValue> &values)
{
    QVariantList parameters;
    for (int i = 0; i < schema.fieldCount(); ++i) {
        const StoreValue &value = values[size_t(i)];
        const FieldType type = schema.field(i).type;
        if (i == schema.keyIndex())
            parameters << key;
        else if (value.null)
            parameters << QVariant();
        else if (type == FieldType::Text)
            parameters << value.text;
        else if (type == FieldType::Blob)
            parameters << value.bytes;
        else if (type == FieldType::Currency && value.number % 10000 != 0)
            parameters << double(value.number) / 10000.0;
        else if (type == FieldType::Currency) // whole amounts as integers, as posts store them
            parameters << value.number / 10000;
        else
            parameters << value.number;
    }
    store_.run(TableSql(schema, store_.dialect()).insert(true), parameters);
    if (WriteWitness *witness = store_.witness())
        for (int i = 0; i < schema.fieldCount(); ++i)
            if (schema.field(i).type == FieldType::Blob && !values[size_t(i)].null &&
                !values[size_t(i)].bytes.isEmpty())
                witness->blobWritten(store_, schema, key, {}, values[size_t(i)].bytes);
    return key;
}

std::optional<RowWriter::StoredRow> RowWriter::update(const TableSchema &schema, qint64 key,
                                                      const std::vector<int> &fields,
                                                      const std::vector<StoreValue> &values,
                                                      const Check &check)
{
    if (!check) {
        store_.update(schema, key, fields, values);
        return std::nullopt;
    }
    StoredRow stored{RowStore(schema), {}};
    std::vector<int> blobs;
    for (const int i : fields)
        if (schema.field(i).type == FieldType::Blob)
            blobs.push_back(i);
    // The row is gone when another program deleted it meanwhile: say so
    // rather than create it anew.
    if (!store_.readRow(schema, key, blobs, true, stored.values, stored.blobs))
        throw Error(QStringLiteral("Запись не найдена в таблице «%1»: её, видимо, удалила "
                                   "другая программа. Изменения не сохранены.")
                        .arg(schema.table()));
    check(stored);
    store_.update(schema, key, fields, values);
    if (WriteWitness *witness = store_.witness())
        for (size_t n = 0; n < fields.size(); ++n)
            if (schema.field(fields[n]).type == FieldType::Blob)
                witness->blobWritten(store_, schema, key, stored.blobs[fields[n]],
                                     values[n].null ? QByteArray() : values[n].bytes);
    return stored;
}

void RowWriter::updateMany(const TableSchema &schema, const std::vector<Store::RowChange> &changes)
{
    store_.updateMany(schema, changes);
}

void RowWriter::insertMany(const TableSchema &schema,
                           const std::vector<std::vector<StoreValue>> &rows)
{
    const bool blobs = std::any_of(rows.begin(), rows.end(), [&](const auto &row) {
        return std::any_of(row.begin(), row.end(),
                           [](const StoreValue &v) { return !v.null && !v.bytes.isEmpty(); });
    });
    if (!blobs) {
        store_.insertMany(schema, rows);
        return;
    }
    for (const std::vector<StoreValue> &row : rows)
        insert(schema, row);
}

int RowWriter::remove(const TableSchema &schema, qint64 key)
{
    return store_.remove(schema, key);
}
