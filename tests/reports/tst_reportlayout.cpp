#include "FakeReportData.h"
#include "TestCatalogue.h"

#include "UnitDM.h"
#include "recordset/Error.h"
#include "reports/Unit_report_all.h"
#include "reports/Unit_report_selected.h"
#include "reports/renderer/PageProducer.h"

#include <QBuffer>
#include <QImage>
#include <QTest>
#include <QtEndian>

namespace {

constexpr quint32 StripGreen = 0xffc0dcc0;
const QDateTime Afternoon(QDate(2024, 3, 5), QTime(14, 7, 9));
const QLocale Russian(QLocale::Russian, QLocale::Russia);

ReportPages produce(const ReportDefinition &definition, ReportData &data,
                    Report::PictureDecoder decoder = {}, QDateTime at = Afternoon,
                    QLocale locale = Russian)
{
    Report report;
    report.definition = definition;
    report.data = &data;
    report.decodePicture = std::move(decoder);
    report.clock = [at] { return at; };
    report.locale = locale;
    PageProducer producer(report);
    producer.run();
    return producer.takePages();
}

QList<const PageItem *> itemsOf(const ReportPage &page, PageItem::Kind kind)
{
    QList<const PageItem *> found;
    for (const PageItem &item : page.items)
        if (item.kind == kind)
            found << &item;
    return found;
}

const PageItem *textAt(const ReportPage &page, QPoint where)
{
    for (const PageItem *item : itemsOf(page, PageItem::Kind::Text))
        if (item->rect.topLeft() == where)
            return item;
    return nullptr;
}

const PageItem *textOf(const ReportPage &page, const QString &text)
{
    for (const PageItem *item : itemsOf(page, PageItem::Kind::Text))
        if (item->text == text)
            return item;
    return nullptr;
}

int countOf(const ReportPage &page, const QString &text)
{
    int n = 0;
    for (const PageItem *item : itemsOf(page, PageItem::Kind::Text))
        n += item->text == text ? 1 : 0;
    return n;
}

QList<const PageItem *> fillsOf(const ReportPage &page, quint32 colour)
{
    QList<const PageItem *> found;
    for (const PageItem *item : itemsOf(page, PageItem::Kind::Fill))
        if (item->colour == colour)
            found << item;
    return found;
}

// A picture whose every pixel tells where it came from.
Picture numberedPicture(int width, int height)
{
    Picture picture{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.argb.push_back(0xff000000u | quint32(x) << 12 | quint32(y));
    return picture;
}

QByteArray bmpFile(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

// A report of one detail band and an optional page footer, for the page rules alone.
ReportDefinition bandsOnly(int detailHeight, int footerHeight, bool lastPageFooter)
{
    ReportDefinition d;
    ReportBand detail{ReportBand::Kind::Detail, detailHeight, ReportWhite, {}};
    detail.elements = {{ReportElement::Kind::DataText, QStringLiteral("auto_id"), 0, 0, 100, 45,
                        std::nullopt, std::nullopt}};
    d.bands = {detail};
    if (footerHeight > 0)
        d.bands.push_back({ReportBand::Kind::PageFooter, footerHeight, 0xff808080, {}});
    if (!lastPageFooter)
        d.options &= ~ReportDefinition::LastPageFooter;
    return d;
}

} // namespace

class TestReportLayout : public QObject
{
    Q_OBJECT
private slots:
    void listPages_data();
    void listPages();
    void emptyListGivesTitleAndOneEmptyBlock();
    void elementsStandRelativeToTheirBand();
    void frameRuleOnTopOfEveryListPageOnly();
    void cardFooterAtTheFootOfItsOnePage_data();
    void cardFooterAtTheFootOfItsOnePage();
    void pageRules_data();
    void pageRules();
    void textIsSplitAtCarriageReturnsAndNeverCut_data();
    void textIsSplitAtCarriageReturnsAndNeverCut();
    void dateTime_data();
    void dateTime();
    void eachProductionReadsTheClockAnew();
    void pictureIsCentredAndCutToItsBox_data();
    void pictureIsCentredAndCutToItsBox();
    void noPictureForAnEmptyOrUnreadableColumn_data();
    void noPictureForAnEmptyOrUnreadableColumn();
    void productionInStepsMatchesOneRun();
    void cursorRowsReachThePage();
    void cursorAdapterGivesNothingWithoutARow();
    void cardPrintsTheStoredPhoto();
};

void TestReportLayout::listPages_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("blocks"); // goods blocks on each page
    QTest::newRow("one row") << 1 << QList<int>{1};
    QTest::newRow("seven rows fill page 1") << 7 << QList<int>{7};
    QTest::newRow("an eighth row starts page 2") << 8 << QList<int>{7, 1};
    QTest::newRow("fourteen rows") << 14 << QList<int>{7, 7};
    QTest::newRow("fifteen rows") << 15 << QList<int>{7, 7, 1};
    QTest::newRow("fifty rows") << 50 << QList<int>{7, 7, 7, 7, 7, 7, 7, 1};
}

void TestReportLayout::listPages()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, blocks);
    FakeReportData data = FakeReportData::numbered(rows);
    const ReportPages pages = produce(TfrmRepAll::definition(), data);

    QCOMPARE(int(pages.pages.size()), blocks.size());
    QCOMPARE(pages.title, QStringLiteral("Список автозапчастей"));
    for (int p = 0; p < blocks.size(); ++p) {
        const ReportPage &page = pages.pages[size_t(p)];
        QCOMPARE(countOf(page, QStringLiteral("Код товара:")), blocks[p]);
        QCOMPARE(countOf(page, QStringLiteral("Товары магазина автозапчастей")), p == 0 ? 1 : 0);
        // The strip: under the title on page 1, at the top of every later page.
        const auto strips = fillsOf(page, StripGreen);
        QCOMPARE(strips.size(), 1);
        QCOMPARE(strips[0]->rect, QRect(100, p == 0 ? 399 : 100, 1900, 32));
        if (p > 0)
            QCOMPARE(&page.items.front(), strips[0]);
        for (const PageItem *fill : itemsOf(page, PageItem::Kind::Fill))
            QVERIFY2(fill->rect.bottom() < 2870, "a band runs into the bottom margin");
    }
    QCOMPARE(data.current(), rows); // walked to the end
}

void TestReportLayout::emptyListGivesTitleAndOneEmptyBlock()
{
    FakeReportData data;
    const ReportPages pages = produce(TfrmRepAll::definition(), data);

    QCOMPARE(pages.pages.size(), size_t(1));
    const ReportPage &page = pages.pages[0];
    QVERIFY(textOf(page, QStringLiteral("Товары магазина автозапчастей")));
    QVERIFY(textOf(page, QStringLiteral("05.03.2024 14:07:09")));
    QVERIFY(fillsOf(page, StripGreen).isEmpty());
    const QStringList labels = {"Код товара:", "Наименование:", "Категория:",
                                "№ склада:",   "Производитель:", "Модель:",
                                "Марка:",      "Кол-во:",        "Цена:"};
    for (const QString &label : labels)
        QCOMPARE(countOf(page, label), 1);
    QCOMPARE(countOf(page, QString()), 9); // the values
    // The block stands directly under the title.
    QCOMPARE(itemsOf(page, PageItem::Kind::Fill).size(), 2);
    QCOMPARE(itemsOf(page, PageItem::Kind::Fill)[1]->rect, QRect(100, 399, 1900, 344));
}

void TestReportLayout::elementsStandRelativeToTheirBand()
{
    FakeReportData data = FakeReportData::numbered(8);
    const ReportPages pages = produce(TfrmRepAll::definition(), data);

    // The name value sits 74.9 mm from the block's left and 2.9 mm below its top.
    for (int i = 1; i <= 7; ++i) {
        const PageItem *name = textOf(pages.pages[0], QStringLiteral("Деталь %1").arg(i));
        QVERIFY(name);
        QCOMPARE(name->rect.topLeft(), QPoint(100 + 749, 100 + 299 + 32 + (i - 1) * 344 + 29));
    }
    const PageItem *eighth = textOf(pages.pages[1], QStringLiteral("Деталь 8"));
    QVERIFY(eighth);
    QCOMPARE(eighth->rect.topLeft(), QPoint(849, 100 + 32 + 29));
    const PageItem *heading = textOf(pages.pages[0], QStringLiteral("Товары магазина автозапчастей"));
    QCOMPARE(heading->rect.topLeft(), QPoint(100 + 407, 100 + 58));
    const ReportFont &font = pages.fonts[size_t(heading->font)];
    QCOMPARE(font, (ReportFont{QStringLiteral("Tahoma"), 20, true, ReportBlack}));
    const ReportFont &value = pages.fonts[size_t(eighth->font)];
    QCOMPARE(value, (ReportFont{QStringLiteral("Arial"), 10, false, std::nullopt}));
}

void TestReportLayout::frameRuleOnTopOfEveryListPageOnly()
{
    FakeReportData list = FakeReportData::numbered(15);
    const ReportPages pages = produce(TfrmRepAll::definition(), list);
    QCOMPARE(pages.pages.size(), size_t(3));
    for (const ReportPage &page : pages.pages) {
        const auto rules = itemsOf(page, PageItem::Kind::Rule);
        QCOMPARE(rules.size(), 1);
        QCOMPARE(rules[0]->rect, QRect(100, 100, 1900, 0));
        QCOMPARE(rules[0]->ruleWidth, qint16(10)); // 1 point
        QCOMPARE(rules[0]->colour, ReportBlack);
        QCOMPARE(rules[0], &page.items.back()); // over everything
    }

    FakeReportData card = FakeReportData::numbered(1);
    const ReportPages cardPages = produce(TfrmRepSelect::definition(), card);
    QVERIFY(itemsOf(cardPages.pages[0], PageItem::Kind::Rule).isEmpty());
}

void TestReportLayout::cardFooterAtTheFootOfItsOnePage_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("the selected row") << 1;
    QTest::newRow("no row") << 0;
}

void TestReportLayout::cardFooterAtTheFootOfItsOnePage()
{
    QFETCH(int, rows);
    FakeReportData data = FakeReportData::numbered(rows);
    const ReportPages pages = produce(TfrmRepSelect::definition(), data);

    QCOMPARE(pages.pages.size(), size_t(1));
    QVERIFY(pages.title.isEmpty());
    const ReportPage &page = pages.pages[0];
    QVERIFY(textOf(page, QStringLiteral("Товар магазина автозапчастей")));
    QCOMPARE(countOf(page, QStringLiteral("Деталь 1")), rows);
    const auto fills = itemsOf(page, PageItem::Kind::Fill);
    QCOMPARE(fills.size(), 2);
    QCOMPARE(fills[0]->rect, QRect(100, 100, 1900, 1225));
    QCOMPARE(fills[1]->rect, QRect(100, 2764, 1900, 106)); // 276.4 mm from the top
    const PageItem *printedAt = textAt(page, QPoint(1709, 2796));
    QVERIFY(printedAt);
    QCOMPARE(printedAt->text, QStringLiteral("05.03.2024 14:07:09"));
}

void TestReportLayout::pageRules_data()
{
    QTest::addColumn<int>("detailHeight");
    QTest::addColumn<int>("footerHeight");
    QTest::addColumn<bool>("lastPageFooter");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("detailTops"); // of each page's detail bands, one list per page
    QTest::addColumn<QList<bool>>("footers");   // whether each page has its footer

    QTest::newRow("three bands fit") << 900 << 0 << true << 3
                                     << QList<int>{100, 1000, 1900} << QList<bool>{false};
    QTest::newRow("the footer's room is kept free on every page")
        << 900 << 100 << true << 3 << QList<int>{100, 1000, -1, 100} << QList<bool>{true, true};
    QTest::newRow("a band that just fits stays") << 1385 << 0 << true << 2
                                                 << QList<int>{100, 1485} << QList<bool>{false};
    QTest::newRow("a band taller than the printable area never breaks")
        << 3000 << 0 << true << 2 << QList<int>{100, 3100} << QList<bool>{false};
    QTest::newRow("no footer on the last page without the option")
        << 900 << 100 << false << 3 << QList<int>{100, 1000, -1, 100} << QList<bool>{true, false};
}

void TestReportLayout::pageRules()
{
    QFETCH(int, detailHeight);
    QFETCH(int, footerHeight);
    QFETCH(bool, lastPageFooter);
    QFETCH(int, rows);
    QFETCH(QList<int>, detailTops); // -1 separates pages
    QFETCH(QList<bool>, footers);

    FakeReportData data = FakeReportData::numbered(rows);
    const ReportPages pages =
        produce(bandsOnly(detailHeight, footerHeight, lastPageFooter), data);

    QCOMPARE(int(pages.pages.size()), footers.size());
    QList<int> tops;
    for (size_t p = 0; p < pages.pages.size(); ++p) {
        if (p > 0)
            tops << -1;
        bool footer = false;
        for (const PageItem *fill : itemsOf(pages.pages[p], PageItem::Kind::Fill)) {
            if (fill->colour == ReportWhite)
                tops << fill->rect.top();
            else if (fill->rect == QRect(100, 2870 - footerHeight, 1900, footerHeight))
                footer = true;
        }
        QCOMPARE(footer, footers[int(p)]);
    }
    QCOMPARE(tops, detailTops);
}

void TestReportLayout::textIsSplitAtCarriageReturnsAndNeverCut_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("printed");
    const QString longName = QStringLiteral("Фильтр ").repeated(14); // far past its 13.5 mm
    QTest::newRow("a long name prints whole") << longName << longName;
    QTest::newRow("CR LF ends a line") << "Первая\r\nвторая" << "Первая\nвторая";
    QTest::newRow("CR alone ends a line") << "а\rб\rв" << "а\nб\nв";
    QTest::newRow("LF alone is dropped") << "а\nб" << "аб";
}

void TestReportLayout::textIsSplitAtCarriageReturnsAndNeverCut()
{
    QFETCH(QString, value);
    QFETCH(QString, printed);
    FakeReportData data({{{QStringLiteral("tovName"), value}}});
    const ReportPages pages = produce(TfrmRepAll::definition(), data);

    const PageItem *name = textAt(pages.pages[0], QPoint(849, 460));
    QVERIFY(name);
    QCOMPARE(name->text, printed);
}

void TestReportLayout::dateTime_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<QString>("printed");
    const QDate day(2024, 3, 5);
    QTest::newRow("short date, blank, long time") << Russian << Afternoon << "05.03.2024 14:07:09";
    QTest::newRow("midnight: the date alone") << Russian << QDateTime(day, QTime(0, 0, 0))
                                              << "05.03.2024";
    QTest::newRow("a second past midnight") << Russian << QDateTime(day, QTime(0, 0, 1))
                                            << "05.03.2024 00:00:01";
    QTest::newRow("the locale's hour style")
        << QLocale(QLocale::English, QLocale::UnitedStates) << Afternoon << "3/5/24 2:07:09 PM";
}

void TestReportLayout::dateTime()
{
    QFETCH(QLocale, locale);
    QFETCH(QDateTime, at);
    QFETCH(QString, printed);
    FakeReportData data = FakeReportData::numbered(1);
    const ReportPages pages = produce(TfrmRepAll::definition(), data, {}, at, locale);

    const PageItem *printedAt = textAt(pages.pages[0], QPoint(121, 116));
    QVERIFY(printedAt);
    QCOMPARE(printedAt->text, printed);
}

void TestReportLayout::eachProductionReadsTheClockAnew()
{
    FakeReportData data = FakeReportData::numbered(1);
    Report report;
    report.definition = TfrmRepSelect::definition();
    report.data = &data;
    report.locale = Russian;
    QDateTime now = Afternoon;
    report.clock = [&now] { return now; };

    PageProducer first(report);
    first.run();
    now = now.addSecs(61);
    PageProducer second(report);
    second.run();
    QCOMPARE(textAt(first.pages().pages[0], QPoint(1709, 2796))->text,
             QStringLiteral("05.03.2024 14:07:09"));
    QCOMPARE(textAt(second.pages().pages[0], QPoint(1709, 2796))->text,
             QStringLiteral("05.03.2024 14:08:10"));
}

void TestReportLayout::pictureIsCentredAndCutToItsBox_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("shown"); // pixels that can show in the 300 x 220 box
    QTest::newRow("300 x 220 fills the box") << QSize(300, 220) << QSize(300, 220);
    QTest::newRow("a larger one shows its middle") << QSize(400, 300) << QSize(300, 220);
    QTest::newRow("a smaller one sits in the middle") << QSize(100, 80) << QSize(100, 80);
    QTest::newRow("wider, not higher") << QSize(501, 101) << QSize(300, 101);
}

void TestReportLayout::pictureIsCentredAndCutToItsBox()
{
    QFETCH(QSize, size);
    QFETCH(QSize, shown);
    FakeReportData data = FakeReportData::numbered(1);
    data.setBytes(0, QStringLiteral("screenshots"), "picture");
    const Picture source = numberedPicture(size.width(), size.height());
    const ReportPages pages = produce(TfrmRepSelect::definition(), data,
                                      [&](const QByteArray &) { return source; });

    const auto items = itemsOf(pages.pages[0], PageItem::Kind::Picture);
    QCOMPARE(items.size(), 1);
    const PageItem &item = *items[0];
    const QRect box(100 + 1005, 100 + 405, 794, 582); // 79.4 x 58.2 mm
    QCOMPARE(item.clip, box);
    // Its pixels at 96 per inch, never scaled.
    QCOMPARE(item.rect.width(), qRound(shown.width() * 254 / 96.0));
    QCOMPARE(item.rect.height(), qRound(shown.height() * 254 / 96.0));
    QVERIFY(qAbs(item.rect.center().x() - box.center().x()) <= 1);
    QVERIFY(qAbs(item.rect.center().y() - box.center().y()) <= 1);
    QVERIFY(box.adjusted(-1, -1, 1, 1).contains(item.rect));
    const Picture &kept = pages.pictures[size_t(item.picture)];
    QCOMPARE(QSize(kept.width, kept.height), shown);
    // The kept part is the middle of the source.
    const int x0 = (size.width() - shown.width()) / 2;
    const int y0 = (size.height() - shown.height()) / 2;
    QCOMPARE(kept.argb.front(), source.argb[size_t(y0 * size.width() + x0)]);
    QCOMPARE(kept.argb.back(), source.argb[size_t((y0 + shown.height() - 1) * size.width() + x0 +
                                                  shown.width() - 1)]);
}

void TestReportLayout::noPictureForAnEmptyOrUnreadableColumn_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("NULL or empty") << QByteArray();
    QTest::newRow("not a bitmap") << QByteArray("GIF89a and more");
}

void TestReportLayout::noPictureForAnEmptyOrUnreadableColumn()
{
    QFETCH(QByteArray, stored);
    FakeReportData data = FakeReportData::numbered(1);
    data.setBytes(0, QStringLiteral("screenshots"), stored);
    const ReportPages pages = produce(TfrmRepSelect::definition(), data, &TfrmRepSelect::photo);

    QCOMPARE(pages.pages.size(), size_t(1));
    QVERIFY(itemsOf(pages.pages[0], PageItem::Kind::Picture).isEmpty());
    QVERIFY(pages.pictures.empty());
    QVERIFY(textOf(pages.pages[0], QStringLiteral("Деталь 1"))); // the card prints all the same
}

void TestReportLayout::productionInStepsMatchesOneRun()
{
    FakeReportData whole = FakeReportData::numbered(15);
    const ReportPages expected = produce(TfrmRepAll::definition(), whole);

    FakeReportData data = FakeReportData::numbered(15);
    Report report;
    report.definition = TfrmRepAll::definition();
    report.data = &data;
    report.clock = [] { return Afternoon; };
    report.locale = Russian;
    PageProducer producer(report);
    QList<int> progress;
    int pagesBeforeEnd = 0;
    while (producer.step(1)) {
        progress << producer.progress();
        pagesBeforeEnd = producer.finishedPages();
    }
    QVERIFY(producer.finished());
    QCOMPARE(producer.progress(), 100);
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    QVERIFY(progress.contains(0));
    QVERIFY(progress.contains(20)); // 3 of 15 rows
    QCOMPARE(pagesBeforeEnd, 2);    // the last page is finished only at the end
    QCOMPARE(producer.finishedPages(), 3);
    QVERIFY(producer.pages() == expected);
}

void TestReportLayout::cursorRowsReachThePage()
{
    TestCatalogue catalogue;
    const qint64 longCategory = catalogue.addCategory(QStringLiteral("Амортизаторы и стойки подвески"));
    const qint64 make = catalogue.addMake(QStringLiteral("ВАЗ"));
    for (int i = 1; i <= 5; ++i)
        catalogue.addGoods({i, int(longCategory), QStringLiteral("Деталь %1").arg(i), {}, i,
                            {}, i == 2 ? 999 : int(make), {}, {}, {}});
    TDMAuto dm([](const std::exception &failure) { QFAIL(failure.what()); });
    Cursor &goods = dm.tblAuto;
    goods.setFilter(QStringLiteral("numSklad>'1'"));
    goods.setFiltered(true);
    goods.setSort(QStringLiteral("counts DESC"));

    TfrmRepAll form(goods);
    form.repAll.clock = [] { return Afternoon; };
    PageProducer producer(form.repAll);
    producer.run();
    const ReportPage &page = producer.pages().pages[0];

    // The filtered rows, in sort order.
    QStringList names;
    for (int block = 0; block < 4; ++block)
        names << textAt(page, QPoint(849, 431 + block * 344 + 29))->text;
    QCOMPARE(names, (QStringList{"Деталь 5", "Деталь 4", "Деталь 3", "Деталь 2"}));
    // A lookup name prints cut to the lookup column's 20 characters.
    QCOMPARE(textAt(page, QPoint(291, 431 + 90))->text, QStringLiteral("Амортизаторы и стойк"));
    // A make key without its row prints nothing after its label.
    QCOMPARE(textAt(page, QPoint(761, 431 + 3 * 344 + 175))->text, QString());
    QCOMPARE(textAt(page, QPoint(761, 431 + 175))->text, QStringLiteral("ВАЗ"));
    // Production leaves the cursor on the last row, with its filter and sort.
    QCOMPARE(goods.RecNo(), 4);
    QVERIFY(goods.Filtered());
    QCOMPARE(goods.Sort(), QStringLiteral("counts DESC"));
}

void TestReportLayout::cursorAdapterGivesNothingWithoutARow()
{
    TestCatalogue catalogue;
    TDMAuto dm([](const std::exception &failure) { QFAIL(failure.what()); });
    CursorReportData data(dm.tblAuto);
    data.First();
    QVERIFY(data.Eof());
    QCOMPARE(data.text(QStringLiteral("tovName")), QString());
    QCOMPARE(data.bytes(QStringLiteral("screenshots")), QByteArray());

    catalogue.addGoods({7, {}, QStringLiteral("Свеча"), {}, {}, {}, {}, {}, {}, {}});
    dm.tblAuto.close();
    dm.tblAuto.open();
    data.First();
    QCOMPARE(data.text(QStringLiteral("tovName")), QStringLiteral("Свеча"));
    QCOMPARE(data.text(QStringLiteral("noSuchColumn")), QString());
    dm.tblAuto.close();
    QCOMPARE(data.text(QStringLiteral("tovName")), QString());
}

void TestReportLayout::cardPrintsTheStoredPhoto()
{
    TestCatalogue catalogue;
    QByteArray stored = bmpFile(400, 300, QColor(10, 120, 230));
    // Older writers put an 8-byte graphic header in front; it reads the same.
    QByteArray header(8, '\0');
    qToLittleEndian<quint16>(1, header.data());
    qToLittleEndian<quint16>(0x0100, header.data() + 2);
    qToLittleEndian<quint32>(quint32(stored.size()), header.data() + 4);
    catalogue.addGoods({1, {}, QStringLiteral("Фара"), {}, {}, {}, {}, {}, header + stored, {}});
    TDMAuto dm([](const std::exception &failure) { QFAIL(failure.what()); });

    TfrmRepSelect form(dm.tblAuto);
    PageProducer producer(form.repSelect);
    producer.run();

    const ReportPages &pages = producer.pages();
    const auto pictures = itemsOf(pages.pages[0], PageItem::Kind::Picture);
    QCOMPARE(pictures.size(), 1);
    const Picture &photo = pages.pictures[size_t(pictures[0]->picture)];
    QCOMPARE(QSize(photo.width, photo.height), QSize(300, 220));
    QCOMPARE(photo.argb[0], QColor(10, 120, 230).rgba());
}

QTEST_GUILESS_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
