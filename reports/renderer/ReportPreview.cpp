#include "ReportPreview.h"

#include "PageFile.h"
#include "PageProducer.h"
#include "PreviewIcons.h"
#include "Report.h"
#include "ReportPrinting.h"
#include "gui/BusyPointer.h"

#include "gui/Guarded.h"

#include <QActionGroup>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// How long one turn of production may keep the event loop waiting.
constexpr int SliceMs = 25;

QString withSuffix(const QString &fileName, const char *suffix)
{
    if (!QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    return fileName + QLatin1Char('.') + QLatin1String(suffix);
}

} // namespace

ReportPreview::ReportPreview(Report &report, QWidget *parent)
    : QDialog(parent), report_(&report), producer_(std::make_unique<PageProducer>(report)),
      busy_(std::make_unique<BusyPointer>())
{
    build(report.definition.title);
}

ReportPreview::ReportPreview(std::unique_ptr<PageSource> source, const QString &title,
                             QWidget *parent)
    : QDialog(parent), producer_(std::move(source)), busy_(std::make_unique<BusyPointer>())
{
    build(title);
}

void ReportPreview::build(const QString &title)
{
    setWindowTitle(title.isEmpty() ? QStringLiteral("Print Preview") : title);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    resize(900, 700);

    auto *bar = new QToolBar(this);
    bar->setIconSize(QSize(24, 24));
    using Icon = PreviewIcons::Kind;
    zoomFit = addCommand(bar, int(Icon::ZoomFit), QStringLiteral("Zoom to fit"));
    zoomActual = addCommand(bar, int(Icon::ZoomActual), QStringLiteral("100%"));
    zoomWidth = addCommand(bar, int(Icon::ZoomWidth), QStringLiteral("Zoom to width"));
    auto *zoomGroup = new QActionGroup(this);
    zoomGroup->setExclusive(true);
    for (QAction *action : {zoomFit, zoomActual, zoomWidth}) {
        action->setCheckable(true);
        zoomGroup->addAction(action);
    }
    zoomWidth->setChecked(true);
    bar->addSeparator();
    firstPage = addCommand(bar, int(Icon::First), QStringLiteral("First page"));
    previousPage = addCommand(bar, int(Icon::Previous), QStringLiteral("Previous page"));
    nextPage = addCommand(bar, int(Icon::Next), QStringLiteral("Next page"));
    lastPage = addCommand(bar, int(Icon::Last), QStringLiteral("Last page"));
    firstPage->setShortcuts({QKeySequence(Qt::Key_Home), QKeySequence(Qt::CTRL | Qt::Key_PageUp)});
    previousPage->setShortcut(QKeySequence(Qt::Key_PageUp));
    nextPage->setShortcut(QKeySequence(Qt::Key_PageDown));
    lastPage->setShortcuts({QKeySequence(Qt::Key_End), QKeySequence(Qt::CTRL | Qt::Key_PageDown)});
    bar->addSeparator();
    printerSetup = addCommand(bar, int(Icon::PrinterSetup), QStringLiteral("Printer setup"));
    print = addCommand(bar, int(Icon::Print), QStringLiteral("Print"));
    bar->addSeparator();
    saveReportAction = addCommand(bar, int(Icon::Save), QStringLiteral("Save Report"));
    loadReportAction = addCommand(bar, int(Icon::Load), QStringLiteral("Load Report"));
    exportPdfAction = addCommand(bar, int(Icon::Pdf), QStringLiteral("Экспорт в PDF"));
    bar->addSeparator();
    closeButton = new QPushButton(QStringLiteral("&Close"), bar);
    closeButton->setAutoDefault(false);
    bar->addWidget(closeButton);

    view_ = new PageView(this);
    auto *status = new QStatusBar(this);
    status->setSizeGripEnabled(false);
    pageLabel_ = new QLabel(status);
    progressLabel_ = new QLabel(status);
    status->addWidget(pageLabel_, 1);
    status->addPermanentWidget(progressLabel_);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(view_, 1);
    layout->addWidget(status);

    connect(zoomFit, &QAction::triggered, this, guarded([this] { zoomFitClick(); }));
    connect(zoomActual, &QAction::triggered, this, guarded([this] { zoomActualClick(); }));
    connect(zoomWidth, &QAction::triggered, this, guarded([this] { zoomWidthClick(); }));
    connect(firstPage, &QAction::triggered, this, guarded([this] { showPage(0); }));
    connect(previousPage, &QAction::triggered, this, guarded([this] { showPage(page_ - 1); }));
    connect(nextPage, &QAction::triggered, this, guarded([this] { showPage(page_ + 1); }));
    connect(lastPage, &QAction::triggered, this, guarded([this] { showPage(pageCount() - 1); }));
    connect(printerSetup, &QAction::triggered, this, guarded([this] { printerSetupClick(); }));
    connect(print, &QAction::triggered, this, guarded([this] { printClick(); }));
    connect(saveReportAction, &QAction::triggered, this, guarded([this] { saveClick(); }));
    connect(loadReportAction, &QAction::triggered, this, guarded([this] { loadClick(); }));
    connect(exportPdfAction, &QAction::triggered, this, guarded([this] { pdfClick(); }));
    connect(closeButton, &QPushButton::clicked, this, guarded([this] { reject(); }));

    connect(&timer_, &QTimer::timeout, this, guarded([this] { produce(); }));
    timer_.setInterval(0);
    timer_.start();
    updateState();
    view_->setFocus();
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::showModal(Report &report)
{
    ReportPreview preview(report, QApplication::activeWindow());
    showMaximised(preview);
}

void ReportPreview::showModal(std::unique_ptr<PageSource> source, const QString &title)
{
    ReportPreview preview(std::move(source), title, QApplication::activeWindow());
    showMaximised(preview);
}

void ReportPreview::showMaximised(ReportPreview &preview)
{
    preview.setWindowModality(Qt::ApplicationModal);
    preview.setWindowState(Qt::WindowMaximized);
    preview.exec();
}

QAction *ReportPreview::addCommand(QToolBar *bar, int icon, const QString &hint)
{
    auto *action = new QAction(PreviewIcons::icon(PreviewIcons::Kind(icon)), hint, this);
    action->setToolTip(hint);
    // Keys work wherever the focus is in the preview, the page view included.
    action->setShortcutContext(Qt::WindowShortcut);
    bar->addAction(action);
    return action;
}

void ReportPreview::done(int result)
{
    // Closing stops production; the pages made so far go with the window.
    stopProduction();
    QDialog::done(result);
}

int ReportPreview::pageCount() const
{
    return producer_ ? producer_->finishedPages() : int(pages_.pages.size());
}

const ReportPages &ReportPreview::pages() const
{
    return producer_ ? producer_->pages() : pages_;
}

bool ReportPreview::productionFinished() const
{
    return !producer_ && !timer_.isActive();
}

int ReportPreview::progress() const
{
    return producer_ ? producer_->progress() : 100;
}

void ReportPreview::showPage(int page)
{
    page_ = std::clamp(page, 0, std::max(0, pageCount() - 1));
    updateState();
}

void ReportPreview::produce()
{
    if (!producer_) {
        timer_.stop();
        return;
    }
    QElapsedTimer slice;
    slice.start();
    bool more = true;
    try {
        while (more && slice.elapsed() < SliceMs)
            more = producer_->step(8);
    } catch (...) {
        stopProduction();
        updateState();
        throw;
    }
    if (!more) {
        timer_.stop();
        pages_ = producer_->takePages();
        producer_.reset();
        busy_.reset();
    } else if (pageCount() > 0 && busy_) {
        busy_->answering();
    }
    updateState();
    if (!more)
        emit productionEnded();
}

void ReportPreview::stopProduction()
{
    timer_.stop();
    producer_.reset();
    busy_.reset();
}

void ReportPreview::updateState()
{
    const int count = pageCount();
    page_ = std::clamp(page_, 0, std::max(0, count - 1));
    view_->showPage(count > 0 ? &pages() : nullptr, page_);
    const bool ended = productionFinished();
    firstPage->setEnabled(page_ > 0);
    previousPage->setEnabled(page_ > 0);
    nextPage->setEnabled(page_ + 1 < count);
    lastPage->setEnabled(page_ + 1 < count);
    printerSetup->setEnabled(ended && !loaded_);
    print->setEnabled(ended);
    saveReportAction->setEnabled(ended);
    exportPdfAction->setEnabled(ended);
    pageLabel_->setText(count > 0 ? QStringLiteral("Страница %1 из %2").arg(page_ + 1).arg(count)
                                  : QString());
    progressLabel_->setText(QStringLiteral("%1%").arg(progress()));
}

QPrinter &ReportPreview::printer()
{
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        ReportPrinting::applyReportSettings(*printer_, pages_);
    }
    return *printer_;
}

void ReportPreview::zoomFitClick()
{
    view_->setZoom(PageView::Zoom::Fit);
}

void ReportPreview::zoomActualClick()
{
    view_->setZoom(PageView::Zoom::Actual);
}

void ReportPreview::zoomWidthClick()
{
    view_->setZoom(PageView::Zoom::Width);
}

void ReportPreview::printerSetupClick()
{
    if (!productionFinished() || loaded_)
        return;
    QPrintDialog dialog(&printer(), this);
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile |
                      QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(1, std::max(1, pageCount()));
    // The range offered is the whole report, unless the user chose one.
    if (printer().printRange() != QPrinter::PageRange)
        printer().setFromTo(1, std::max(1, pageCount()));
    dialog.exec(); // OK keeps the choice in the printer for this preview, Cancel nothing
}

void ReportPreview::printClick()
{
    if (!productionFinished())
        return;
    // Without any printer (and no file chosen in setup) there is nothing to print on.
    if (QPrinterInfo::availablePrinterNames().isEmpty() && printer().outputFileName().isEmpty())
        return;
    printTo(printer());
}

bool ReportPreview::printTo(QPrinter &printer)
{
    ReportPrinting job(this);
    if (loaded_ || !report_)
        return job.print(printer, pages_);
    return job.print(printer, *report_);
}

void ReportPreview::exportPdf(const QString &fileName)
{
    const BusyPointer busy;
    ReportPrinting::exportPdf(pages_, fileName);
}

void ReportPreview::saveReport(const QString &fileName)
{
    const BusyPointer busy;
    PageFile::save(pages_, fileName);
}

void ReportPreview::loadReport(const QString &fileName)
{
    ReportPages loaded = [&] {
        const BusyPointer busy;
        return PageFile::load(fileName);
    }();
    stopProduction();
    pages_ = std::move(loaded);
    loaded_ = true;
    page_ = 0;
    setWindowTitle(pages_.title.isEmpty() ? QStringLiteral("Print Preview") : pages_.title);
    updateState();
}

void ReportPreview::saveClick()
{
    const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Save Report"),
                                                      QString(), QLatin1String(FileFilter));
    if (!name.isEmpty())
        saveReport(withSuffix(name, FileSuffix));
}

void ReportPreview::loadClick()
{
    const QString name = QFileDialog::getOpenFileName(this, QStringLiteral("Load Report"),
                                                      QString(), QLatin1String(FileFilter));
    if (!name.isEmpty())
        loadReport(name);
}

void ReportPreview::pdfClick()
{
    const QString name = QFileDialog::getSaveFileName(
        this, QStringLiteral("Экспорт в PDF"), QString(), QStringLiteral("Файлы PDF (*.pdf)"));
    if (!name.isEmpty())
        exportPdf(withSuffix(name, "pdf"));
}
