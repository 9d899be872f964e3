// Saved report pages as the preview's loader reads them. The input is tried
// as a whole file and as the body behind a correct header, so that damaged
// bodies get past the checksum. What loads must save and load back the same.

#include "recordset/Error.h"
#include "reports/renderer/PageFile.h"

#include <QtEndian>
#include <cstdint>
#include <cstdlib>

namespace {

void decode(const QByteArray &file)
{
    try {
        const ReportPages pages = PageFile::decode(file);
        if (!(PageFile::decode(PageFile::encode(pages)) == pages))
            std::abort();
    } catch (const Error &) {
        // Not a page file, or a damaged one: refused.
    }
}

QByteArray withHeader(const QByteArray &body)
{
    QByteArray file(PageFile::Magic, sizeof PageFile::Magic);
    char field[8];
    qToLittleEndian<quint32>(PageFile::Version, field);
    file.append(field, 4);
    qToLittleEndian<quint64>(quint64(body.size()), field);
    file.append(field, 8);
    qToLittleEndian<quint32>(PageFile::crc32(body.constData(), body.size()), field);
    file.append(field, 4);
    return file + body;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    decode(bytes);
    decode(withHeader(bytes));
    return 0;
}
