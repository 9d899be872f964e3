#include "PageProducer.h"

#include "DateTimeText.h"

#include "recordset/Error.h"

#include <algorithm>
#include <cmath>

namespace {

// Pictures keep their pixel size at the screen's density.
constexpr double PixelsPerInch = 96.0;
constexpr double TenthsPerInch = 254.0;

int tenthsOfPixels(int pixels)
{
    return int(std::lround(pixels * TenthsPerInch / PixelsPerInch));
}

int pixelsOfTenths(int tenths)
{
    return int(std::lround(tenths * PixelsPerInch / TenthsPerInch));
}

// Lines split at carriage returns, line feeds dropped, kept as '\n'-separated text.
QString lines(QString text)
{
    text.remove(QLatin1Char('\n'));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The middle `width` x `height` pixels of `picture`, or all of it where it is smaller.
Picture middle(const Picture &picture, int width, int height)
{
    if (picture.width <= width && picture.height <= height)
        return picture;
    Picture part;
    part.width = std::min(picture.width, width);
    part.height = std::min(picture.height, height);
    const int x0 = (picture.width - part.width) / 2;
    const int y0 = (picture.height - part.height) / 2;
    part.argb.reserve(size_t(part.width) * size_t(part.height));
    for (int y = 0; y < part.height; ++y) {
        const auto row = picture.argb.begin() + ptrdiff_t(y0 + y) * picture.width + x0;
        part.argb.insert(part.argb.end(), row, row + part.width);
    }
    return part;
}

} // namespace

PageProducer::PageProducer(const Report &report)
    : definition_(report.definition), data_(*report.data), decode_(report.decodePicture),
      clock_(report.clock), locale_(report.locale),
      title_(definition_.band(ReportBand::Kind::Title)),
      columnHeader_(definition_.band(ReportBand::Kind::ColumnHeader)),
      detail_(definition_.band(ReportBand::Kind::Detail))
{
    for (const ReportBand &band : definition_.bands)
        if (band.kind == ReportBand::Kind::PageFooter)
            footerHeight_ += band.height;
    pages_.title = definition_.title;
    pages_.pageWidth = definition_.pageWidth;
    pages_.pageHeight = definition_.pageHeight;
}

int PageProducer::progress() const
{
    if (finished())
        return 100;
    if (rowCount_ <= 0)
        return 0;
    return int(qint64(std::min(rowsDone_, rowCount_)) * 100 / rowCount_);
}

void PageProducer::run()
{
    while (step(1000)) {
    }
}

bool PageProducer::step(int bands)
{
    for (int done = 0; done < bands && phase_ != Phase::Done; ++done) {
        switch (phase_) {
        case Phase::Start:
            begin();
            break;
        case Phase::Rows:
            if (detail_)
                printBand(*detail_, true);
            data_.Next();
            ++rowsDone_;
            if (data_.Eof())
                phase_ = Phase::End;
            break;
        case Phase::End:
            if (!pages_.pages.empty())
                endPage(true);
            phase_ = Phase::Done;
            break;
        case Phase::Done:
            break;
        }
    }
    return phase_ != Phase::Done;
}

void PageProducer::begin()
{
    data_.First();
    rowCount_ = data_.RecordCount();
    phase_ = Phase::End;
    if (!data_.Eof()) {
        if (title_)
            printBand(*title_, true);
        if (columnHeader_)
            printBand(*columnHeader_, true);
        phase_ = Phase::Rows;
    } else if (definition_.has(ReportDefinition::PrintIfEmpty)) {
        empty_ = true;
        if (title_)
            printBand(*title_, false);
        if (detail_)
            printBand(*detail_, false);
    }
}

void PageProducer::printBand(const ReportBand &band, bool withRow)
{
    const int space =
        definition_.pageHeight - definition_.bottomMargin - footerHeight_ - position_;
    if (pages_.pages.empty()) {
        startPage();
    } else if (band.height > space && band.height <= definition_.printableHeight()) {
        endPage(false);
        startPage();
        if (&band == columnHeader_)
            return; // the new page has printed it at its top already
    }
    placeBand(band, withRow);
}

void PageProducer::placeBand(const ReportBand &band, bool withRow)
{
    const int left = definition_.leftMargin;
    PageItem fill;
    fill.kind = PageItem::Kind::Fill;
    fill.colour = band.colour;
    fill.rect = QRect(left, position_, definition_.printableWidth(), band.height);
    add(std::move(fill));
    for (const ReportElement &element : band.elements)
        printElement(element, left, position_, withRow);
    position_ += band.height;
}

void PageProducer::startPage()
{
    pages_.pages.emplace_back();
    position_ = definition_.topMargin;
    if (pages_.pages.size() > 1 && columnHeader_ && !empty_)
        placeBand(*columnHeader_, true);
}

void PageProducer::endPage(bool last)
{
    if (!last || definition_.has(ReportDefinition::LastPageFooter)) {
        position_ = definition_.pageHeight - definition_.bottomMargin - footerHeight_;
        for (const ReportBand &band : definition_.bands)
            if (band.kind == ReportBand::Kind::PageFooter)
                placeBand(band, !empty_);
    }
    const ReportFrame &frame = definition_.frame;
    const int left = definition_.leftMargin;
    const int top = definition_.topMargin;
    const int right = definition_.pageWidth - definition_.rightMargin;
    const int bottom = definition_.pageHeight - definition_.bottomMargin;
    const auto rule = [&](QRect line) {
        PageItem item;
        item.kind = PageItem::Kind::Rule;
        item.colour = frame.colour;
        item.ruleWidth = qint16(frame.widthPoints * 10);
        item.rect = line;
        add(std::move(item));
    };
    if (frame.top)
        rule(QRect(left, top, right - left, 0));
    if (frame.bottom)
        rule(QRect(left, bottom, right - left, 0));
    if (frame.left)
        rule(QRect(left, top, 0, bottom - top));
    if (frame.right)
        rule(QRect(right, top, 0, bottom - top));
    ++finishedPages_;
}

void PageProducer::printElement(const ReportElement &element, int left, int top, bool withRow)
{
    switch (element.kind) {
    case ReportElement::Kind::Label:
        printText(element, left, top, element.text);
        break;
    case ReportElement::Kind::DataText:
        printText(element, left, top, withRow ? data_.text(element.text) : QString());
        break;
    case ReportElement::Kind::DateTime:
        printText(element, left, top, DateTimeText::format(clock_(), locale_));
        break;
    case ReportElement::Kind::DataPicture:
        if (withRow)
            printPicture(element, left, top);
        break;
    }
}

void PageProducer::printText(const ReportElement &element, int left, int top, const QString &text)
{
    PageItem item;
    item.kind = PageItem::Kind::Text;
    item.font = fontIndex(element);
    item.rect = QRect(left + element.left, top + element.top, element.width, element.height);
    item.text = lines(text);
    add(std::move(item));
}

void PageProducer::printPicture(const ReportElement &element, int left, int top)
{
    const QByteArray bytes = data_.bytes(element.text);
    if (bytes.isEmpty() || !decode_)
        return;
    Picture picture;
    try {
        picture = decode_(bytes);
    } catch (const Error &) {
        return; // content that is no picture leaves the box empty, as no photo does
    }
    if (picture.isNull() || picture.argb.size() != size_t(picture.width) * size_t(picture.height))
        return;
    const QRect box(left + element.left, top + element.top, element.width, element.height);
    // What lies outside the box never shows, so only the middle part is kept.
    picture = middle(picture, std::max(1, pixelsOfTenths(box.width())),
                     std::max(1, pixelsOfTenths(box.height())));
    const int width = tenthsOfPixels(picture.width);
    const int height = tenthsOfPixels(picture.height);
    PageItem item;
    item.kind = PageItem::Kind::Picture;
    item.rect = QRect(box.left() + (box.width() - width) / 2,
                      box.top() + (box.height() - height) / 2, width, height);
    item.clip = box;
    item.picture = qint32(pages_.pictures.size());
    pages_.pictures.push_back(std::move(picture));
    add(std::move(item));
}

qint16 PageProducer::fontIndex(const ReportElement &element)
{
    ReportFont font = element.font.value_or(definition_.font);
    if (element.colour)
        font.colour = element.colour;
    const auto found = std::find(pages_.fonts.begin(), pages_.fonts.end(), font);
    if (found != pages_.fonts.end())
        return qint16(found - pages_.fonts.begin());
    pages_.fonts.push_back(font);
    return qint16(pages_.fonts.size() - 1);
}

void PageProducer::add(PageItem item)
{
    pages_.pages.back().items.push_back(std::move(item));
}
