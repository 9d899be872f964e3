#include "BmpWriter.h"
#include "CatalogueGenerator.h"
#include "CatalogueSchema.h"
#include "DemoPictures.h"
#include "UnitDM.h"
#include "photo/PhotoCodec.h"
#include "recordset/Connection.h"
#include "recordset/Error.h"
#include "recordset/Statement.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <functional>
#include <memory>
#include <random>

Q_DECLARE_METATYPE(BmpWriter::Kind)

namespace {

constexpr const char *kPhotosSql =
    "SELECT screenshots FROM tovars WHERE screenshots IS NOT NULL ORDER BY auto_id";
constexpr const char *kAllGoodsSql =
    "SELECT auto_id, codeTov, numSklad, cat_id, tovName, models, counts, price, auto_type, "
    "country_id, length(screenshots) FROM tovars ORDER BY auto_id";

// The header fields of a BMP file that tell its layout.
struct BmpHeader
{
    quint32 fileSize = 0;
    quint32 pixelOffset = 0;
    quint32 headerSize = 0;
    int width = 0;
    int height = 0;
    int bitCount = 0;
    quint32 compression = 0;
    quint32 imageSize = 0;
};

BmpHeader readHeader(const QByteArray &bmp)
{
    const auto *b = reinterpret_cast<const uchar *>(bmp.constData());
    BmpHeader h;
    h.fileSize = qFromLittleEndian<quint32>(b + 2);
    h.pixelOffset = qFromLittleEndian<quint32>(b + 10);
    h.headerSize = qFromLittleEndian<quint32>(b + 14);
    if (h.headerSize == BmpWriter::CoreHeaderSize) {
        h.width = qFromLittleEndian<quint16>(b + 18);
        h.height = qFromLittleEndian<quint16>(b + 20);
        h.bitCount = qFromLittleEndian<quint16>(b + 24);
    } else {
        h.width = qFromLittleEndian<qint32>(b + 18);
        h.height = qFromLittleEndian<qint32>(b + 22);
        h.bitCount = qFromLittleEndian<quint16>(b + 28);
        h.compression = qFromLittleEndian<quint32>(b + 30);
        h.imageSize = qFromLittleEndian<quint32>(b + 34);
    }
    return h;
}

QImage decode(const QByteArray &bmp)
{
    return QImage::fromData(bmp, "BMP");
}

// Compares what the pixels look like, whatever the format or palette order.
bool samePixels(const QImage &a, const QImage &b)
{
    return a.size() == b.size() &&
           a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

// An indexed picture with a palette of distinct colours, so that a wrong
// index shows as a wrong colour after decoding.
QImage indexedPicture(int width, int height, int colours,
                      const std::function<int(int x, int y)> &index)
{
    QImage image(width, height, QImage::Format_Indexed8);
    QList<QRgb> palette;
    for (int i = 0; i < colours; ++i)
        palette.append(qRgb(i, 255 - i, (i * 37) & 0xff));
    image.setColorTable(palette);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, uint(index(x, y) % colours));
    return image;
}

// Makes a folder the current directory for a while, as the program expects
// its catalogue there.
class CurrentFolder
{
public:
    CurrentFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~CurrentFolder() { QDir::setCurrent(previous_); }
    QString file(const QString &name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

qint64 scalar(const QString &path, const char *sql)
{
    Connection connection(path);
    connection.open();
    Statement statement(connection, sql);
    return statement.step() ? statement.integer(0) : -1;
}

QList<QByteArray> storedPhotos(const QString &path)
{
    Connection connection(path);
    connection.open();
    Statement statement(connection, kPhotosSql);
    QList<QByteArray> photos;
    while (statement.step())
        photos.append(statement.blob(0));
    return photos;
}

QByteArray contentHash(const QString &path)
{
    Connection connection(path);
    connection.open();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const char *sql :
         {"SELECT * FROM category ORDER BY cat_id", "SELECT * FROM autotype ORDER BY auto_type",
          "SELECT * FROM country ORDER BY country_id", kAllGoodsSql}) {
        Statement statement(connection, sql);
        while (statement.step())
            for (int column = 0; column < 11; ++column)
                hash.addData(statement.text(column).toUtf8() + '\x1f');
    }
    return hash.result();
}

QStringList openThroughDataModule(std::unique_ptr<TDMAuto> &module)
{
    QStringList failures;
    module = std::make_unique<TDMAuto>(
        [&](const std::exception &error) { failures.append(QString::fromUtf8(error.what())); });
    return failures;
}

} // namespace

class TestCatalogueGenerator : public QObject
{
    Q_OBJECT

private slots:
    void runLengthCodingRoundTrips_data();
    void runLengthCodingRoundTrips();
    void headersDescribeEachKind_data();
    void headersDescribeEachKind();
    void picturesThatDoNotFitAKindAreRefused();
    void paletteReductionStaysCloseToTheDrawing();

    void demoOpensThroughTheDataModule();
    void demoShowsItsEdgeCases();
    void demoPhotosAreStoredInEveryKind();

    void benchmarkHasTheRequestedContent();
    void benchmarkIsDeterministicForASeed();

    void existingFileIsRefusedAndUntouched_data();
    void existingFileIsRefusedAndUntouched();
};

void TestCatalogueGenerator::runLengthCodingRoundTrips_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<BmpWriter::Kind>("kind");

    std::mt19937 random(20240501);
    const auto noise = [&](int colours) {
        return indexedPicture(37, 23, colours, [&](int, int) { return int(random() % 3); });
    };
    struct Coding
    {
        BmpWriter::Kind kind;
        int colours;
        const char *name;
    };
    for (const Coding &coding :
         {Coding{BmpWriter::Kind::Rle8, 256, "RLE8"}, Coding{BmpWriter::Kind::Rle4, 16, "RLE4"}}) {
        const int colours = coding.colours;
        const auto row = [&](const char *what, const QImage &picture) {
            QTest::addRow("%s %s", coding.name, what) << picture << coding.kind;
        };
        row("one pixel", indexedPicture(1, 1, colours, [](int, int) { return 5; }));
        row("one column", indexedPicture(1, 40, colours, [](int, int y) { return y; }));
        // Absolute runs of every length modulo 4 exercise the word padding.
        for (int width = 2; width <= 9; ++width)
            row(qPrintable(QStringLiteral("all different, width %1").arg(width)),
                indexedPicture(width, 3, colours, [](int x, int y) { return x + y; }));
        row("runs longer than 255",
            indexedPicture(600, 2, colours, [](int, int y) { return y + 1; }));
        row("literal longer than 255",
            indexedPicture(600, 2, colours, [](int x, int) { return x % 7; }));
        row("pairs between singles",
            indexedPicture(41, 4, colours, [](int x, int y) { return (x / 2) * 3 + (x % 5) + y; }));
        row("runs then singles at the row end",
            indexedPicture(30, 5, colours, [](int x, int y) { return x < 20 ? y : x; }));
        row("noise of three colours", noise(colours));
        row("last palette entry",
            indexedPicture(9, 2, colours, [&](int, int) { return colours - 1; }));
    }
}

void TestCatalogueGenerator::runLengthCodingRoundTrips()
{
    QFETCH(QImage, picture);
    QFETCH(BmpWriter::Kind, kind);

    const QByteArray bmp = BmpWriter::encode(picture, kind);
    const BmpHeader header = readHeader(bmp);
    QCOMPARE(header.imageSize, quint32(bmp.size()) - header.pixelOffset);
    QVERIFY2(bmp.endsWith(QByteArray("\0\1", 2)), "the pixel data ends with end-of-bitmap");

    const QImage decoded = decode(bmp);
    QVERIFY(!decoded.isNull());
    QVERIFY(samePixels(decoded, picture));
    QVERIFY(samePixels(decoded, decode(BmpWriter::encode(picture, BmpWriter::Kind::Indexed8))));
}

void TestCatalogueGenerator::headersDescribeEachKind_data()
{
    QTest::addColumn<BmpWriter::Kind>("kind");
    QTest::addColumn<quint32>("headerSize");
    QTest::addColumn<int>("bitCount");
    QTest::addColumn<quint32>("compression");
    QTest::addColumn<int>("paletteBytes");

    using K = BmpWriter::Kind;
    QTest::newRow("24-bit") << K::Rgb24 << 40u << 24 << BmpWriter::CompressionNone << 0;
    QTest::newRow("8-bit") << K::Indexed8 << 40u << 8 << BmpWriter::CompressionNone << 12 * 4;
    QTest::newRow("RLE8") << K::Rle8 << 40u << 8 << BmpWriter::CompressionRle8 << 12 * 4;
    QTest::newRow("RLE4") << K::Rle4 << 40u << 4 << BmpWriter::CompressionRle4 << 12 * 4;
    // The core header has no colour count: its table always has 256 entries.
    QTest::newRow("core") << K::Core8 << 12u << 8 << BmpWriter::CompressionNone << 256 * 3;
}

void TestCatalogueGenerator::headersDescribeEachKind()
{
    QFETCH(BmpWriter::Kind, kind);
    QFETCH(quint32, headerSize);
    QFETCH(int, bitCount);
    QFETCH(quint32, compression);
    QFETCH(int, paletteBytes);

    // An odd width makes every uncompressed row need padding.
    const QImage picture = indexedPicture(13, 7, 12, [](int x, int y) { return x * y; });
    const QByteArray bmp = BmpWriter::encode(picture, kind);
    const BmpHeader header = readHeader(bmp);
    QVERIFY(bmp.startsWith("BM"));
    QCOMPARE(header.fileSize, quint32(bmp.size()));
    QCOMPARE(header.headerSize, headerSize);
    QCOMPARE(header.bitCount, bitCount);
    QCOMPARE(header.compression, compression);
    QCOMPARE(header.width, 13);
    QCOMPARE(header.height, 7);
    QCOMPARE(header.pixelOffset, quint32(14 + headerSize + paletteBytes));
    if (compression == BmpWriter::CompressionNone) {
        const int rowBytes = ((13 * bitCount + 31) / 32) * 4;
        QCOMPARE(bmp.size() - int(header.pixelOffset), rowBytes * 7);
    }
    QVERIFY(samePixels(decode(bmp), picture));
}

void TestCatalogueGenerator::picturesThatDoNotFitAKindAreRefused()
{
    const QImage rgb = DemoPictures::draw(DemoPictures::Subject::Piston, QSize(40, 30));
    const QImage colours17 = indexedPicture(20, 2, 17, [](int x, int) { return x; });
    QImage outsidePalette = indexedPicture(4, 4, 4, [](int, int) { return 0; });
    outsidePalette.scanLine(2)[2] = 9; // setPixel would refuse it

    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, BmpWriter::encode(rgb, BmpWriter::Kind::Rle8));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             BmpWriter::encode(colours17, BmpWriter::Kind::Rle4));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             BmpWriter::encode(outsidePalette, BmpWriter::Kind::Indexed8));
    QVERIFY(!decode(BmpWriter::encode(rgb, BmpWriter::Kind::Rgb24)).isNull());
}

void TestCatalogueGenerator::paletteReductionStaysCloseToTheDrawing()
{
    const QImage drawing = DemoPictures::draw(DemoPictures::Subject::Headlight, QSize(300, 220));
    const QImage reduced = DemoPictures::toIndexed8(drawing);
    QCOMPARE(reduced.format(), QImage::Format_Indexed8);
    QVERIFY(reduced.colorCount() <= 256);
    const QImage back = reduced.convertToFormat(QImage::Format_RGB32);
    qint64 error = 0;
    for (int y = 0; y < drawing.height(); ++y)
        for (int x = 0; x < drawing.width(); ++x) {
            const QRgb a = drawing.pixel(x, y);
            const QRgb b = back.pixel(x, y);
            error +=
                qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
        }
    const double perChannel = double(error) / (3.0 * drawing.width() * drawing.height());
    QVERIFY2(perChannel < 3.0, qPrintable(QString::number(perChannel)));

    // The battery is drawn for 16 colours and loses nothing in them.
    const QImage battery = DemoPictures::draw(DemoPictures::Subject::Battery, QSize(300, 220));
    QVERIFY(samePixels(DemoPictures::toIndexed4(battery), battery));
}

void TestCatalogueGenerator::demoOpensThroughTheDataModule()
{
    CurrentFolder folder;
    CatalogueGenerator::createDemo(folder.file(QStringLiteral("db.mdb")));
    std::unique_ptr<TDMAuto> dm;
    const QStringList failures = openThroughDataModule(dm);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));

    QVERIFY(dm->tblAuto.RecordCount() >= 40);
    for (Cursor *reference : {&dm->tblCategory, &dm->tblMarka, &dm->tblCountry})
        QVERIFY2(reference->RecordCount() >= 10 && reference->RecordCount() <= 15,
                 qPrintable(reference->tableName()));

    // Every text fits its column, and every photo reads as the program reads it.
    int photos = 0;
    for (dm->tblAuto.First(); !dm->tblAuto.Eof(); dm->tblAuto.Next()) {
        QVERIFY(dm->tblAutotovName.AsString().size() <= 100);
        QVERIFY(dm->tblAutomodels.AsString().size() <= 50);
        QVERIFY(dm->tblAutocodeTov.AsString().size() <= 20);
        QVERIFY(!dm->tblAutotovName.AsString().isEmpty());
        if (dm->tblAutoscreenshots.BlobSize() > 0) {
            ++photos;
            QVERIFY(!decode(PhotoCodec::bmpFromColumn(dm->tblAutoscreenshots.AsBytes())).isNull());
        }
    }
    QCOMPARE(photos, CatalogueGenerator::demoPhotos().size());
}

void TestCatalogueGenerator::demoShowsItsEdgeCases()
{
    CurrentFolder folder;
    CatalogueGenerator::createDemo(folder.file(QStringLiteral("db.mdb")));
    std::unique_ptr<TDMAuto> dm;
    QVERIFY(openThroughDataModule(dm).isEmpty());

    bool cutCategory = false, unknownMake = false, longName = false, unpriced = false;
    bool priceWithKopecks = false;
    for (dm->tblAuto.First(); !dm->tblAuto.Eof(); dm->tblAuto.Next()) {
        const QString category = dm->tblAutostrCat.AsString();
        if (dm->tblCategory.Locate(QStringLiteral("cat_id"), dm->tblAutocat_id.AsInteger()) &&
            dm->tblCategorycatName.AsString().size() > 20) {
            cutCategory = true;
            QCOMPARE(category, dm->tblCategorycatName.AsString().left(20));
        }
        if (dm->tblAutostrMarka.AsString().isEmpty()) {
            unknownMake = true;
            QVERIFY(!dm->tblAutoauto_type.IsNull());
            QVERIFY(!dm->tblMarka.Locate(QStringLiteral("auto_type"),
                                         dm->tblAutoauto_type.AsInteger()));
            QVERIFY(!dm->tblAutostrCountry.AsString().isEmpty());
        }
        longName = longName || dm->tblAutotovName.AsString().size() >= 90;
        unpriced = unpriced || (dm->tblAutoprice.IsNull() && dm->tblAutocounts.IsNull());
        if (!dm->tblAutoprice.IsNull()) {
            const qint64 price = dm->tblAutoprice.AsCurrency();
            QVERIFY(price > 0);
            QCOMPARE(price % 100, 0); // whole kopecks
            priceWithKopecks = priceWithKopecks || price % 10000 != 0;
        }
    }
    QVERIFY(cutCategory);
    QVERIFY(unknownMake);
    QVERIFY(longName);
    QVERIFY(unpriced);
    QVERIFY(priceWithKopecks);

    // A reference added later takes a key of its own: no goods row that
    // showed no name (or another name) takes it over.
    const auto names = [&] {
        QStringList shown;
        for (dm->tblAuto.First(); !dm->tblAuto.Eof(); dm->tblAuto.Next())
            shown << dm->tblAutostrCat.AsString() + '|' + dm->tblAutostrMarka.AsString() + '|' +
                         dm->tblAutostrCountry.AsString();
        return shown;
    };
    const QStringList before = names();
    for (Field *name : {&dm->tblCategorycatName, &dm->tblMarkaname, &dm->tblCountrycountry}) {
        name->DataSet()->Append();
        name->setAsString(QStringLiteral("Добавлено позже"));
        name->DataSet()->Post();
    }
    QCOMPARE(names(), before);
    // The file says what it is and in which format.
    QCOMPARE(scalar(QStringLiteral("db.mdb"), "PRAGMA application_id"),
             CatalogueSchema::ApplicationId);
    QCOMPARE(scalar(QStringLiteral("db.mdb"), "PRAGMA user_version"),
             CatalogueSchema::FormatVersion);
}

void TestCatalogueGenerator::demoPhotosAreStoredInEveryKind()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.mdb"));
    CatalogueGenerator::createDemo(path);
    const QList<QByteArray> stored = storedPhotos(path);

    QSet<int> kinds;
    QSet<int> widths;
    for (const CatalogueGenerator::Photo &photo : CatalogueGenerator::demoPhotos()) {
        kinds.insert(int(photo.kind));
        widths.insert(photo.size.width());
        const QByteArray bmp = CatalogueGenerator::photoBytes(photo);
        QVERIFY2(stored.contains(bmp), "each photo is stored as its BMP bytes, nothing in front");
        const BmpHeader header = readHeader(bmp);
        QCOMPARE(header.fileSize, quint32(bmp.size()));
        QCOMPARE(QSize(header.width, header.height), photo.size);

        const QImage decoded = decode(bmp);
        QVERIFY(samePixels(decoded, CatalogueGenerator::photoPixels(photo)));
        if (photo.kind == BmpWriter::Kind::Rle8 || photo.kind == BmpWriter::Kind::Rle4) {
            const QImage plain = decode(BmpWriter::encode(CatalogueGenerator::photoPixels(photo),
                                                          BmpWriter::Kind::Indexed8));
            QVERIFY(samePixels(decoded, plain));
            QVERIFY2(bmp.size() < plain.sizeInBytes(), "a drawing compresses");
        }
    }
    QCOMPARE(kinds.size(), 5);
    QVERIFY(widths.contains(300));
    QVERIFY(widths.contains(160)); // smaller than the photo box
    QVERIFY(widths.contains(400)); // larger than the photo box
}

void TestCatalogueGenerator::benchmarkHasTheRequestedContent()
{
    CurrentFolder folder;
    const QString path = folder.file(QStringLiteral("db.mdb"));
    constexpr int kGoods = 1000;
    CatalogueGenerator::createBenchmark(path, kGoods, 7);

    QCOMPARE(scalar(path, "SELECT count(*) FROM tovars"), kGoods);
    QCOMPARE(scalar(path, "SELECT count(DISTINCT catName) FROM category"), 200);
    QCOMPARE(scalar(path, "SELECT count(DISTINCT name) FROM autotype"), 100);
    QCOMPARE(scalar(path, "SELECT count(DISTINCT country) FROM country"), 30);
    QCOMPARE(scalar(path, "SELECT count(*) FROM tovars WHERE screenshots IS NOT NULL"),
             kGoods / 100);
    QCOMPARE(scalar(path, "SELECT count(DISTINCT screenshots) FROM tovars"), 1);
    // Keys point at reference rows, and every reference table is used.
    QCOMPARE(scalar(path, "SELECT count(*) FROM tovars WHERE cat_id NOT IN (SELECT cat_id FROM "
                          "category) OR auto_type NOT IN (SELECT auto_type FROM autotype) OR "
                          "country_id NOT IN (SELECT country_id FROM country)"),
             0);
    QVERIFY(scalar(path, "SELECT count(DISTINCT cat_id) FROM tovars") > 150);
    // Names vary enough for a prefix filter and a sort to mean something.
    QVERIFY(scalar(path, "SELECT count(DISTINCT tovName) FROM tovars") > kGoods / 2);
    const qint64 filters = scalar(path, "SELECT count(*) FROM tovars WHERE tovName LIKE 'Фильтр%'");
    QVERIFY(filters > 0 && filters < kGoods / 5);
    QVERIFY(scalar(path, "SELECT max(length(tovName)) FROM tovars") <= 100);
    QVERIFY(scalar(path, "SELECT max(length(models)) FROM tovars") <= 50);
    QVERIFY(scalar(path, "SELECT max(length(codeTov)) FROM tovars") <= 20);
    QCOMPARE(scalar(path, "SELECT count(*) FROM tovars WHERE price <= 0 OR "
                          "abs(price * 100 - round(price * 100)) > 1e-6"),
             0);
    QVERIFY(scalar(path, "SELECT count(DISTINCT price) FROM tovars") > kGoods / 2);

    const QByteArray photo = storedPhotos(path).value(0);
    const BmpHeader header = readHeader(photo);
    QCOMPARE(header.bitCount, 24);
    QCOMPARE(QSize(header.width, header.height), QSize(300, 220));

    std::unique_ptr<TDMAuto> dm;
    const QStringList failures = openThroughDataModule(dm);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(dm->tblAuto.RecordCount(), kGoods);
}

void TestCatalogueGenerator::benchmarkIsDeterministicForASeed()
{
    QTemporaryDir dir;
    const auto make = [&](const char *name, quint32 seed) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        CatalogueGenerator::createBenchmark(path, 300, seed);
        return contentHash(path);
    };
    const QByteArray first = make("a.mdb", 11);
    QCOMPARE(make("b.mdb", 11), first);
    QVERIFY(make("c.mdb", 12) != first);
}

void TestCatalogueGenerator::existingFileIsRefusedAndUntouched_data()
{
    QTest::addColumn<bool>("demo");
    QTest::newRow("demo") << true;
    QTest::newRow("benchmark") << false;
}

void TestCatalogueGenerator::existingFileIsRefusedAndUntouched()
{
    QFETCH(bool, demo);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("db.mdb"));
    const QByteArray before("a file the user keeps");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    if (demo)
        QVERIFY_THROWS_EXCEPTION(Error, CatalogueGenerator::createDemo(path));
    else
        QVERIFY_THROWS_EXCEPTION(Error, CatalogueGenerator::createBenchmark(path, 10, 1));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

QTEST_MAIN(TestCatalogueGenerator)
#include "tst_cataloguegenerator.moc"
