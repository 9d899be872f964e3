#pragma once

#include "PageView.h"
#include "ReportPages.h"

#include <QDialog>
#include <QTimer>

#include <memory>

class BusyPointer;
class PageSource;
class QAction;
class QLabel;
class QPrinter;
class QPushButton;
class QToolBar;
struct Report;

// The print preview: produces a report's pages in steps while it shows them,
// and prints, saves, loads and exports them.
class ReportPreview : public QDialog
{
    Q_OBJECT
public:
    explicit ReportPreview(Report &report, QWidget *parent = nullptr);
    // Pages from another maker, printed as they were made.
    ReportPreview(std::unique_ptr<PageSource> source, const QString &title,
                  QWidget *parent = nullptr);
    ~ReportPreview() override;

    // Shows the preview maximised and modal over the whole application;
    // returns once it has closed and production has stopped.
    static void showModal(Report &report);
    static void showModal(std::unique_ptr<PageSource> source, const QString &title);

    // Pages that can be viewed: those produced so far, or the loaded ones.
    int pageCount() const;
    // 0-based.
    int currentPage() const { return page_; }
    void showPage(int page);
    const ReportPages &pages() const;
    bool productionFinished() const;
    int progress() const;
    PageView::Zoom zoom() const { return view_->zoom(); }
    PageView *view() const { return view_; }

    // The work of the commands without their dialogs. Throw Error.
    // Print's work on `printer`; false when cancelled.
    bool printTo(QPrinter &printer);
    void exportPdf(const QString &fileName);
    void saveReport(const QString &fileName);
    void loadReport(const QString &fileName);

    static constexpr const char *FileFilter = "Report files (*.apr)";
    static constexpr const char *FileSuffix = "apr";

signals:
    void productionEnded();

public slots:
    void done(int result) override;

private:
    void build(const QString &title);
    static void showMaximised(ReportPreview &preview);
    QAction *addCommand(QToolBar *bar, int icon, const QString &hint);
    void produce();
    void stopProduction();
    void updateState();
    QPrinter &printer();

    void zoomFitClick();
    void zoomActualClick();
    void zoomWidthClick();
    void printerSetupClick();
    void printClick();
    void saveClick();
    void loadClick();
    void pdfClick();

    Report *report_ = nullptr; // none for pages from another maker
    std::unique_ptr<PageSource> producer_;
    // While pages are made: the busy pointer until the first is on screen,
    // then the pointer of work going on.
    std::unique_ptr<BusyPointer> busy_;
    ReportPages pages_; // once production has ended, or loaded from a file
    bool loaded_ = false;
    int page_ = 0;
    QTimer timer_;
    std::unique_ptr<QPrinter> printer_;

    PageView *view_;
    QLabel *pageLabel_;
    QLabel *progressLabel_;

public:
    QAction *zoomFit, *zoomActual, *zoomWidth;
    QAction *firstPage, *previousPage, *nextPage, *lastPage;
    QAction *printerSetup, *print, *saveReportAction, *loadReportAction, *exportPdfAction;
    QPushButton *closeButton;
};
