#include "Bitmap.h"

#include "../recordset/Error.h"

#include <QtAlgorithms>
#include <QtEndian>

namespace {

constexpr quint32 Opaque = 0xFF000000u;

bool knownBitCount(int bitCount)
{
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

// One colour channel read through a mask and stretched to 0..255, so that a
// full 5-bit or 6-bit channel gives 255 like a full 8-bit one.
class Channel
{
public:
    explicit Channel(quint32 mask)
        : mask_(mask), shift_(mask ? qCountTrailingZeroBits(mask) : 0), max_(mask >> shift_)
    {}

    quint32 operator()(quint32 pixel) const
    {
        if (max_ == 0)
            return 0;
        const quint64 value = (pixel & mask_) >> shift_;
        return quint32((value * 255 + max_ / 2) / max_);
    }

private:
    quint32 mask_;
    int shift_;
    quint64 max_;
};

} // namespace

void throwInvalidBitmap()
{
    throw Error(QStringLiteral("Bitmap image is not valid"));
}

qint64 Bitmap::strideFor(qint64 width, int bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}

bool Bitmap::withinLimits(qint64 width, qint64 height, int bitCount)
{
    return width > 0 && height > 0 && width <= MaxSide && height <= MaxSide &&
           width * height <= MaxPixels && strideFor(width, bitCount) * height <= MaxRowBytes;
}

bool Bitmap::isValid() const
{
    if (!knownBitCount(bitCount) || !withinLimits(width, height, bitCount) ||
        rows.size() != stride() * height)
        return false;
    if ((bitCount <= 8 && palette.empty()) ||
        (bitCount < 32 && palette.size() > (size_t(1) << bitCount)))
        return false;
    switch (compression) {
    case Compression::None:
        return true;
    case Compression::Rle8:
        return bitCount == 8;
    case Compression::Rle4:
        return bitCount == 4;
    case Compression::BitFields:
        return bitCount == 16 || bitCount == 32;
    }
    return false;
}

std::vector<quint32> Bitmap::toArgb() const
{
    if (isNull() || !isValid())
        return {};
    const bool masked = compression == Compression::BitFields;
    // Sixteen bits without masks are 5-5-5.
    const Channel red(masked ? redMask : 0x7C00);
    const Channel green(masked ? greenMask : 0x03E0);
    const Channel blue(masked ? blueMask : 0x001F);
    const auto colour = [this](quint32 index) {
        return index < palette.size() ? palette[index] : Opaque;
    };
    const auto masks = [&](quint32 pixel) {
        return Opaque | red(pixel) << 16 | green(pixel) << 8 | blue(pixel);
    };

    std::vector<quint32> argb;
    argb.reserve(size_t(width) * size_t(height));
    const qint64 rowBytes = stride();
    const auto *data = reinterpret_cast<const uchar *>(rows.constData());
    for (int y = 0; y < height; ++y) {
        const uchar *row = data + (topDown ? y : height - 1 - y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            switch (bitCount) {
            case 1:
                argb.push_back(colour((row[x / 8] >> (7 - x % 8)) & 1));
                break;
            case 4:
                argb.push_back(colour((row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F));
                break;
            case 8:
                argb.push_back(colour(row[x]));
                break;
            case 16:
                argb.push_back(masks(qFromLittleEndian<quint16>(row + 2 * x)));
                break;
            case 24:
                argb.push_back(Opaque | row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x]);
                break;
            default: // 32
                if (masked)
                    argb.push_back(masks(qFromLittleEndian<quint32>(row + 4 * x)));
                else
                    argb.push_back(Opaque | row[4 * x + 2] << 16 | row[4 * x + 1] << 8 |
                                   row[4 * x]);
                break;
            }
        }
    }
    return argb;
}

Bitmap Bitmap::fromArgb(int width, int height, const quint32 *pixels)
{
    if (width <= 0 || height <= 0 || !pixels)
        return {};
    if (!withinLimits(width, height, 24))
        throwInvalidBitmap();
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bitCount = 24;
    const qint64 rowBytes = bitmap.stride();
    bitmap.rows = QByteArray(rowBytes * height, '\0');
    auto *data = reinterpret_cast<uchar *>(bitmap.rows.data());
    for (int y = 0; y < height; ++y) {
        uchar *row = data + (height - 1 - y) * rowBytes;
        const quint32 *source = pixels + qint64(y) * width;
        for (int x = 0; x < width; ++x) {
            row[3 * x] = uchar(source[x]);
            row[3 * x + 1] = uchar(source[x] >> 8);
            row[3 * x + 2] = uchar(source[x] >> 16);
        }
    }
    return bitmap;
}
