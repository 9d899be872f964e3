#include "BmpWriter.h"

#include "photo/Bitmap.h"
#include "photo/BitmapWriter.h"

#include <cstring>
#include <stdexcept>

namespace {

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

// The picture as the photo column's bitmap: bottom row first, at
// `bitCount` bits, with `entries` palette entries (black past the image's).
Bitmap bitmapOf(const QImage &image, int bitCount, int entries)
{
    Bitmap bitmap;
    bitmap.width = image.width();
    bitmap.height = image.height();
    bitmap.bitCount = bitCount;
    const QList<QRgb> colours = image.colorTable();
    for (int i = 0; i < entries; ++i)
        bitmap.palette.push_back(i < colours.size() ? colours[i] | 0xff000000u : 0xff000000u);
    const qint64 stride = bitmap.stride();
    bitmap.rows = QByteArray(stride * bitmap.height, '\0');
    for (int y = 0; y < bitmap.height; ++y) {
        auto *out =
            reinterpret_cast<uchar *>(bitmap.rows.data()) + (bitmap.height - 1 - y) * stride;
        const uchar *in = image.constScanLine(y);
        if (bitCount == 24) {
            const auto *pixels = reinterpret_cast<const QRgb *>(in);
            for (int x = 0; x < bitmap.width; ++x) {
                out[3 * x] = uchar(qBlue(pixels[x]));
                out[3 * x + 1] = uchar(qGreen(pixels[x]));
                out[3 * x + 2] = uchar(qRed(pixels[x]));
            }
        } else if (bitCount == 8) {
            std::memcpy(out, in, size_t(bitmap.width));
        } else {
            for (int x = 0; x < bitmap.width; ++x)
                out[x / 2] |= uchar(x % 2 ? in[x] : in[x] << 4);
        }
    }
    return bitmap;
}

} // namespace

QByteArray BmpWriter::encode(const QImage &image, Kind kind)
{
    if (image.isNull())
        throw std::invalid_argument("no picture to encode");
    switch (kind) {
    case Kind::Rgb24:
        return BitmapWriter::write(bitmapOf(image.convertToFormat(QImage::Format_RGB32), 24, 0));
    case Kind::Indexed8:
        requirePalette(image, 256);
        return BitmapWriter::write(bitmapOf(image, 8, int(image.colorCount())));
    case Kind::Rle8:
    case Kind::Rle4: {
        const bool eight = kind == Kind::Rle8;
        requirePalette(image, eight ? 256 : 16);
        Bitmap bitmap = bitmapOf(image, eight ? 8 : 4, int(image.colorCount()));
        bitmap.compression = eight ? Bitmap::Compression::Rle8 : Bitmap::Compression::Rle4;
        return BitmapWriter::writeRunLength(bitmap);
    }
    case Kind::Core8: {
        requirePalette(image, 256);
        if (image.width() > 0xffff || image.height() > 0xffff)
            throw std::invalid_argument("the core header holds 16-bit sizes only");
        // The core header has no count of colours: the table is always full.
        Bitmap bitmap = bitmapOf(image, 8, 256);
        bitmap.header = Bitmap::Header::Core;
        return BitmapWriter::write(bitmap);
    }
    }
    throw std::invalid_argument("unknown BMP kind");
}
