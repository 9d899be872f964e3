#include "BitmapWriter.h"

#include <QtEndian>

#include <algorithm>
#include <limits>

namespace {

constexpr int FileHeaderSize = 14;
constexpr int CoreHeaderSize = 12;
constexpr int InfoHeaderSize = 40;
constexpr int MasksSize = 12;
constexpr quint32 BiRgb = 0;
constexpr quint32 BiBitFields = 3;

// The core header has no compression, no negative height and room for no
// other depths; it is kept only for a picture that it can describe, with the
// full palette that its readers expect.
bool keepsCoreHeader(const Bitmap &bitmap)
{
    if (bitmap.header != Bitmap::Header::Core || bitmap.topDown ||
        bitmap.compression == Bitmap::Compression::BitFields)
        return false;
    if (bitmap.bitCount == 24)
        return bitmap.palette.empty();
    return bitmap.bitCount <= 8 && bitmap.palette.size() == (size_t(1) << bitmap.bitCount);
}

} // namespace

QByteArray BitmapWriter::write(const Bitmap &bitmap)
{
    if (bitmap.isNull())
        return {};
    if (!bitmap.isValid())
        throwInvalidBitmap();
    const bool rle = bitmap.compression == Bitmap::Compression::Rle8 ||
                     bitmap.compression == Bitmap::Compression::Rle4;
    if (rle && !bitmap.original.isEmpty())
        return bitmap.original;

    const bool core = keepsCoreHeader(bitmap);
    const bool masks = bitmap.compression == Bitmap::Compression::BitFields;
    const int headerSize = core ? CoreHeaderSize : InfoHeaderSize;
    const int entrySize = core ? 3 : 4;
    const qint64 rowsOffset = FileHeaderSize + headerSize + (masks ? MasksSize : 0) +
                              qint64(bitmap.palette.size()) * entrySize;
    const qint64 total = rowsOffset + bitmap.rows.size();
    if (total > std::numeric_limits<qint32>::max())
        throwInvalidBitmap();

    QByteArray file(total, '\0');
    auto *out = reinterpret_cast<uchar *>(file.data());
    out[0] = 'B';
    out[1] = 'M';
    qToLittleEndian<quint32>(quint32(total), out + 2);
    qToLittleEndian<quint32>(quint32(rowsOffset), out + 10);
    uchar *header = out + FileHeaderSize;
    qToLittleEndian<quint32>(quint32(headerSize), header);
    if (core) {
        qToLittleEndian<quint16>(quint16(bitmap.width), header + 4);
        qToLittleEndian<quint16>(quint16(bitmap.height), header + 6);
        qToLittleEndian<quint16>(1, header + 8); // planes
        qToLittleEndian<quint16>(quint16(bitmap.bitCount), header + 10);
    } else {
        qToLittleEndian<qint32>(bitmap.width, header + 4);
        qToLittleEndian<qint32>(bitmap.topDown ? -bitmap.height : bitmap.height, header + 8);
        qToLittleEndian<quint16>(1, header + 12); // planes
        qToLittleEndian<quint16>(quint16(bitmap.bitCount), header + 14);
        qToLittleEndian<quint32>(masks ? BiBitFields : BiRgb, header + 16);
        qToLittleEndian<quint32>(quint32(bitmap.rows.size()), header + 20);
        // Resolution and the count of important colours stay 0.
        qToLittleEndian<quint32>(quint32(bitmap.palette.size()), header + 32);
    }

    uchar *next = header + headerSize;
    if (masks) {
        qToLittleEndian<quint32>(bitmap.redMask, next);
        qToLittleEndian<quint32>(bitmap.greenMask, next + 4);
        qToLittleEndian<quint32>(bitmap.blueMask, next + 8);
        next += MasksSize;
    }
    for (const quint32 colour : bitmap.palette) {
        next[0] = uchar(colour);
        next[1] = uchar(colour >> 8);
        next[2] = uchar(colour >> 16);
        next += entrySize; // the fourth byte of an information-header entry stays 0
    }
    std::copy(bitmap.rows.cbegin(), bitmap.rows.cend(), reinterpret_cast<char *>(next));
    return file;
}
