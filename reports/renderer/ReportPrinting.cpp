#include "ReportPrinting.h"

#include "PagePainter.h"
#include "PageProducer.h"
#include "Report.h"

#include "recordset/Error.h"

#include <QApplication>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace {

QPageSize pageSizeOf(const ReportPages &pages)
{
    return QPageSize(QSizeF(pages.pageWidth / 10.0, pages.pageHeight / 10.0),
                     QPageSize::Millimeter, QString(), QPageSize::FuzzyOrientationMatch);
}

} // namespace

ReportPrinting::ReportPrinting(QWidget *owner)
    : progress_(QString(), QStringLiteral("Cancel"), 0, 100, owner)
{
    progress_.setWindowTitle(QStringLiteral("Printing progress"));
    progress_.setWindowModality(Qt::WindowModal);
    progress_.setMinimumDuration(0);
    progress_.setAutoClose(false);
    progress_.setAutoReset(false);
}

bool ReportPrinting::cancelled()
{
    QCoreApplication::processEvents();
    return progress_.wasCanceled();
}

bool ReportPrinting::print(QPrinter &printer, const Report &report)
{
    progress_.show();
    PageProducer producer(report);
    // The first half of the bar is production, the second putting pages on paper.
    while (producer.step(32)) {
        progress_.setValue(producer.progress() / 2);
        if (cancelled())
            return false;
    }
    return print(printer, producer.pages());
}

bool ReportPrinting::print(QPrinter &printer, const ReportPages &pages)
{
    const int count = int(pages.pages.size());
    int from = 1;
    int to = count;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::max(1, printer.fromPage());
        to = std::min(count, printer.toPage() > 0 ? printer.toPage() : count);
    }
    if (count == 0 || from > to)
        return true;
    // Where the printing system cannot make the copies, each is printed in turn.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    const int start = progress_.value();
    progress_.show();
    printer.setFullPage(true);
    printer.setDocName(pages.title);
    QPainter painter;
    if (!painter.begin(&printer))
        throw Error(QStringLiteral("Не удалось начать печать на принтере «%1»")
                        .arg(printer.printerName()));
    const double scale = printer.resolution() / 254.0;
    const int total = copies * (to - from + 1);
    int done = 0;
    for (int copy = 0; copy < copies; ++copy) {
        for (int page = from; page <= to; ++page) {
            if (done > 0)
                printer.newPage();
            PagePainter::paint(painter, pages, page - 1, scale);
            ++done;
            progress_.setValue(start + (100 - start) * done / total);
            if (cancelled()) {
                printer.abort();
                painter.end();
                // A file cut short is no print: nothing of it is left.
                if (!printer.outputFileName().isEmpty())
                    QFile::remove(printer.outputFileName());
                return false;
            }
        }
    }
    painter.end();
    return true;
}

void ReportPrinting::applyReportSettings(QPrinter &printer, const ReportPages &pages)
{
    printer.setPageSize(pageSizeOf(pages));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    printer.setDocName(pages.title);
    printer.setCopyCount(1);
    printer.setPrintRange(QPrinter::AllPages);
}

void ReportPrinting::exportPdf(const ReportPages &pages, const QString &fileName)
{
    QPdfWriter writer(fileName);
    writer.setPageSize(pageSizeOf(pages));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer.setResolution(600);
    writer.setTitle(pages.title);
    writer.setCreator(QCoreApplication::applicationName());
    QPainter painter;
    if (!painter.begin(&writer))
        throw Error(QStringLiteral("Не удалось записать файл «%1»").arg(fileName));
    const double scale = writer.resolution() / 254.0;
    for (size_t page = 0; page < pages.pages.size(); ++page) {
        if (page > 0)
            writer.newPage();
        PagePainter::paint(painter, pages, int(page), scale);
    }
    if (!painter.end())
        throw Error(QStringLiteral("Не удалось записать файл «%1»").arg(fileName));
}
