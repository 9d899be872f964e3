#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <vector>

// A photo as the photo column holds it. The pixel rows stay at the file's own
// bit depth, with its palette, masks and row order, so that writing the
// picture back gives the same kind of file that was read.
class Bitmap
{
public:
    enum class Header {
        Core, // the 12-byte core header, 3-byte palette entries
        Info, // the 40-byte information header (or a larger one, of which 40 bytes count)
    };
    enum class Compression { None, Rle8, Rle4, BitFields };

    int width = 0;
    int height = 0;
    bool topDown = false; // the file gave a negative height: its first row is the top one
    int bitCount = 0;     // 1, 4, 8, 16, 24 or 32
    Header header = Header::Info;
    Compression compression = Compression::None;
    quint32 redMask = 0; // the masks count only for BitFields
    quint32 greenMask = 0;
    quint32 blueMask = 0;
    std::vector<quint32> palette; // 0xAARRGGBB, alpha 255
    QByteArray rows;              // uncompressed, each padded to 4 bytes, in file order
    // For RLE files: the whole file as read, which is what gets written back;
    // clear it after changing the pixels.
    QByteArray original;

    bool isNull() const { return width <= 0 || height <= 0; }

    // Whether the fields describe a picture that can be decoded and written:
    // known depth and compression, a palette for 8 bits and less, and rows
    // of exactly the size that width, height and depth ask for.
    bool isValid() const;

    // The pixels as 0xAARRGGBB, top row first, width * height values; empty
    // for a null or invalid bitmap. Indices outside the palette read as black.
    std::vector<quint32> toArgb() const;

    // A picture made in the program (pasted, converted from another format):
    // 24 bits, uncompressed, information header, bottom-up. `pixels` holds
    // width * height values, top row first; their alpha is dropped. Null for
    // a zero or negative size; throws Error past the size limits.
    static Bitmap fromArgb(int width, int height, const quint32 *pixels);

    // Bytes of one pixel row, padded to 4 bytes.
    static qint64 strideFor(qint64 width, int bitCount);
    qint64 stride() const { return strideFor(width, bitCount); }

    // Sizes past which a picture is refused before anything is allocated:
    // no photo of a shop's part needs more, and a damaged header must not
    // make the program ask for gigabytes.
    static constexpr int MaxSide = 30000;
    static constexpr qint64 MaxRowBytes = qint64(256) * 1024 * 1024;
    // A run-length file of a few bytes may claim any size, and its pixels
    // take 4 bytes each once shown: they stay within the same 256 MB.
    static constexpr qint64 MaxPixels = MaxRowBytes / 4;
    static bool withinLimits(qint64 width, qint64 height, int bitCount);
};

// The one failure of the photo codec: Error("Bitmap image is not valid").
[[noreturn]] void throwInvalidBitmap();
