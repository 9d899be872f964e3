#include "BmpWriter.h"

#include <stdexcept>

namespace {

// Pixels per metre of 72 dpi, the usual value of older paint programs.
constexpr quint32 kPixelsPerMetre = 2835;
constexpr int kMaxRun = 255;
// Absolute mode carries at least three pixels: counts 0, 1 and 2 after an
// escape mean end of line, end of bitmap and delta.
constexpr int kMinLiteral = 3;
constexpr char kEscape = 0;
constexpr char kEndOfLine = 0;
constexpr char kEndOfBitmap = 1;

void put16(QByteArray &out, quint16 value)
{
    out.append(char(value & 0xff));
    out.append(char(value >> 8));
}

void put32(QByteArray &out, quint32 value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xff));
}

// Rows of BMP pixels are padded to whole 32-bit words.
int paddedRowBytes(int width, int bitsPerPixel)
{
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

void putFileHeader(QByteArray &out, quint32 fileSize, quint32 pixelOffset)
{
    out.append("BM", 2);
    put32(out, fileSize);
    put32(out, 0); // two reserved words
    put32(out, pixelOffset);
}

void putInfoHeader(QByteArray &out, const QImage &image, int bitsPerPixel, quint32 compression,
                   quint32 imageSize, quint32 coloursUsed)
{
    put32(out, BmpWriter::InfoHeaderSize);
    put32(out, quint32(image.width()));
    put32(out, quint32(image.height())); // positive: bottom row first
    put16(out, 1);
    put16(out, quint16(bitsPerPixel));
    put32(out, compression);
    put32(out, imageSize);
    put32(out, kPixelsPerMetre);
    put32(out, kPixelsPerMetre);
    put32(out, coloursUsed);
    put32(out, 0); // all colours important
}

void putPalette(QByteArray &out, const QImage &image, int entries, bool coreEntries)
{
    const QList<QRgb> colours = image.colorTable();
    for (int i = 0; i < entries; ++i) {
        const QRgb c = i < colours.size() ? colours[i] : qRgb(0, 0, 0);
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        if (!coreEntries)
            out.append(char(0));
    }
}

void requirePalette(const QImage &image, int maxColours)
{
    if (image.format() != QImage::Format_Indexed8)
        throw std::invalid_argument("a palette BMP needs an 8-bit indexed image");
    if (image.colorCount() > maxColours)
        throw std::invalid_argument("too many colours for this BMP kind");
    // An index past the palette would make a file that readers reject.
    for (int y = 0; y < image.height(); ++y) {
        const uchar *row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            if (row[x] >= image.colorCount())
                throw std::invalid_argument("pixel index outside the palette");
    }
}

int runLength(const uchar *row, int from, int width, int limit)
{
    int n = 1;
    while (from + n < width && n < limit && row[from + n] == row[from])
        ++n;
    return n;
}

// Both run-length codings share their structure: a run of two or more equal
// pixels is one count/value pair; a stretch of at least three pixels without
// such runs goes in absolute mode; shorter stretches go as runs of one. The
// bitsPerIndex decides how values and literals are packed.
QByteArray encodeRle(const QImage &indices, int bitsPerIndex)
{
    QByteArray out;
    const int width = indices.width();
    const auto putRun = [&](int count, uchar index) {
        out.append(char(count));
        out.append(char(bitsPerIndex == 4 ? (index << 4) | index : index));
    };
    const auto putLiteral = [&](const uchar *pixels, int count) {
        out.append(kEscape);
        out.append(char(count));
        int bytes = 0;
        if (bitsPerIndex == 8) {
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

    for (int y = indices.height() - 1; y >= 0; --y) {
        const uchar *row = indices.constScanLine(y);
        int x = 0;
        while (x < width) {
            const int run = runLength(row, x, width, kMaxRun);
            if (run >= 2) {
                putRun(run, row[x]);
                x += run;
                continue;
            }
            int end = x + 1;
            while (end < width && end - x < kMaxRun &&
                   runLength(row, end, width, kMinLiteral) < kMinLiteral)
                ++end;
            if (end - x >= kMinLiteral) {
                putLiteral(row + x, end - x);
            } else {
                for (int i = x; i < end; ++i)
                    putRun(1, row[i]);
            }
            x = end;
        }
        out.append(kEscape);
        out.append(y > 0 ? kEndOfLine : kEndOfBitmap);
    }
    return out;
}

QByteArray encodeUncompressed(const QImage &image, int bitsPerPixel)
{
    const int rowBytes = paddedRowBytes(image.width(), bitsPerPixel);
    QByteArray out;
    out.reserve(rowBytes * image.height());
    const QByteArray padding(rowBytes - (image.width() * bitsPerPixel) / 8, '\0');
    for (int y = image.height() - 1; y >= 0; --y) {
        if (bitsPerPixel == 8) {
            out.append(reinterpret_cast<const char *>(image.constScanLine(y)), image.width());
        } else {
            const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                out.append(char(qBlue(row[x])));
                out.append(char(qGreen(row[x])));
                out.append(char(qRed(row[x])));
            }
        }
        out.append(padding);
    }
    return out;
}

} // namespace

QByteArray BmpWriter::encodeRle8(const QImage &indices)
{
    requirePalette(indices, 256);
    return encodeRle(indices, 8);
}

QByteArray BmpWriter::encodeRle4(const QImage &indices)
{
    requirePalette(indices, 16);
    return encodeRle(indices, 4);
}

QByteArray BmpWriter::encode(const QImage &image, Kind kind)
{
    if (image.isNull())
        throw std::invalid_argument("no picture to encode");

    QByteArray pixels;
    int bitsPerPixel = 8;
    int paletteEntries = 0;
    quint32 compression = CompressionNone;
    bool core = false;
    QImage source = image;

    switch (kind) {
    case Kind::Rgb24:
        source = image.convertToFormat(QImage::Format_RGB32);
        bitsPerPixel = 24;
        pixels = encodeUncompressed(source, bitsPerPixel);
        break;
    case Kind::Indexed8:
        requirePalette(image, 256);
        paletteEntries = int(image.colorCount());
        pixels = encodeUncompressed(image, bitsPerPixel);
        break;
    case Kind::Rle8:
        pixels = encodeRle8(image);
        paletteEntries = int(image.colorCount());
        compression = CompressionRle8;
        break;
    case Kind::Rle4:
        pixels = encodeRle4(image);
        bitsPerPixel = 4;
        paletteEntries = int(image.colorCount());
        compression = CompressionRle4;
        break;
    case Kind::Core8:
        requirePalette(image, 256);
        if (image.width() > 0xffff || image.height() > 0xffff)
            throw std::invalid_argument("the core header holds 16-bit sizes only");
        // The core header has no count of colours: the table is always full.
        paletteEntries = 256;
        core = true;
        pixels = encodeUncompressed(image, bitsPerPixel);
        break;
    }

    const int headerSize = core ? CoreHeaderSize : InfoHeaderSize;
    const int paletteBytes = paletteEntries * (core ? 3 : 4);
    const quint32 pixelOffset = quint32(FileHeaderSize + headerSize + paletteBytes);
    const quint32 fileSize = pixelOffset + quint32(pixels.size());

    QByteArray out;
    out.reserve(int(fileSize));
    putFileHeader(out, fileSize, pixelOffset);
    if (core) {
        put32(out, CoreHeaderSize);
        put16(out, quint16(image.width()));
        put16(out, quint16(image.height()));
        put16(out, 1);
        put16(out, quint16(bitsPerPixel));
    } else {
        putInfoHeader(out, source, bitsPerPixel, compression, quint32(pixels.size()),
                      quint32(paletteEntries));
    }
    putPalette(out, source, paletteEntries, core);
    out.append(pixels);
    return out;
}
