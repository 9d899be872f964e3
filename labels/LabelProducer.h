#pragma once

#include "LabelSheet.h"
#include "TextMeasure.h"
#include "reports/renderer/PageSource.h"

#include <optional>

class ReportData;

// What to print labels on, and how many.
struct LabelOptions
{
    LabelSheet sheet;
    // As many labels of a part as it has in stock; otherwise one of each.
    bool asInStock = false;
    // Where on the first sheet to begin, 0-based across its rows: the labels
    // before it were used already.
    int start = 0;
};

// Lays out the goods' labels on sheets: the name (wrapped or shortened to
// fit), the model, the price in roubles, large, and the barcode with its
// digits beneath. Reads the rows through ReportData, moving them, as a
// report does; a part's copies are laid out once and repeated.
class LabelProducer : public PageSource
{
public:
    LabelProducer(ReportData &rows, LabelOptions options, TextMeasure measure, QString title);

    bool step(int labels) override;
    int progress() const override;
    int finishedPages() const override;
    const ReportPages &pages() const override { return pages_; }
    ReportPages takePages() override { return std::move(pages_); }

    // Labels the current row asks for.
    static int copiesOf(const ReportData &row, bool asInStock);
    // The price as a label shows it, "1 250,00 руб.": the column's text when
    // it is no number.
    static QString priceText(const QString &stored);
    // The module width the barcode would get on a label, in tenths of a
    // millimetre, for `modules` across `width`.
    static double moduleWidth(int modules, double width, bool ean);

private:
    struct Fonts
    {
        ReportFont name, model, price, digits;
    };

    void readRow();
    std::vector<PageItem> layOut() const;
    void addBarcode(std::vector<PageItem> &items, double top, double height) const;
    void place();
    PageItem text(int font, const QString &text, double left, double top) const;

    ReportData &rows_;
    const LabelOptions options_;
    const TextMeasure measure_;
    Fonts fonts_;
    bool started_ = false;
    bool ended_ = false;
    int rowCount_ = 0;
    int rowsDone_ = 0;
    int copiesLeft_ = 0;
    int position_;                // on the open sheet, or perSheet when none is open
    std::vector<PageItem> label_; // the current part's label, from its corner
    // Parts of the current row the layout reads.
    qint64 autoId_ = -1;
    QString article_, name_, model_, price_;
    ReportPages pages_;
};
