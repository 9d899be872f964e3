#include "photo/BitmapWriter.h"
#include "photo/PhotoCodec.h"
#include "recordset/Error.h"

#include <QImage>
#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>

#include <climits>

namespace {

// The 8-byte graphic header: count, type, then the length of what follows.
QByteArray graphicHeader(quint16 count, quint16 type, quint32 length)
{
    QByteArray header(8, '\0');
    auto *bytes = reinterpret_cast<uchar *>(header.data());
    qToLittleEndian<quint16>(count, bytes);
    qToLittleEndian<quint16>(type, bytes + 2);
    qToLittleEndian<quint32>(length, bytes + 4);
    return header;
}

const QByteArray kBmp = QByteArray("BM") + QByteArray(60, '\x11');

using Pixels = QList<quint32>;

constexpr quint32 K = 0xFF000000, W = 0xFFFFFFFF, R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF;

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(value, bytes.data());
    return bytes;
}

// A BMP file assembled field by field, so that every layout and every kind of
// damage can be made, also those that Qt's own writer does not produce.
struct Bmp
{
    quint32 headerSize = 40; // 12, 40, 108 or 124
    qint32 width = 1;
    qint32 height = 1;
    quint16 bitCount = 24;
    quint32 compression = 0;
    qint64 colours = -1; // the colour count field; -1: the palette's size
    Pixels palette;      // 0xRRGGBB
    Pixels masks;        // after a 40-byte header, inside a longer one
    QByteArray rows;
    qint64 offset = -1;    // of the rows; -1: right after the palette
    qint64 fileSize = -1;  // -1: the real size
    qint64 imageSize = -1; // -1: the size of `rows`

    // A copy with one field changed, so that each variant reads as one line.
    template <typename T, typename V> Bmp with(T Bmp::*field, V value) const
    {
        Bmp copy = *this;
        copy.*field = T(value);
        return copy;
    }

    QByteArray bytes() const
    {
        QByteArray header(int(headerSize), '\0');
        auto *h = reinterpret_cast<uchar *>(header.data());
        qToLittleEndian<quint32>(headerSize, h);
        if (headerSize == 12) {
            qToLittleEndian<quint16>(quint16(width), h + 4);
            qToLittleEndian<quint16>(quint16(height), h + 6);
            qToLittleEndian<quint16>(1, h + 8);
            qToLittleEndian<quint16>(bitCount, h + 10);
        } else {
            qToLittleEndian<qint32>(width, h + 4);
            qToLittleEndian<qint32>(height, h + 8);
            qToLittleEndian<quint16>(1, h + 12);
            qToLittleEndian<quint16>(bitCount, h + 14);
            qToLittleEndian<quint32>(compression, h + 16);
            qToLittleEndian<quint32>(quint32(imageSize < 0 ? rows.size() : imageSize), h + 20);
            qToLittleEndian<quint32>(quint32(colours < 0 ? palette.size() : colours), h + 32);
        }
        QByteArray tables;
        for (int i = 0; i < masks.size(); ++i) {
            if (headerSize > 40)
                qToLittleEndian<quint32>(masks[i], h + 40 + 4 * i);
            else
                tables += le32(masks[i]);
        }
        for (const quint32 colour : palette)
            tables += le32(colour).left(headerSize == 12 ? 3 : 4);
        const qint64 start = 14 + header.size() + tables.size();
        const qint64 at = offset < 0 ? start : offset;
        QByteArray file = "BM" + le32(0) + le32(0) + le32(quint32(at)) + header + tables;
        file += QByteArray(qMax<qint64>(0, at - start), '\x5A') + rows;
        file.replace(2, 4, le32(quint32(fileSize < 0 ? file.size() : fileSize)));
        return file;
    }
};

Bmp bmp(quint32 headerSize, int width, int height, int bitCount, const Pixels &palette,
        const QByteArray &rows)
{
    Bmp b;
    b.headerSize = headerSize;
    b.width = width;
    b.height = height;
    b.bitCount = quint16(bitCount);
    b.palette = palette;
    b.rows = rows;
    return b;
}

// Pixel rows from values of `bitCount` bits (0xAARRGGBB for 24 and 32 bits),
// listed row by row in file order; each row padded to 4 bytes.
QByteArray pack(int width, int bitCount, const Pixels &values)
{
    const int stride = (width * bitCount + 31) / 32 * 4;
    QByteArray rows;
    for (int start = 0; start < values.size(); start += width) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const quint32 value = values[start + x];
            const int bit = x * bitCount;
            if (bitCount < 8)
                row[bit / 8] = char(row[bit / 8] | value << (8 - bitCount - bit % 8));
            for (int i = 0; i < bitCount / 8; ++i)
                row[bit / 8 + i] = char(value >> (8 * i));
        }
        rows += row;
    }
    return rows;
}

// Run-length coded rows: even rows as runs of equal pixels, odd rows as one
// absolute run, every row closed by an end of line.
QByteArray rle(int width, bool nibbles, const Pixels &values)
{
    QByteArray out;
    for (int y = 0; y * width < values.size(); ++y) {
        const Pixels row = values.mid(y * width, width);
        if (y % 2 == 0) {
            for (int i = 0, j = 0; i < width; i = j) {
                while (j < width && row[j] == row[i] && j - i < 255)
                    ++j;
                out += char(j - i);
                out += char(nibbles ? row[i] << 4 | row[i] : row[i]);
            }
        } else {
            QByteArray literal = nibbles ? pack(width, 4, row).left((width + 1) / 2)
                                         : pack(width, 8, row).left(width);
            out += '\0';
            out += char(width);
            out += literal + QByteArray(literal.size() % 2, '\0');
        }
        out += QByteArray(2, '\0');
    }
    return out + QByteArray::fromHex("0001");
}

Pixels greys(int count) // 0x000000, 0x111111, ... for 16; an even ramp otherwise
{
    Pixels palette;
    for (int i = 0; i < count; ++i)
        palette << quint32(i * 255 / (count - 1)) * 0x010101u;
    return palette;
}

Pixels opaque(const Pixels &rgb)
{
    Pixels argb;
    for (const quint32 colour : rgb)
        argb << (0xFF000000u | colour);
    return argb;
}

Pixels argbOf(const Bitmap &bitmap)
{
    const std::vector<quint32> argb = bitmap.toArgb();
    return Pixels(argb.begin(), argb.end());
}

void expectInvalid(const QByteArray &file)
{
    try {
        PhotoCodec::read(file);
        QFAIL("the file was read as a bitmap");
    } catch (const Error &error) {
        QCOMPARE(error.message(), "Bitmap image is not valid");
    }
}

} // namespace

class TestPhotoCodec : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void decode_data();
    void decode();
    void agreesWithQImage_data();
    void agreesWithQImage();
    void refuse_data();
    void refuse();
    void column();
    void fromArgb();
    void writeRules();
    void runLengthWritesReadBack_data();
    void runLengthWritesReadBack();
};

void TestPhotoCodec::read_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("expected"); // null: the read fails

    const quint32 size = quint32(kBmp.size());
    QTest::newRow("NULL") << QByteArray() << QByteArray("");
    QTest::newRow("empty") << QByteArray("") << QByteArray("");
    QTest::newRow("plain BMP") << kBmp << kBmp;
    QTest::newRow("just the signature") << QByteArray("BM") << QByteArray("BM");
    QTest::newRow("graphic header") << graphicHeader(1, 0x0100, size) + kBmp << kBmp;
    QTest::newRow("header length too small")
        << graphicHeader(1, 0x0100, size - 1) + kBmp << QByteArray();
    QTest::newRow("header length too large")
        << graphicHeader(1, 0x0100, size + 1) + kBmp << QByteArray();
    QTest::newRow("header count 2") << graphicHeader(2, 0x0100, size) + kBmp << QByteArray();
    QTest::newRow("header type swapped") << graphicHeader(1, 0x0001, size) + kBmp << QByteArray();
    QTest::newRow("header alone") << graphicHeader(1, 0x0100, 0) << QByteArray();
    QTest::newRow("header before no BMP")
        << graphicHeader(1, 0x0100, 4) + QByteArray("GIF8") << QByteArray();
    QTest::newRow("header then header")
        << graphicHeader(1, 0x0100, size + 8) + graphicHeader(1, 0x0100, size) + kBmp
        << QByteArray();
    QTest::newRow("lower-case signature") << QByteArray("bm") + kBmp.mid(2) << QByteArray();
    QTest::newRow("one byte") << QByteArray("B") << QByteArray();
    QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1a\n") + kBmp << QByteArray();
}

void TestPhotoCodec::read()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, expected);

    if (expected.isNull()) {
        try {
            PhotoCodec::bmpFromColumn(stored);
            QFAIL("the value was read as a bitmap");
        } catch (const Error &error) {
            QCOMPARE(error.message(), "Bitmap image is not valid");
        }
    } else {
        QCOMPARE(PhotoCodec::bmpFromColumn(stored), expected);
    }
}

// Each file is read, written and read again: the pixels survive, so do depth,
// header kind, compression, row order, palette and masks, and a file that
// already has the written layout comes back byte for byte.
void TestPhotoCodec::decode_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Pixels>("argb"); // top row first
    QTest::addColumn<bool>("canonical");

    const Pixels rgb3 = {0xFF0000, 0x00FF00, 0x0000FF};
    const Pixels six = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000};
    const Bmp bits1 = bmp(40, 3, 2, 1, {0x000000, 0xFFFFFF}, pack(3, 1, {1, 0, 1, 0, 1, 1}));
    QTest::newRow("1 bit") << bits1.bytes() << Pixels{K, W, W, W, K, W} << true;
    QTest::newRow("4 bits, index past the palette")
        << bmp(40, 3, 2, 4, rgb3, pack(3, 4, {0, 1, 2, 2, 5, 0})).bytes()
        << Pixels{B, K, R, R, G, B} << true;
    QTest::newRow("8 bits, padded rows")
        << bmp(40, 5, 1, 8, {0x000000, 0x808080, 0xFFFFFF}, pack(5, 8, {2, 1, 0, 1, 2})).bytes()
        << Pixels{W, 0xFF808080, K, 0xFF808080, W} << true;
    QTest::newRow("8 bits, palette size implied")
        << bmp(40, 2, 1, 8, greys(256), pack(2, 8, {0, 255})).with(&Bmp::colours, 0).bytes()
        << Pixels{K, W} << false;
    QTest::newRow("16 bits, 5-5-5") << bmp(40, 2, 1, 16, {}, pack(2, 16, {0x7C00, 0x83FF})).bytes()
                                    << Pixels{R, 0xFF00FFFF} << true;
    const Bmp rgb565 = bmp(40, 3, 1, 16, {}, pack(3, 16, {0xF800, 0x07E0, 0x0010}))
                           .with(&Bmp::compression, 3)
                           .with(&Bmp::masks, Pixels{0xF800, 0x07E0, 0x001F});
    QTest::newRow("16 bits, 5-6-5 masks") << rgb565.bytes() << Pixels{R, G, 0xFF000084} << true;
    QTest::newRow("16 bits, masks and a colour table")
        << rgb565.with(&Bmp::palette, Pixels{0x123456}).bytes() << Pixels{R, G, 0xFF000084} << true;
    const Bmp bits24 = bmp(40, 3, 2, 24, {}, pack(3, 24, six));
    QTest::newRow("24 bits, padded rows")
        << bits24.bytes() << Pixels{0xFF123456, W, K, R, G, B} << true;
    QTest::newRow("24 bits, top-down")
        << bits24.with(&Bmp::height, -2).bytes() << Pixels{R, G, B, 0xFF123456, W, K} << true;
    QTest::newRow("24 bits with a colour table")
        << bmp(40, 1, 1, 24, {0x00FF00}, pack(1, 24, {0x0000FF})).bytes() << Pixels{B} << true;
    QTest::newRow("32 bits, alpha byte ignored")
        << bmp(40, 2, 1, 32, {}, pack(2, 32, {0x7FFF0000, 0x0000FF00})).bytes() << Pixels{R, G}
        << true;
    QTest::newRow("32 bits, 10-bit masks")
        << bmp(40, 3, 1, 32, {}, pack(3, 32, {0x3FF00000, 0x000FFC00, 0x00000200}))
               .with(&Bmp::compression, 3)
               .with(&Bmp::masks, Pixels{0x3FF00000, 0x000FFC00, 0x000003FF})
               .bytes()
        << Pixels{R, G, 0xFF000080} << true;
    QTest::newRow("V5 header, masks inside it, red and blue swapped")
        << bmp(124, 2, 1, 32, {}, pack(2, 32, {0x00FF0000, 0x000000FF}))
               .with(&Bmp::compression, 3)
               .with(&Bmp::masks, Pixels{0x000000FF, 0x0000FF00, 0x00FF0000})
               .bytes()
        << Pixels{B, R} << false;
    QTest::newRow("V4 header, 8 bits")
        << bmp(108, 2, 1, 8, {0xFF0000, 0x00FF00}, pack(2, 8, {1, 0})).bytes() << Pixels{G, R}
        << false;
    QTest::newRow("core header, 1 bit")
        << bits1.with(&Bmp::headerSize, 12).bytes() << Pixels{K, W, W, W, K, W} << true;
    QTest::newRow("core header, 8 bits")
        << bmp(12, 2, 1, 8, greys(256), pack(2, 8, {0x80, 0xFF})).bytes() << Pixels{0xFF808080, W}
        << true;
    QTest::newRow("core header, 24 bits")
        << bmp(12, 1, 1, 24, {}, pack(1, 24, {0x123456})).bytes() << Pixels{0xFF123456} << true;
    const Bmp green = bmp(40, 1, 1, 24, {}, pack(1, 24, {0x00FF00}));
    QTest::newRow("gap before the rows")
        << green.with(&Bmp::offset, 54 + 10).bytes() << Pixels{G} << false;
    QTest::newRow("size fields claim 4 GB")
        << green.with(&Bmp::fileSize, 0xFFFFFFFF).with(&Bmp::imageSize, 0xFFFFFFFF).bytes()
        << Pixels{G} << false;

    // Run-length coded files come back as they were read.
    const Pixels krgb = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    const auto coded = [](int width, int height, int bitCount, const Pixels &palette,
                          const char *hex) {
        return bmp(40, width, height, bitCount, palette, QByteArray::fromHex(hex))
            .with(&Bmp::compression, bitCount == 8 ? 1 : 2)
            .bytes();
    };
    QTest::newRow("RLE8: runs, absolute run, end of line")
        << coded(5, 2, 8, krgb, "0201 0003020301 00 0000 0502 0000 0001")
        << Pixels{G, G, G, G, G, R, R, G, B, R} << true;
    QTest::newRow("RLE8: delta, bytes after the end")
        << coded(4, 3, 8, krgb, "0101 0002 0201 0103 0001 FFFF")
        << Pixels{K, K, K, K, K, K, K, B, R, K, K, K} << true;
    const Pixels g = opaque(greys(16));
    QTest::newRow("RLE4: runs, absolute run")
        << coded(5, 2, 4, greys(16), "0512 0000 00033450 0267 0000 0001")
        << Pixels{g[3], g[4], g[5], g[6], g[7], g[1], g[2], g[1], g[2], g[1]} << true;
    QTest::newRow("RLE4: odd absolute run, delta")
        << coded(6, 2, 4, greys(16), "0005 12345000 0002 0001 01F0 0001")
        << Pixels{g[0], g[0], g[0], g[0], g[0], g[15], g[1], g[2], g[3], g[4], g[5], g[0]} << true;
}

void TestPhotoCodec::decode()
{
    QFETCH(QByteArray, file);
    QFETCH(Pixels, argb);
    QFETCH(bool, canonical);

    const Bitmap bitmap = PhotoCodec::read(file);
    QCOMPARE(argbOf(bitmap), argb);
    const QByteArray written = PhotoCodec::write(bitmap);
    if (canonical)
        QCOMPARE(written, file);
    const Bitmap again = PhotoCodec::read(written);
    QCOMPARE(argbOf(again), argb);
    QCOMPARE(again.bitCount, bitmap.bitCount);
    QCOMPARE(again.header, bitmap.header);
    QCOMPARE(again.compression, bitmap.compression);
    QCOMPARE(again.topDown, bitmap.topDown);
    QCOMPARE(again.palette, bitmap.palette);
    QCOMPARE(again.rows, bitmap.rows);
    QCOMPARE(Pixels({again.redMask, again.greenMask, again.blueMask}),
             Pixels({bitmap.redMask, bitmap.greenMask, bitmap.blueMask}));
    QCOMPARE(PhotoCodec::write(again), written); // the written layout is stable
}

// Larger pictures of random content, checked against Qt's own decoder.
void TestPhotoCodec::agreesWithQImage_data()
{
    QTest::addColumn<QByteArray>("file");

    const int width = 37, height = 23;
    QRandomGenerator random(20240611);
    const auto values = [&](quint32 range) { // runs of equal values now and then
        Pixels list;
        for (int i = 0; i < width * height; ++i)
            list << (i > 0 && random.bounded(3) == 0 ? list.last() : random.bounded(range));
        return list;
    };
    const auto make = [&](quint32 headerSize, int bitCount, qint32 sign, quint32 compression) {
        Pixels palette;
        for (int i = 0; bitCount <= 8 && i < (1 << bitCount); ++i)
            palette << random.bounded(0x1000000u);
        const Pixels pixels = values(bitCount < 32 ? 1u << bitCount : 0xFFFFFFFFu);
        const QByteArray rows =
            compression ? rle(width, bitCount == 4, pixels) : pack(width, bitCount, pixels);
        return bmp(headerSize, width, sign * height, bitCount, palette, rows)
            .with(&Bmp::compression, compression)
            .bytes();
    };
    for (const int bits : {1, 4, 8, 24, 32})
        QTest::addRow("%d bits", bits) << make(40, bits, 1, 0);
    for (const int bits : {1, 8, 24})
        QTest::addRow("core header, %d bits", bits) << make(12, bits, 1, 0);
    QTest::newRow("8 bits, top-down") << make(40, 8, -1, 0);
    QTest::newRow("24 bits, top-down") << make(40, 24, -1, 0);
    QTest::newRow("RLE8") << make(40, 8, 1, 1);
    QTest::newRow("RLE4") << make(40, 4, 1, 2);
}

void TestPhotoCodec::agreesWithQImage()
{
    QFETCH(QByteArray, file);

    const QImage image = QImage::fromData(file, "BMP").convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!image.isNull());
    Pixels expected;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            expected << image.pixel(x, y);
    const Bitmap bitmap = PhotoCodec::read(file);
    QCOMPARE(argbOf(bitmap), expected);
    QCOMPARE(argbOf(PhotoCodec::read(PhotoCodec::write(bitmap))), expected);
}

// Damaged and hostile files fail cleanly; under AddressSanitizer none of
// them may read past the data or ask for a huge allocation.
void TestPhotoCodec::refuse_data()
{
    QTest::addColumn<QByteArray>("file");

    const Bmp good = bmp(40, 2, 2, 8, {0x000000, 0xFFFFFF}, pack(2, 8, {0, 1, 1, 0}));
    const QByteArray file = good.bytes();
    const auto patched = [&](int pos, quint32 value) {
        return QByteArray(file).replace(pos, 4, le32(value));
    };
    const Bmp direct = good.with(&Bmp::palette, Pixels{});
    const Bmp oneBit = good.with(&Bmp::bitCount, 1);

    QTest::newRow("signature only") << QByteArray("BM");
    QTest::newRow("file header only") << file.left(14);
    QTest::newRow("header cut short") << file.left(14 + 30);
    QTest::newRow("header size 0") << patched(14, 0);
    QTest::newRow("header size 64") << patched(14, 64);
    QTest::newRow("header size 4 GB") << patched(14, 0xFFFFFFFF);
    QTest::newRow("width 0") << good.with(&Bmp::width, 0).bytes();
    QTest::newRow("width negative") << good.with(&Bmp::width, -2).bytes();
    QTest::newRow("height 0") << good.with(&Bmp::height, 0).bytes();
    QTest::newRow("most negative height") << good.with(&Bmp::height, INT_MIN).bytes();
    QTest::newRow("width over the limit") << oneBit.with(&Bmp::width, 30001).bytes();
    QTest::newRow("height over the limit") << oneBit.with(&Bmp::height, 30001).bytes();
    QTest::newRow("3.6 GB within the side limit") << direct.with(&Bmp::bitCount, 32)
                                                         .with(&Bmp::width, 30000)
                                                         .with(&Bmp::height, 30000)
                                                         .bytes();
    QTest::newRow("claims 4 GB") << good.with(&Bmp::width, 65536).with(&Bmp::height, 65536).bytes();
    QTest::newRow("product overflows") << direct.with(&Bmp::bitCount, 32)
                                              .with(&Bmp::width, INT_MAX)
                                              .with(&Bmp::height, INT_MAX)
                                              .bytes();
    for (const int bits : {0, 2, 48})
        QTest::addRow("bit count %d", bits) << good.with(&Bmp::bitCount, bits).bytes();
    for (const auto &[bits, code] :
         {std::pair{24, 4}, {24, 5}, {32, 6}, {8, 3}, {4, 1}, {8, 2}, {8, 7}})
        QTest::addRow("compression %d at %d bits", code, bits)
            << good.with(&Bmp::bitCount, bits).with(&Bmp::compression, code).bytes();
    QTest::newRow("palette larger than the depth")
        << oneBit.with(&Bmp::palette, Pixels{0, 1, 2}).bytes();
    QTest::newRow("palette count 4 G") << good.with(&Bmp::colours, 0xFFFFFFFF).bytes();
    QTest::newRow("palette past the end") << good.with(&Bmp::colours, 200).bytes();
    QTest::newRow("implied palette past the end") << good.with(&Bmp::colours, 0).bytes();
    QTest::newRow("offset past the end") << patched(10, 1000);
    QTest::newRow("offset 4 GB") << patched(10, 0xFFFFFFFF);
    QTest::newRow("offset inside the palette") << patched(10, 54);
    QTest::newRow("rows one byte short") << file.chopped(1);
    QTest::newRow("core header, 16 bits")
        << direct.with(&Bmp::headerSize, 12).with(&Bmp::bitCount, 16).bytes();
    QTest::newRow("core header, palette cut short") << good.with(&Bmp::headerSize, 12).bytes();
    QTest::newRow("masks missing") << direct.with(&Bmp::bitCount, 16)
                                          .with(&Bmp::compression, 3)
                                          .with(&Bmp::rows, QByteArray())
                                          .bytes();

    const auto coded = [&](quint32 code, const char *hex) {
        return good.with(&Bmp::width, 4)
            .with(&Bmp::bitCount, code == 1 ? 8 : 4)
            .with(&Bmp::compression, code)
            .with(&Bmp::rows, QByteArray::fromHex(hex))
            .bytes();
    };
    QTest::newRow("RLE8 of 900 MB") << good.with(&Bmp::width, 30000)
                                           .with(&Bmp::height, 30000)
                                           .with(&Bmp::compression, 1)
                                           .with(&Bmp::rows, QByteArray::fromHex("0001"))
                                           .bytes();
    QTest::newRow("RLE8 of 240 Mpixels, 1 GB once shown")
        << good.with(&Bmp::width, 30000)
               .with(&Bmp::height, 8000)
               .with(&Bmp::compression, 1)
               .with(&Bmp::rows, QByteArray("\0\1", 2))
               .bytes();
    QTest::newRow("RLE8 run past the row") << coded(1, "0501 0001");
    QTest::newRow("RLE8 absolute run past the row") << coded(1, "0005 0101010101 00 0001");
    QTest::newRow("RLE8 run past the last row") << coded(1, "0000 0000 0101 0001");
    QTest::newRow("RLE8 end of line past the picture") << coded(1, "0000 0000 0000 0001");
    QTest::newRow("RLE8 delta past the picture") << coded(1, "0002 0003 0001");
    QTest::newRow("RLE8 delta past the row") << coded(1, "0002 0500 0001");
    QTest::newRow("RLE8 without end of bitmap") << coded(1, "0401 0000 0401 0000");
    QTest::newRow("RLE8 cut inside a run") << coded(1, "0401 04");
    QTest::newRow("RLE8 absolute run cut short") << coded(1, "0004 0101");
    QTest::newRow("RLE8 delta cut short") << coded(1, "0002 01");
    QTest::newRow("RLE4 run past the row") << coded(2, "0511 0001");
    QTest::newRow("RLE4 absolute run past the row") << coded(2, "0005 111110 00 0001");
}

void TestPhotoCodec::refuse()
{
    QFETCH(QByteArray, file);
    expectInvalid(file);
}

void TestPhotoCodec::column()
{
    QVERIFY(PhotoCodec::readColumn(QByteArray()).isNull());
    QVERIFY(PhotoCodec::readColumn(QByteArray("")).isNull());
    const QByteArray file = bmp(40, 1, 1, 24, {}, pack(1, 24, {0x123456})).bytes();
    QCOMPARE(argbOf(PhotoCodec::readColumn(file)), Pixels{0xFF123456});
    QCOMPARE(argbOf(PhotoCodec::readColumn(graphicHeader(1, 0x0100, quint32(file.size())) + file)),
             Pixels{0xFF123456});
    QVERIFY_THROWS_EXCEPTION(
        Error, PhotoCodec::readColumn(graphicHeader(1, 0x0100, quint32(file.size()) - 1) + file));
}

void TestPhotoCodec::fromArgb()
{
    const Pixels pixels = {R, G, B, W, K, 0x80123456}; // 3 x 2; the alpha is dropped
    const Bitmap made = Bitmap::fromArgb(3, 2, pixels.constData());
    QCOMPARE(made.bitCount, 24);
    QCOMPARE(made.header, Bitmap::Header::Info);
    QCOMPARE(made.compression, Bitmap::Compression::None);
    QVERIFY(!made.topDown);
    const Pixels expected = {R, G, B, W, K, 0xFF123456};
    QCOMPARE(argbOf(made), expected);

    const QByteArray file = PhotoCodec::write(made);
    QCOMPARE(argbOf(PhotoCodec::read(file)), expected);
    const QImage image = QImage::fromData(file, "BMP");
    QCOMPARE(image.size(), QSize(3, 2));
    QCOMPARE(image.pixel(0, 0), R);
    QCOMPARE(image.pixel(2, 1), 0xFF123456);

    QVERIFY(Bitmap::fromArgb(0, 2, pixels.constData()).isNull());
    const Pixels wide(30001, W);
    QVERIFY_THROWS_EXCEPTION(Error, Bitmap::fromArgb(30001, 1, wide.constData()));
}

void TestPhotoCodec::writeRules()
{
    QVERIFY(PhotoCodec::write(Bitmap()).isEmpty());

    // An RLE picture that lost its file is written uncompressed.
    Bitmap bitmap = PhotoCodec::read(
        bmp(40, 3, 1, 8, {0xFF0000, 0x00FF00}, QByteArray::fromHex("0201 0100 0001"))
            .with(&Bmp::compression, 1)
            .bytes());
    bitmap.original.clear();
    QByteArray file = PhotoCodec::write(bitmap);
    QCOMPARE(qFromLittleEndian<quint32>(file.constData() + 30), 0u);
    QCOMPARE(PhotoCodec::read(file).compression, Bitmap::Compression::None);
    QCOMPARE(argbOf(PhotoCodec::read(file)), (Pixels{G, G, R}));

    // A core-header picture that became top-down needs the information header.
    bitmap = PhotoCodec::read(bmp(12, 1, 2, 24, {}, pack(1, 24, {0x0000FF, 0xFF0000})).bytes());
    bitmap.topDown = true;
    file = PhotoCodec::write(bitmap);
    QCOMPARE(qFromLittleEndian<quint32>(file.constData() + 14), 40u);
    QCOMPARE(argbOf(PhotoCodec::read(file)), (Pixels{B, R}));

    bitmap.rows += '\0';
    QVERIFY_THROWS_EXCEPTION(Error, PhotoCodec::write(bitmap));
    bitmap.rows.chop(2);
    QVERIFY_THROWS_EXCEPTION(Error, PhotoCodec::write(bitmap));
}

void TestPhotoCodec::runLengthWritesReadBack_data()
{
    QTest::addColumn<int>("bitCount");
    QTest::addColumn<int>("width");
    // Widths that give runs longer than one count holds, literals of odd
    // length (padded to 16 bits) and rows of one pixel.
    for (const int bits : {8, 4})
        for (const int width : {1, 2, 3, 7, 300, 513}) {
            const QByteArray name = QByteArray::number(bits) + "-bit, " + QByteArray::number(width);
            QTest::newRow(name.constData()) << bits << width;
        }
}

void TestPhotoCodec::runLengthWritesReadBack()
{
    QFETCH(int, bitCount);
    QFETCH(int, width);
    const int height = 5;
    const int colours = bitCount == 8 ? 256 : 16;
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bitCount = bitCount;
    bitmap.compression = bitCount == 8 ? Bitmap::Compression::Rle8 : Bitmap::Compression::Rle4;
    for (int i = 0; i < colours; ++i)
        bitmap.palette.push_back(0xFF000000u | quint32(i * 0x010203));
    bitmap.rows = QByteArray(bitmap.stride() * height, '\0');
    // Row by row: one long run, alternating pixels, a gradient, runs of two.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int index = y == 0 ? 3 : y == 1 ? x % 2 : y == 2 ? x % colours : (x / 2) % 5;
            auto *row = reinterpret_cast<uchar *>(bitmap.rows.data()) + y * bitmap.stride();
            if (bitCount == 8)
                row[x] = uchar(index);
            else
                row[x / 2] |= uchar(x % 2 ? index : index << 4);
        }

    const QByteArray file = BitmapWriter::writeRunLength(bitmap);
    QCOMPARE(qFromLittleEndian<quint32>(file.constData() + 30), bitCount == 8 ? 1u : 2u);
    const Bitmap back = PhotoCodec::read(file);
    QCOMPARE(back.compression, bitmap.compression);
    QCOMPARE(back.toArgb(), bitmap.toArgb());

    // Only a bottom-up picture of 8 or 4 bits can be coded so.
    bitmap.topDown = true;
    QVERIFY_THROWS_EXCEPTION(Error, BitmapWriter::writeRunLength(bitmap));
}

QTEST_GUILESS_MAIN(TestPhotoCodec)
#include "tst_photocodec.moc"
