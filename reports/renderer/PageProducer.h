#pragma once

#include "PageSource.h"
#include "Report.h"

// Lays a report's rows out on pages, band by band, in steps that a caller
// can spread over its event loop. Reads the rows only through the report's
// ReportData, and moves them: production leaves them on the last row it read.
class PageProducer : public PageSource
{
public:
    explicit PageProducer(const Report &report);

    // Prints up to `bands` more bands; false once production has ended.
    bool step(int bands = 16) override;
    // Produces whatever is left.
    void run();

    bool finished() const { return phase_ == Phase::Done; }
    // Rows done against the row count, in per cent; 100 once finished.
    int progress() const override;
    // Pages that are complete, footer and frame included.
    int finishedPages() const override { return finishedPages_; }

    const ReportPages &pages() const override { return pages_; }
    ReportPages takePages() override { return std::move(pages_); }

private:
    enum class Phase { Start, Rows, End, Done };

    void begin();
    void printBand(const ReportBand &band, bool withRow);
    void placeBand(const ReportBand &band, bool withRow);
    void startPage();
    void endPage(bool last);
    void printElement(const ReportElement &element, int left, int top, bool withRow);
    void printText(const ReportElement &element, int left, int top, const QString &text);
    void printPicture(const ReportElement &element, int left, int top);
    qint16 fontIndex(const ReportElement &element);
    void add(PageItem item);

    const ReportDefinition &definition_;
    ReportData &data_;
    const Report::PictureDecoder decode_;
    const Report::Clock clock_;
    const QLocale locale_;
    const ReportBand *title_;
    const ReportBand *columnHeader_;
    const ReportBand *detail_;
    int footerHeight_ = 0;

    Phase phase_ = Phase::Start;
    bool empty_ = false; // no rows: no column header on any page
    int rowCount_ = 0;
    int rowsDone_ = 0;
    int position_ = 0; // from the sheet's top edge
    int finishedPages_ = 0;
    ReportPages pages_;
};
