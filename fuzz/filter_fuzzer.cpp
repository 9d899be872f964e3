// A search text as the filter parser gets it, then matched against rows that
// hold empty, short, long, Cyrillic and extreme values.

#include "CatalogueSchema.h"
#include "recordset/Error.h"
#include "recordset/FilterExpression.h"
#include "recordset/RowStore.h"

#include <cstdint>
#include <limits>

namespace {

RowStore makeRows(const TableSchema &schema)
{
    RowStore rows(schema);
    const int name = schema.indexOf(QStringLiteral("tovName"));
    const int models = schema.indexOf(QStringLiteral("models"));
    const int counts = schema.indexOf(QStringLiteral("counts"));
    const int price = schema.indexOf(QStringLiteral("price"));
    const int key = schema.indexOf(QStringLiteral("auto_id"));
    const struct
    {
        const char *name;
        const char *models;
        qint64 number;
    } values[] = {
        {"Фильтр масляный", "2107", 3},
        {"", "", 0},
        {"%_'' ẞß ǅ", "O'Neil", -1},
        {"ФИЛЬТР ВОЗДУШНЫЙ BOSCH 0 986 452 041", "Camry 2.4", std::numeric_limits<qint64>::max()},
        {nullptr, nullptr, std::numeric_limits<qint64>::min()},
    };
    qint64 next = 1;
    for (const auto &v : values) {
        const int row = rows.appendRow();
        rows.setInteger(row, key, next++);
        if (v.name)
            rows.setText(row, name, QString::fromUtf8(v.name));
        if (v.models)
            rows.setText(row, models, QString::fromUtf8(v.models));
        rows.setInteger(row, counts, v.number);
        rows.setInteger(row, price, v.number);
    }
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const TableSchema schema = CatalogueSchema::goods();
    static const RowStore rows = makeRows(schema);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const FilterExpression filter(text, schema);
        for (int row = 0; row < rows.rowCount(); ++row)
            filter.matches(rows, row);
    } catch (const Error &) {
        // A refused text is the expected answer to most inputs.
    }
    return 0;
}
