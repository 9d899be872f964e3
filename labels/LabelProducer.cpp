#include "LabelProducer.h"

#include "BarcodeSymbol.h"
#include "LabelText.h"
#include "PartCode.h"
#include "reports/renderer/ReportData.h"

#include <QLocale>

#include <cmath>

namespace {

enum FontIndex : qint16 { NameFont, ModelFont, PriceFont, DigitsFont };

// Module widths in tenths of a millimetre. EAN-13 is printed at most at its
// nominal size; below the least width a shop's printer and scanner are sure
// of, an article code gives way to the in-store EAN-13, which is shorter.
constexpr double NominalEanModule = 3.3;
constexpr double LargestCode128Module = 3.0;
constexpr double LeastModule = 1.9;
// Bars keep this far from the label's edge, quiet zones included.
constexpr double BarsInset = 5;
constexpr double Gap = 5; // between the texts and the bars

ReportFont arial(int points, bool bold)
{
    return ReportFont{QStringLiteral("Arial"), points, bold, ReportBlack};
}

} // namespace

LabelProducer::LabelProducer(ReportData &rows, LabelOptions options, TextMeasure measure,
                             QString title)
    : rows_(rows), options_(std::move(options)), measure_(std::move(measure)),
      position_(options_.sheet.perSheet())
{
    // Smaller labels take smaller letters.
    const bool large = options_.sheet.labelHeight >= 360;
    fonts_ = {arial(large ? 9 : 7, true), arial(large ? 8 : 6, false), arial(large ? 16 : 12, true),
              arial(large ? 8 : 7, false)};
    pages_.title = std::move(title);
    pages_.pageWidth = options_.sheet.pageWidth;
    pages_.pageHeight = options_.sheet.pageHeight;
    pages_.fonts = {fonts_.name, fonts_.model, fonts_.price, fonts_.digits};
}

bool LabelProducer::step(int labels)
{
    if (ended_)
        return false;
    if (!started_) {
        started_ = true;
        rowCount_ = rows_.RecordCount();
        rows_.First();
        readRow();
    }
    while (labels > 0 && !ended_) {
        if (copiesLeft_ > 0) {
            place();
            --copiesLeft_;
            --labels;
            continue;
        }
        // Moving on counts as work too, so that parts without labels in
        // stock cannot hold up the event loop.
        ++rowsDone_;
        rows_.Next();
        readRow();
        --labels;
    }
    return !ended_;
}

void LabelProducer::readRow()
{
    if (rows_.Eof()) {
        ended_ = true;
        return;
    }
    copiesLeft_ = copiesOf(rows_, options_.asInStock);
    if (copiesLeft_ == 0)
        return;
    bool ok = false;
    autoId_ = rows_.text(QStringLiteral("auto_id")).toLongLong(&ok);
    if (!ok)
        autoId_ = -1;
    article_ = rows_.text(QStringLiteral("codeTov"));
    name_ = rows_.text(QStringLiteral("tovName"));
    model_ = rows_.text(QStringLiteral("models")).simplified();
    price_ = priceText(rows_.text(QStringLiteral("price")));
    label_ = layOut();
}

int LabelProducer::copiesOf(const ReportData &row, bool asInStock)
{
    if (!asInStock)
        return 1;
    bool ok = false;
    const int count = row.text(QStringLiteral("counts")).toInt(&ok);
    return ok ? std::max(0, count) : 0;
}

QString LabelProducer::priceText(const QString &stored)
{
    QString number = stored.trimmed();
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok)
        return stored.trimmed();
    return QLocale(QLocale::Russian).toString(value, 'f', 2) + QStringLiteral(" руб.");
}

double LabelProducer::moduleWidth(int modules, double width, bool ean)
{
    if (modules <= 0)
        return 0;
    return std::min(ean ? NominalEanModule : LargestCode128Module, width / modules);
}

PageItem LabelProducer::text(int font, const QString &text, double left, double top) const
{
    PageItem item;
    item.kind = PageItem::Kind::Text;
    item.font = qint16(font);
    item.text = text;
    const ReportFont &f = pages_.fonts[size_t(font)];
    item.rect =
        QRect(int(std::lround(left)), int(std::lround(top)),
              int(std::ceil(measure_.width(f, text))), int(std::ceil(measure_.lineHeight(f))));
    return item;
}

std::vector<PageItem> LabelProducer::layOut() const
{
    const LabelSheet &sheet = options_.sheet;
    const double pad = sheet.labelHeight >= 360 ? 25 : 15;
    const double width = sheet.labelWidth - 2 * pad;
    const double height = sheet.labelHeight - 2 * pad;
    const double nameLine = measure_.lineHeight(fonts_.name);
    const double modelLine = measure_.lineHeight(fonts_.model);
    const double priceLine = measure_.lineHeight(fonts_.price);
    const double digitsLine = measure_.lineHeight(fonts_.digits);
    const double leastBars = sheet.labelHeight >= 360 ? 70 : 50;
    const double mostBars = sheet.labelHeight >= 360 ? 120 : 80;

    // Two lines of name and the model where the bars keep their least
    // height, else less text.
    int nameLines = 2;
    bool withModel = !model_.isEmpty();
    const auto bars = [&] {
        return height - nameLines * nameLine - (withModel ? modelLine : 0) - priceLine -
               digitsLine - 2 * Gap;
    };
    if (bars() < leastBars)
        nameLines = 1;
    if (bars() < leastBars)
        withModel = false;

    std::vector<PageItem> items;
    double y = pad;
    for (const QString &line : LabelText::wrap(name_, fonts_.name, width, nameLines, measure_)) {
        items.push_back(text(NameFont, line, pad, y));
        y += nameLine;
    }
    if (withModel) {
        items.push_back(
            text(ModelFont, LabelText::elide(model_, fonts_.model, width, measure_), pad, y));
        y += modelLine;
    }
    const QString price = LabelText::elide(price_, fonts_.price, width, measure_);
    items.push_back(text(PriceFont, price, pad + width - measure_.width(fonts_.price, price), y));
    y += priceLine + Gap;
    const double barsHeight = std::min(mostBars, pad + height - digitsLine - y);
    addBarcode(items, pad + height - digitsLine - barsHeight, barsHeight);
    return items;
}

void LabelProducer::addBarcode(std::vector<PageItem> &items, double top, double height) const
{
    const double room = options_.sheet.labelWidth - 2 * BarsInset;
    std::optional<PartCode::Barcode> code = PartCode::forPart(autoId_, article_);
    if (!code)
        return; // no article and a goods code too long for EAN-13: a label without bars
    BarcodeSymbol symbol = BarcodeSymbol::make(*code);
    if (code->symbology == PartCode::Symbology::Code128 &&
        moduleWidth(int(symbol.modules.size()), room, false) < LeastModule) {
        const QString ean = PartCode::storeEan(autoId_);
        if (ean.isEmpty())
            return;
        code = PartCode::Barcode{PartCode::Symbology::Ean13, ean};
        symbol = BarcodeSymbol::make(*code);
    }
    const bool ean = code->symbology == PartCode::Symbology::Ean13;
    const int modules = int(symbol.modules.size());
    const double module = moduleWidth(modules, room, ean);
    const double left = (options_.sheet.labelWidth - modules * module) / 2;
    const double guard = symbol.guardDepth * module;

    PageItem bars;
    bars.kind = PageItem::Kind::Bars;
    bars.text = symbol.modules;
    bars.rect = QRect(int(std::lround(left)), int(std::lround(top)),
                      int(std::lround(modules * module)), int(std::lround(height + guard)));
    bars.ruleWidth = qint16(std::lround(guard));
    items.push_back(bars);

    const double digitsTop = top + height;
    const auto centred = [&](const QString &digits, double from, double to) {
        const double w = measure_.width(fonts_.digits, digits);
        items.push_back(
            text(DigitsFont, digits, left + (from + to) / 2 * module - w / 2, digitsTop));
    };
    if (ean && symbol.text.size() == 13) {
        // The first digit stands before the bars, the others in two groups
        // between the guards, as on any EAN-13.
        const int q = symbol.leftQuiet;
        const QString first = symbol.text.left(1);
        items.push_back(text(DigitsFont, first,
                             left + (q - 1) * module - measure_.width(fonts_.digits, first),
                             digitsTop));
        centred(symbol.text.mid(1, 6), q + 3, q + 45);
        centred(symbol.text.mid(7, 6), q + 50, q + 92);
    } else {
        const QString shown = LabelText::elide(symbol.text, fonts_.digits, room, measure_);
        centred(shown, 0, modules);
    }
}

void LabelProducer::place()
{
    const LabelSheet &sheet = options_.sheet;
    if (position_ >= sheet.perSheet()) {
        // The first sheet begins where the user said; the others at the top.
        position_ = pages_.pages.empty() ? std::clamp(options_.start, 0, sheet.perSheet() - 1) : 0;
        pages_.pages.emplace_back();
    }
    const QPoint corner(sheet.labelLeft(position_), sheet.labelTop(position_));
    std::vector<PageItem> &page = pages_.pages.back().items;
    for (PageItem item : label_) {
        item.rect.translate(corner);
        page.push_back(std::move(item));
    }
    ++position_;
}

int LabelProducer::progress() const
{
    if (ended_)
        return 100;
    return rowCount_ > 0 ? std::min(99, int(qint64(rowsDone_) * 100 / rowCount_)) : 0;
}

int LabelProducer::finishedPages() const
{
    const int made = int(pages_.pages.size());
    // The open sheet is complete only once it is full or nothing more comes.
    return ended_ || position_ >= options_.sheet.perSheet() ? made : std::max(0, made - 1);
}
