// A supplier's CSV file is outside input: whatever its bytes, reading it and
// guessing its columns must not crash, read out of bounds or hang.

#include "exchange/CsvReader.h"
#include "exchange/PriceListImport.h"
#include "exchange/PriceListMapping.h"
#include "recordset/Error.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const SheetTable table = CsvReader::parse(bytes);
        if (!table.rows.empty())
            PriceListMapping::guess(table.rows.front());
        for (const QStringList &row : table.rows)
            for (const QString &field : row) {
                PriceListImport::priceOf(field);
                PriceListImport::integerOf(field);
            }
    } catch (const Error &) {
        // A refusal is a fine answer.
    }
    return 0;
}
