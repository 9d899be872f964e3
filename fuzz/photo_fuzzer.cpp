// A stored photo value as the photo boxes and the card report read it. What
// reads must also convert to pixels and write back to a file that reads as
// the same picture.

#include "photo/PhotoCodec.h"
#include "recordset/Error.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray stored(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const Bitmap bitmap = PhotoCodec::readColumn(stored);
        const std::vector<quint32> pixels = bitmap.toArgb();
        const QByteArray written = PhotoCodec::write(bitmap);
        if (bitmap.isNull() != written.isEmpty())
            std::abort();
        if (!bitmap.isNull() && PhotoCodec::read(written).toArgb() != pixels)
            std::abort();
    } catch (const Error &) {
        // Not a picture: refused, which is what most inputs are.
    }
    return 0;
}
