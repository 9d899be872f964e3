#include "RowWriter.h"

#include "Error.h"

qint64 RowWriter::insert(const TableSchema &schema, const std::vector<StoreValue> &values)
{
    return store_.insert(schema, values);
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
    return stored;
}

int RowWriter::remove(const TableSchema &schema, qint64 key)
{
    return store_.remove(schema, key);
}
