#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

class ReportPreview;

// A print preview's figures: its first page on screen, every page made, and
// the PDF of them all.
struct PreviewFigures
{
    double firstPage = 0; // ms since `started`
    double produced = 0;  // ms since `started`
    double pdf = 0;       // ms for the export alone
    int pages = 0;
    qint64 pdfBytes = 0;

    // Shows `preview` maximised, waits for each step, exports the PDF, closes
    // it. `started` runs from before the preview was made.
    static PreviewFigures measure(ReportPreview &preview, QElapsedTimer started);
};
