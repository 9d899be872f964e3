#include "FakeReportData.h"

#include "recordset/Error.h"
#include "reports/Unit_report_all.h"
#include "reports/Unit_report_selected.h"
#include "reports/renderer/PageFile.h"
#include "reports/renderer/PageProducer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <functional>

namespace {

ReportPages produce(const ReportDefinition &definition, ReportData &data,
                    Report::PictureDecoder decoder = {})
{
    Report report;
    report.definition = definition;
    report.data = &data;
    report.decodePicture = std::move(decoder);
    PageProducer producer(report);
    producer.run();
    return producer.takePages();
}

// A card with a photo and a two-page list: every kind of item, font and picture.
ReportPages sample()
{
    FakeReportData card = FakeReportData::numbered(1);
    card.setBytes(0, QStringLiteral("screenshots"), "photo");
    ReportPages pages = produce(TfrmRepSelect::definition(), card, [](const QByteArray &) {
        Picture picture{3, 2, {0xff102030, 0xff405060, 0x80708090, 0xffffffff, 0, 0xff000000}};
        return picture;
    });
    FakeReportData list({{{QStringLiteral("tovName"), QStringLiteral("Строка 1\rстрока 2")}},
                         {}, {}, {}, {}, {}, {}, {}});
    ReportPages more = produce(TfrmRepAll::definition(), list);
    pages.title = more.title;
    // The list's font indices follow the card's fonts.
    const auto offset = qint16(pages.fonts.size());
    pages.fonts.insert(pages.fonts.end(), more.fonts.begin(), more.fonts.end());
    for (ReportPage &page : more.pages) {
        for (PageItem &item : page.items)
            if (item.kind == PageItem::Kind::Text)
                item.font = qint16(item.font + offset);
        pages.pages.push_back(page);
    }
    return pages;
}

// A file with a correct header around a body of our own making.
QByteArray fileAround(const QByteArray &body, quint32 version = PageFile::Version)
{
    QByteArray file(PageFile::Magic, sizeof PageFile::Magic);
    char word[8];
    qToLittleEndian<quint32>(version, word);
    file.append(word, 4);
    qToLittleEndian<quint64>(quint64(body.size()), word);
    file.append(word, 8);
    qToLittleEndian<quint32>(PageFile::crc32(body.constData(), body.size()), word);
    file.append(word, 4);
    return file + body;
}

// Little-endian pieces for hand-made bodies.
struct Body
{
    Body &u8(quint8 v) { return raw(&v, 1); }
    Body &u16(quint16 v) { return put(v); }
    Body &u32(quint32 v) { return put(v); }
    Body &text(const QByteArray &utf8) { return u32(quint32(utf8.size())).raw(utf8.constData(), utf8.size()); }
    Body &rect(int x, int y, int w, int h) { return u32(quint32(x)).u32(quint32(y)).u32(quint32(w)).u32(quint32(h)); }
    template <typename T> Body &put(T v)
    {
        char b[sizeof(T)];
        qToLittleEndian(v, b);
        return raw(b, sizeof(T));
    }
    Body &raw(const void *p, qsizetype n)
    {
        bytes.append(static_cast<const char *>(p), n);
        return *this;
    }
    // Title, A4, one font.
    static Body start() { return Body().text("T").u32(2100).u32(2970).u32(1).text("Arial").u16(10).u8(0).u32(0); }
    QByteArray bytes;
};

} // namespace

class TestPageFile : public QObject
{
    Q_OBJECT
private slots:
    void savedPagesLoadBackTheSame();
    void refused_data();
    void refused();
    void failedLoadNamesTheFileAndLeavesNoTrace();
};

void TestPageFile::savedPagesLoadBackTheSame()
{
    const ReportPages pages = sample();
    QCOMPARE(pages.pictures.size(), size_t(1));
    QVERIFY(pages.pages.size() == 3);

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("отчёт.apr"));
    PageFile::save(pages, name);
    const ReportPages loaded = PageFile::load(name);
    QVERIFY(loaded == pages);
    QCOMPARE(loaded.pages[1].items.size(), pages.pages[1].items.size());
    QCOMPARE(PageFile::encode(loaded), PageFile::encode(pages));
}

void TestPageFile::refused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    const QString foreign = QStringLiteral("Это не файл отчёта");
    const QString damaged = QStringLiteral("Файл отчёта повреждён");
    const QByteArray good = PageFile::encode(sample());

    QTest::newRow("empty") << QByteArray() << foreign;
    QTest::newRow("a picture file") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << foreign;
    QTest::newRow("text") << QByteArray("Товары магазина автозапчастей\n").repeated(3) << foreign;
    QTest::newRow("header only") << good.left(PageFile::HeaderSize) << damaged;
    QTest::newRow("truncated") << good.left(good.size() / 2) << damaged;
    QTest::newRow("one byte short") << good.chopped(1) << damaged;
    QTest::newRow("trailing bytes") << good + "x" << damaged;
    QByteArray flipped = good;
    flipped[flipped.size() / 3] = char(flipped[flipped.size() / 3] ^ 0x10);
    QTest::newRow("a changed byte") << flipped << damaged;
    QByteArray later = good;
    later[8] = 3;
    QTest::newRow("a later format version")
        << later << QStringLiteral("Файл отчёта записан в версии формата 3, а программа читает "
                                   "только версии с 1 по 2");

    // Hostile bodies behind a correct header: each would ask for far more
    // than the input holds, or point past what it has.
    QTest::newRow("huge font count")
        << fileAround(Body().text("T").u32(2100).u32(2970).u32(0xffffffff).bytes) << damaged;
    QTest::newRow("string longer than the file")
        << fileAround(Body().u32(0x7fffffff).bytes) << damaged;
    QTest::newRow("picture of 30000 x 30000 without pixels")
        << fileAround(Body::start().u32(1).u32(30000).u32(30000).u32(0).bytes) << damaged;
    QTest::newRow("picture too large")
        << fileAround(Body::start().u32(1).u32(40000).u32(1).bytes) << damaged;
    QTest::newRow("huge page count")
        << fileAround(Body::start().u32(0).u32(0x40000000).bytes) << damaged;
    QTest::newRow("huge item count")
        << fileAround(Body::start().u32(0).u32(1).u32(0xfffffff0).bytes) << damaged;
    QTest::newRow("unknown item kind")
        << fileAround(Body::start().u32(0).u32(1).u32(1).u8(9).rect(0, 0, 1, 1).u32(0).bytes)
        << damaged;
    QTest::newRow("font index past the fonts")
        << fileAround(Body::start().u32(0).u32(1).u32(1).u8(2).rect(0, 0, 1, 1).u16(1).text("x").bytes)
        << damaged;
    QTest::newRow("picture index past the pictures")
        << fileAround(Body::start().u32(0).u32(1).u32(1).u8(3).rect(0, 0, 1, 1).u32(0).rect(0, 0, 1, 1).bytes)
        << damaged;
    QTest::newRow("coordinate far off the sheet")
        << fileAround(Body::start().u32(0).u32(1).u32(1).u8(0).rect(0, 0x7fffffff, 1, 1).u32(0).bytes)
        << damaged;
    QTest::newRow("a font of 60000 points")
        << fileAround(Body().text("T").u32(2100).u32(2970).u32(1).text("Arial").u16(60000).u8(0).u32(0).u32(0).u32(0).bytes)
        << damaged;
    QTest::newRow("no page size") << fileAround(Body().text("T").u32(0).u32(2970).u32(0).u32(0).u32(0).bytes)
                                  << damaged;
}

void TestPageFile::refused()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    try {
        PageFile::decode(file);
        QFAIL("accepted");
    } catch (const Error &error) {
        QCOMPARE(error.message(), message);
    }
}

void TestPageFile::failedLoadNamesTheFileAndLeavesNoTrace()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("чужой.apr"));
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not pages");
    file.close();
    try {
        PageFile::load(name);
        QFAIL("accepted");
    } catch (const Error &error) {
        QCOMPARE(error.message(), QStringLiteral("Не удалось загрузить отчёт из файла «%1».\n"
                                                 "Это не файл отчёта")
                                      .arg(name));
    }
    try {
        PageFile::load(dir.filePath(QStringLiteral("нет.apr")));
        QFAIL("accepted");
    } catch (const Error &error) {
        QVERIFY(error.message().startsWith(QStringLiteral("Не удалось открыть файл «")));
    }
    // Saving where no file can be made leaves nothing behind and says so.
    const QString blocked = dir.filePath(QStringLiteral("нет/отчёт.apr"));
    try {
        PageFile::save(sample(), blocked);
        QFAIL("saved");
    } catch (const Error &error) {
        QVERIFY(error.message().startsWith(QStringLiteral("Не удалось сохранить отчёт в файл «")));
    }
    QVERIFY(!QFile::exists(blocked));
}

QTEST_GUILESS_MAIN(TestPageFile)
#include "tst_pagefile.moc"
