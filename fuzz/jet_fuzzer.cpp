// A shop's Jet file is outside input, and may be damaged: whatever its bytes,
// reading its list of tables and every value of every table must not crash,
// read out of bounds, ask for memory the file cannot justify or hang.

#include "jet/JetFile.h"
#include "jet/JetTable.h"
#include "recordset/Error.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace {

void readEverything(JetTable &table)
{
    while (table.next())
        for (int i = 0; i < int(table.columns().size()); ++i) {
            if (table.isNull(i))
                continue;
            switch (table.columns()[size_t(i)].type) {
            case JetColumn::Boolean:
            case JetColumn::Byte:
            case JetColumn::Integer:
            case JetColumn::Long:
                table.integer(i);
                break;
            case JetColumn::Currency:
                table.currency(i);
                break;
            case JetColumn::Single:
            case JetColumn::Double:
                table.real(i);
                break;
            case JetColumn::Text:
            case JetColumn::Memo:
                table.text(i);
                break;
            case JetColumn::Binary:
            case JetColumn::Ole:
                table.bytes(i);
                break;
            default:
                break;
            }
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The library reads files only: each input goes to a file of its own.
    static const QString path =
        QDir::temp().filePath(QStringLiteral("jet_fuzzer-%1.mdb").arg(getpid()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    try {
        JetFile jet(path);
        for (const QString &name : jet.tables())
            if (auto table = jet.table(name))
                readEverything(*table);
    } catch (const Error &) {
        // A refusal is a fine answer.
    }
    return 0;
}
