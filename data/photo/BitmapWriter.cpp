#include "BitmapWriter.h"

#include <QtEndian>

#include <algorithm>
#include <limits>

namespace {

// The parts of a file, by their sizes in bytes, and the codes of its
// header's compression.
enum Size { FileHeaderSize = 14, CoreHeaderSize = 12, InfoHeaderSize = 40, MasksSize = 12 };
enum Code : quint32 { BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitFields = 3 };

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

// Runs longer than this are split; absolute mode carries at least three
// pixels, as counts 0, 1 and 2 after an escape mean end of line, end of
// bitmap and delta.
constexpr int MaxRun = 255;
constexpr int MinLiteral = 3;
constexpr char Escape = 0;
constexpr char EndOfLine = 0;
constexpr char EndOfBitmap = 1;

// The palette indices of one row of an 8- or 4-bit bitmap, in file order.
std::vector<uchar> indicesOf(const Bitmap &bitmap, int fileRow)
{
    const auto *row =
        reinterpret_cast<const uchar *>(bitmap.rows.constData()) + fileRow * bitmap.stride();
    std::vector<uchar> indices(size_t(bitmap.width));
    for (int x = 0; x < bitmap.width; ++x)
        indices[size_t(x)] =
            bitmap.bitCount == 8 ? row[x] : uchar(x % 2 ? row[x / 2] & 0x0f : row[x / 2] >> 4);
    return indices;
}

int runLength(const std::vector<uchar> &row, int from, int limit)
{
    int n = 1;
    while (from + n < int(row.size()) && n < limit && row[size_t(from + n)] == row[size_t(from)])
        ++n;
    return n;
}

QByteArray runLengthRows(const Bitmap &bitmap)
{
    const bool four = bitmap.bitCount == 4;
    QByteArray out;
    const auto putRun = [&](int count, uchar index) {
        out.append(char(count));
        out.append(char(four ? (index << 4) | index : index));
    };
    const auto putLiteral = [&](const uchar *pixels, int count) {
        out.append(Escape);
        out.append(char(count));
        int bytes = 0;
        if (!four) {
            out.append(reinterpret_cast<const char *>(pixels), count);
            bytes = count;
        } else {
            for (int i = 0; i < count; i += 2, ++bytes) {
                const uchar low = i + 1 < count ? pixels[i + 1] : 0;
                out.append(char((pixels[i] << 4) | low));
            }
        }
        if (bytes % 2 != 0)
            out.append(char(0)); // absolute runs end on a 16-bit boundary
    };
    for (int y = 0; y < bitmap.height; ++y) {
        const std::vector<uchar> row = indicesOf(bitmap, y);
        const int width = int(row.size());
        int x = 0;
        while (x < width) {
            const int run = runLength(row, x, MaxRun);
            if (run >= 2) {
                putRun(run, row[size_t(x)]);
                x += run;
                continue;
            }
            int end = x + 1;
            while (end < width && end - x < MaxRun && runLength(row, end, MinLiteral) < MinLiteral)
                ++end;
            if (end - x >= MinLiteral) {
                putLiteral(row.data() + x, end - x);
            } else {
                for (int i = x; i < end; ++i)
                    putRun(1, row[size_t(i)]);
            }
            x = end;
        }
        out.append(Escape);
        out.append(y + 1 < bitmap.height ? EndOfLine : EndOfBitmap);
    }
    return out;
}

// The file around `pixels`: the headers, the masks and the palette.
QByteArray fileOf(const Bitmap &bitmap, const QByteArray &pixels, quint32 compression)
{
    const bool core = keepsCoreHeader(bitmap) && compression == BiRgb;
    const bool masks = compression == BiBitFields;
    const int headerSize = core ? CoreHeaderSize : InfoHeaderSize;
    const int entrySize = core ? 3 : 4;
    const qint64 rowsOffset = FileHeaderSize + headerSize + (masks ? MasksSize : 0) +
                              qint64(bitmap.palette.size()) * entrySize;
    const qint64 total = rowsOffset + pixels.size();
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
        qToLittleEndian<quint32>(compression, header + 16);
        qToLittleEndian<quint32>(quint32(pixels.size()), header + 20);
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
    std::copy(pixels.cbegin(), pixels.cend(), reinterpret_cast<char *>(next));
    return file;
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
    return fileOf(bitmap, bitmap.rows,
                  bitmap.compression == Bitmap::Compression::BitFields ? BiBitFields : BiRgb);
}

QByteArray BitmapWriter::writeRunLength(const Bitmap &bitmap)
{
    const bool rle = bitmap.compression == Bitmap::Compression::Rle8 ||
                     bitmap.compression == Bitmap::Compression::Rle4;
    if (bitmap.isNull() || !bitmap.isValid() || !rle || bitmap.topDown)
        throwInvalidBitmap();
    return fileOf(bitmap, runLengthRows(bitmap),
                  bitmap.compression == Bitmap::Compression::Rle8 ? BiRle8 : BiRle4);
}
