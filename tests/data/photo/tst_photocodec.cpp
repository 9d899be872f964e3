#include "photo/PhotoCodec.h"
#include "recordset/Error.h"

#include <QTest>
#include <QtEndian>

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

} // namespace

class TestPhotoCodec : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
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

QTEST_GUILESS_MAIN(TestPhotoCodec)
#include "tst_photocodec.moc"
