#include "BitmapReader.h"

#include <QtEndian>

namespace {

constexpr qint64 FileHeaderSize = 14;
constexpr qint64 CoreHeaderSize = 12;
constexpr qint64 InfoHeaderSize = 40;
constexpr qint64 MasksOffset = FileHeaderSize + InfoHeaderSize; // also inside V4/V5 headers

// The information header and its later, longer versions (V2, V3, V4, V5).
bool isInfoHeaderSize(quint32 size)
{
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// Little-endian reads that check the bounds of the file first.
class Bytes
{
public:
    explicit Bytes(const QByteArray &data)
        : data_(reinterpret_cast<const uchar *>(data.constData())), size_(data.size())
    {}

    const uchar *at(qint64 offset, qint64 length) const
    {
        if (offset < 0 || length < 0 || offset > size_ || length > size_ - offset)
            throwInvalidBitmap();
        return data_ + offset;
    }
    quint8 u8(qint64 offset) const { return *at(offset, 1); }
    quint16 u16(qint64 offset) const { return qFromLittleEndian<quint16>(at(offset, 2)); }
    quint32 u32(qint64 offset) const { return qFromLittleEndian<quint32>(at(offset, 4)); }
    qint32 i32(qint64 offset) const { return qFromLittleEndian<qint32>(at(offset, 4)); }

private:
    const uchar *data_;
    qint64 size_;
};

Bitmap::Compression compressionFor(quint32 code, int bitCount)
{
    if (code == 0)
        return Bitmap::Compression::None;
    if (code == 1 && bitCount == 8)
        return Bitmap::Compression::Rle8;
    if (code == 2 && bitCount == 4)
        return Bitmap::Compression::Rle4;
    if (code == 3 && (bitCount == 16 || bitCount == 32))
        return Bitmap::Compression::BitFields;
    throwInvalidBitmap(); // JPEG, PNG, alpha masks, or a code that does not fit the depth
}

// Unpacks run-length coded rows that start at `pos`. Every run is checked
// against the row and the picture before it is written, and the data must
// reach its end-of-bitmap mark.
QByteArray decodeRle(const Bytes &bytes, qint64 pos, const Bitmap &bitmap)
{
    const bool nibbles = bitmap.compression == Bitmap::Compression::Rle4;
    const qint64 stride = bitmap.stride();
    QByteArray rows(stride * bitmap.height, '\0');
    auto *out = reinterpret_cast<uchar *>(rows.data());
    qint64 x = 0;
    qint64 y = 0;

    const auto reserve = [&](qint64 count) {
        if (y >= bitmap.height || count > bitmap.width - x)
            throwInvalidBitmap();
    };
    const auto put = [&](qint64 px, uint value) {
        uchar *row = out + y * stride;
        if (!nibbles)
            row[px] = uchar(value);
        else if (px % 2)
            row[px / 2] = uchar((row[px / 2] & 0xF0) | (value & 0x0F));
        else
            row[px / 2] = uchar((row[px / 2] & 0x0F) | (value << 4));
    };

    for (;;) {
        const uint count = bytes.u8(pos);
        const uint value = bytes.u8(pos + 1);
        pos += 2;
        if (count > 0) { // a run of one byte (RLE4: of two alternating nibbles)
            reserve(count);
            for (uint i = 0; i < count; ++i)
                put(x + i, nibbles ? (i % 2 ? value & 0x0F : value >> 4) : value);
            x += count;
        } else if (value == 0) { // end of line
            x = 0;
            if (++y > bitmap.height)
                throwInvalidBitmap();
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // delta: skip along the row and on to later rows
            x += bytes.u8(pos);
            y += bytes.u8(pos + 1);
            pos += 2;
            if (x > bitmap.width || y > bitmap.height)
                throwInvalidBitmap();
        } else { // absolute run of `value` pixels, padded to 16 bits
            reserve(value);
            const qint64 length = nibbles ? (value + 1) / 2 : value;
            const uchar *source = bytes.at(pos, length);
            for (uint i = 0; i < value; ++i)
                put(x + i,
                    nibbles ? (i % 2 ? source[i / 2] & 0x0F : source[i / 2] >> 4) : source[i]);
            x += value;
            pos += length + length % 2;
        }
    }
    return rows;
}

} // namespace

Bitmap BitmapReader::read(const QByteArray &file)
{
    const Bytes bytes(file);
    if (bytes.u8(0) != 'B' || bytes.u8(1) != 'M')
        throwInvalidBitmap();
    const quint32 rowsOffset = bytes.u32(10);
    const quint32 headerSize = bytes.u32(14);
    bytes.at(FileHeaderSize, headerSize);

    Bitmap bitmap;
    qint64 width = 0;
    qint64 height = 0;
    quint32 compression = 0;
    quint32 colours = 0; // 0: as many as the depth allows
    if (headerSize == CoreHeaderSize) {
        bitmap.header = Bitmap::Header::Core;
        width = bytes.u16(18);
        height = bytes.u16(20);
        bitmap.bitCount = bytes.u16(24);
        if (bitmap.bitCount == 16 || bitmap.bitCount == 32)
            throwInvalidBitmap();
    } else if (isInfoHeaderSize(headerSize)) {
        bitmap.header = Bitmap::Header::Info;
        width = bytes.i32(18);
        height = bytes.i32(22);
        bitmap.topDown = height < 0;
        height = qAbs(height); // 64 bits: even the most negative height has a magnitude
        bitmap.bitCount = bytes.u16(28);
        compression = bytes.u32(30);
        colours = bytes.u32(46);
    } else {
        throwInvalidBitmap();
    }
    const int bitCount = bitmap.bitCount;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        throwInvalidBitmap();
    if (!Bitmap::withinLimits(width, height, bitCount))
        throwInvalidBitmap();
    bitmap.width = int(width);
    bitmap.height = int(height);
    bitmap.compression = compressionFor(compression, bitCount);

    qint64 pos = FileHeaderSize + headerSize;
    if (bitmap.compression == Bitmap::Compression::BitFields) {
        bitmap.redMask = bytes.u32(MasksOffset);
        bitmap.greenMask = bytes.u32(MasksOffset + 4);
        bitmap.blueMask = bytes.u32(MasksOffset + 8);
        if (headerSize == InfoHeaderSize) // the longer headers hold the masks themselves
            pos += 12;
    }

    const qint64 limit = bitCount < 32 ? qint64(1) << bitCount : qint64(1) << 32;
    const qint64 entries = colours == 0 && bitCount <= 8 ? limit : colours;
    if (entries > limit)
        throwInvalidBitmap();
    const qint64 entrySize = bitmap.header == Bitmap::Header::Core ? 3 : 4;
    const uchar *table = bytes.at(pos, entries * entrySize); // bounds the count by the file
    bitmap.palette.reserve(size_t(entries));
    for (qint64 i = 0; i < entries; ++i) {
        const uchar *entry = table + i * entrySize;
        bitmap.palette.push_back(0xFF000000u | entry[2] << 16 | entry[1] << 8 | entry[0]);
    }
    pos += entries * entrySize;

    if (rowsOffset < pos)
        throwInvalidBitmap();
    if (bitmap.compression == Bitmap::Compression::Rle8 ||
        bitmap.compression == Bitmap::Compression::Rle4) {
        bitmap.rows = decodeRle(bytes, rowsOffset, bitmap);
        bitmap.original = file;
    } else {
        const qint64 length = bitmap.stride() * bitmap.height;
        bitmap.rows =
            QByteArray(reinterpret_cast<const char *>(bytes.at(rowsOffset, length)), length);
    }
    return bitmap;
}
