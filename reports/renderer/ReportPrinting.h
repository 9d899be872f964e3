#pragma once

#include <QProgressDialog>

class QPrinter;
struct Report;
struct ReportPages;

// Putting pages on paper or into a PDF file with the painter of the preview.
// Printing shows the small "Printing progress" window with a Cancel button
// over `owner` for as long as it runs.
class ReportPrinting
{
public:
    explicit ReportPrinting(QWidget *owner);

    // Produces the report's pages anew, so that the date-time is that of
    // printing, and prints them. False when cancelled.
    bool print(QPrinter &printer, const Report &report);
    // Prints pages that exist already. False when cancelled.
    bool print(QPrinter &printer, const ReportPages &pages);

    // The report's printer settings: its paper, portrait, the whole sheet
    // addressable, the report title as the job's name.
    static void applyReportSettings(QPrinter &printer, const ReportPages &pages);

    // Writes the pages to a PDF file; needs no printer. Throws Error.
    static void exportPdf(const ReportPages &pages, const QString &fileName);

private:
    bool cancelled();

    QProgressDialog progress_;
};
