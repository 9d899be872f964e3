#include "GuiTestMain.h"

#include "reports/renderer/PagePainter.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

namespace {

constexpr quint32 Green = 0xffc0dcc0;

// One page holding `items`, with the default font of the reports.
ReportPages pageOf(std::vector<PageItem> items, std::vector<Picture> pictures = {})
{
    ReportPages pages;
    pages.fonts = {ReportFont{QStringLiteral("Arial"), 10, false, ReportBlack}};
    pages.pictures = std::move(pictures);
    pages.pages = {ReportPage{std::move(items)}};
    return pages;
}

PageItem fill(QRect rect, quint32 colour)
{
    PageItem item;
    item.kind = PageItem::Kind::Fill;
    item.rect = rect;
    item.colour = colour;
    return item;
}

PageItem text(QRect rect, const QString &value)
{
    PageItem item;
    item.kind = PageItem::Kind::Text;
    item.rect = rect;
    item.font = 0;
    item.text = value;
    return item;
}

// The page drawn on a white image at `scale` pixels per tenth of a millimetre.
QImage render(const ReportPages &pages, double scale)
{
    QImage image(int(pages.pageWidth * scale), int(pages.pageHeight * scale),
                 QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PagePainter::paint(painter, pages, 0, scale);
    return image;
}

bool darkIn(const QImage &image, const QRect &area)
{
    for (int y = std::max(0, area.top()); y <= std::min(image.height() - 1, area.bottom()); ++y)
        for (int x = std::max(0, area.left()); x <= std::min(image.width() - 1, area.right()); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                return true;
    return false;
}

} // namespace

class TestPagePainter : public QObject
{
    Q_OBJECT
private slots:
    void textPrintsWholePastItsLaidOutWidth();
    void textLinesStandUnderEachOther();
    void textHasAWhiteGroundOverTheBand();
    void pictureIsCutToItsBox();
    void ruleIsOnePointThick();
    void missingFamiliesAreReplaced_data();
    void missingFamiliesAreReplaced();
};

void TestPagePainter::textPrintsWholePastItsLaidOutWidth()
{
    const QString name = QStringLiteral("Фильтр масляный для двигателей ВАЗ 2101-2107 и Нива");
    const PageItem item = text(QRect(849, 460, 135, 45), name);
    const ReportPages pages = pageOf({item});
    const double scale = 0.5;
    const QImage image = render(pages, scale);

    const QFont font = PagePainter::font(pages.fonts[0], scale, &image);
    const QRectF area = PagePainter::textRect(item, font, scale, &image);
    QCOMPARE(area.width(), QFontMetricsF(font, &image).horizontalAdvance(name));
    QVERIFY(area.width() > 4 * 135 * scale);
    // Ink well past the laid-out width, up to the end of the text, and none after it.
    const int top = int(area.top());
    const int bottom = int(area.bottom());
    QVERIFY(darkIn(image, QRect(QPoint(int(area.right()) - 15, top), QPoint(int(area.right()), bottom))));
    QVERIFY(!darkIn(image, QRect(QPoint(int(area.right()) + 2, top), QPoint(image.width(), bottom))));
}

void TestPagePainter::textLinesStandUnderEachOther()
{
    const PageItem item = text(QRect(200, 200, 100, 45), QStringLiteral("Первая\nвторая строка"));
    const ReportPages pages = pageOf({item});
    QImage device(10, 10, QImage::Format_ARGB32);
    const QFont font = PagePainter::font(pages.fonts[0], 1.0, &device);
    const QFontMetricsF metrics(font, &device);
    const QRectF area = PagePainter::textRect(item, font, 1.0, &device);
    QCOMPARE(area.topLeft(), QPointF(200, 200));
    QCOMPARE(area.height(), 2 * metrics.lineSpacing());
    QCOMPARE(area.width(), metrics.horizontalAdvance(QStringLiteral("вторая строка")));
    // 10 points are 35.3 tenths of a millimetre high on paper.
    QVERIFY(qAbs(font.pointSizeF() * device.logicalDpiY() / 72.0 - 10 * 254 / 72.0) < 0.01);
}

void TestPagePainter::textHasAWhiteGroundOverTheBand()
{
    const PageItem item = text(QRect(200, 200, 100, 45), QStringLiteral("Цена:"));
    const ReportPages pages = pageOf({fill(QRect(100, 100, 1900, 344), Green), item});
    const QImage image = render(pages, 1.0);
    const QRectF area =
        PagePainter::textRect(item, PagePainter::font(pages.fonts[0], 1.0, &image), 1.0, &image);

    QCOMPARE(image.pixel(int(area.left()) + 1, int(area.top()) + 1), QColor(Qt::white).rgba());
    QCOMPARE(image.pixel(int(area.right()) + 3, int(area.center().y())), Green);
    QCOMPARE(image.pixel(150, 150), Green);
}

void TestPagePainter::pictureIsCutToItsBox()
{
    Picture red{4, 4, std::vector<quint32>(16, 0xffff0000)};
    PageItem item;
    item.kind = PageItem::Kind::Picture;
    item.picture = 0;
    item.rect = QRect(100, 100, 400, 400); // larger than its box on every side
    item.clip = QRect(200, 200, 100, 100);
    const QImage image = render(pageOf({item}, {red}), 0.5);

    QCOMPARE(image.pixel(125, 125), 0xffff0000); // the middle of the box
    QCOMPARE(image.pixel(101, 101), 0xffff0000);
    QCOMPARE(image.pixel(149, 149), 0xffff0000);
    for (const QPoint outside : {QPoint(98, 125), QPoint(125, 98), QPoint(152, 125), QPoint(125, 152)})
        QCOMPARE(image.pixel(outside), QColor(Qt::white).rgba());
}

void TestPagePainter::ruleIsOnePointThick()
{
    PageItem rule;
    rule.kind = PageItem::Kind::Rule;
    rule.rect = QRect(100, 100, 1900, 0);
    rule.ruleWidth = 10;
    rule.colour = ReportBlack;
    const double scale = 600 / 254.0; // a 600 dpi printer
    const QImage image = render(pageOf({rule}), scale);

    int dark = 0;
    const int x = image.width() / 2;
    for (int y = 0; y < image.height() / 10; ++y)
        dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    QVERIFY2(dark >= 8 && dark <= 9, qPrintable(QString::number(dark))); // 600 / 72 pixels
    QVERIFY(!darkIn(image, QRect(0, 0, int(100 * scale) - 2, image.height() / 10)));
}

void TestPagePainter::missingFamiliesAreReplaced_data()
{
    QTest::addColumn<QString>("requested");
    QTest::addColumn<QString>("stand");
    QTest::newRow("Arial") << "Arial" << "Liberation Sans";
    QTest::newRow("Tahoma") << "Tahoma" << "DejaVu Sans";
}

void TestPagePainter::missingFamiliesAreReplaced()
{
    QFETCH(QString, requested);
    QFETCH(QString, stand);
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(requested))
        QSKIP("the family is installed here");
    QCOMPARE(PagePainter::family(requested), stand);
    QVERIFY(QFontDatabase::writingSystems(stand).contains(QFontDatabase::Cyrillic));
    QCOMPARE(PagePainter::family(QStringLiteral("DejaVu Serif")), QStringLiteral("DejaVu Serif"));
}

AUTOPARTS_GUI_TEST_MAIN(TestPagePainter)
#include "tst_pagepainter.moc"
