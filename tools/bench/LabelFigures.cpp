#include "LabelFigures.h"

#include "PreviewFigures.h"
#include "labels/LabelProducer.h"
#include "recordset/Cursor.h"
#include "reports/renderer/CursorReportData.h"
#include "reports/renderer/ReportPreview.h"
#include "ui/labels/FontMeasure.h"

#include <QElapsedTimer>

namespace {

constexpr int Labels = 1000;

} // namespace

void LabelFigures::measure(Cursor &goods, const Add &add)
{
    const QString filter = goods.Filter();
    const bool filtered = goods.Filtered();
    goods.setFilter(QStringLiteral("auto_id<='%1'").arg(Labels));
    goods.setFiltered(true);
    goods.DisableControls();
    const auto restore = [&] {
        goods.EnableControls();
        goods.setFiltered(false);
        goods.setFilter(filter);
        goods.setFiltered(filtered);
    };
    try {
        CursorReportData rows(goods);
        LabelOptions options;
        options.sheet = LabelSheet::all().front(); // 24 to an A4 sheet
        QElapsedTimer timer;
        timer.start();
        ReportPreview preview(
            std::make_unique<LabelProducer>(rows, options, FontMeasure::measure(), "Этикетки"),
            QStringLiteral("Этикетки"));
        const PreviewFigures figures = PreviewFigures::measure(preview, timer);
        const int made = goods.RecordCount();
        add(QStringLiteral("%1 labels: first sheet on screen (%2 sheets in all)")
                .arg(made)
                .arg(figures.pages),
            figures.firstPage);
        add(QStringLiteral("%1 labels: every sheet made").arg(made), figures.produced);
        add(QStringLiteral("%1 labels: export of every sheet to PDF (%2 KB)")
                .arg(made)
                .arg(figures.pdfBytes / 1024),
            figures.pdf);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}
