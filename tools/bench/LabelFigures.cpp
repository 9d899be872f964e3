#include "LabelFigures.h"

#include "labels/LabelProducer.h"
#include "recordset/Cursor.h"
#include "reports/renderer/CursorReportData.h"
#include "reports/renderer/ReportPreview.h"
#include "ui/labels/FontMeasure.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

constexpr int Labels = 1000;

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

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
        preview.setWindowState(Qt::WindowMaximized);
        preview.show();
        while (preview.pageCount() < 1)
            QCoreApplication::processEvents();
        preview.view()->grab();
        const double firstPage = elapsedMs(timer);
        while (!preview.productionFinished())
            QCoreApplication::processEvents();
        const double produced = elapsedMs(timer);
        const int pages = preview.pageCount();
        QTemporaryDir folder;
        timer.restart();
        const QString pdfFile = folder.filePath(QStringLiteral("labels.pdf"));
        preview.exportPdf(pdfFile);
        const double pdf = elapsedMs(timer);
        const qint64 pdfSize = QFileInfo(pdfFile).size();
        preview.close();
        const int made = goods.RecordCount();
        add(QStringLiteral("%1 labels: first sheet on screen (%2 sheets in all)")
                .arg(made)
                .arg(pages),
            firstPage);
        add(QStringLiteral("%1 labels: every sheet made").arg(made), produced);
        add(QStringLiteral("%1 labels: export of every sheet to PDF (%2 KB)")
                .arg(made)
                .arg(pdfSize / 1024),
            pdf);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}
