#include "PreviewFigures.h"

#include "reports/renderer/PageView.h"
#include "reports/renderer/ReportPreview.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

PreviewFigures PreviewFigures::measure(ReportPreview &preview, QElapsedTimer started)
{
    PreviewFigures figures;
    preview.setWindowState(Qt::WindowMaximized);
    preview.show();
    while (preview.pageCount() < 1)
        QCoreApplication::processEvents();
    preview.view()->grab();
    figures.firstPage = elapsedMs(started);
    while (!preview.productionFinished())
        QCoreApplication::processEvents();
    figures.produced = elapsedMs(started);
    figures.pages = preview.pageCount();
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("pages.pdf"));
    started.restart();
    preview.exportPdf(pdf);
    figures.pdf = elapsedMs(started);
    figures.pdfBytes = QFileInfo(pdf).size();
    preview.close();
    return figures;
}
