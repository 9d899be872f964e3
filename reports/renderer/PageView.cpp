#include "PageView.h"

#include "PagePainter.h"
#include "ReportPages.h"

#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {

// An A4 sheet until pages exist.
constexpr int BlankWidth = 2100;
constexpr int BlankHeight = 2970;

} // namespace

PageView::PageView(QWidget *parent) : QAbstractScrollArea(parent)
{
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

void PageView::showPage(const ReportPages *pages, int page)
{
    const bool moved = page != page_;
    pages_ = pages;
    page_ = page;
    updateScrollBars();
    if (moved)
        verticalScrollBar()->setValue(0);
    viewport()->update();
}

void PageView::setZoom(Zoom zoom)
{
    zoom_ = zoom;
    updateScrollBars();
    viewport()->update();
}

double PageView::scale() const
{
    const double width = pages_ ? pages_->pageWidth : BlankWidth;
    const double height = pages_ ? pages_->pageHeight : BlankHeight;
    const double toWidth = std::max(1, viewport()->width() - 2 * Gap) / width;
    switch (zoom_) {
    case Zoom::Actual:
        return logicalDpiX() / 254.0;
    case Zoom::Width:
        return toWidth;
    case Zoom::Fit:
        break;
    }
    return std::min(toWidth, std::max(1, viewport()->height() - 2 * Gap) / height);
}

QSize PageView::sheetSize() const
{
    const double s = scale();
    return QSize(int(std::lround((pages_ ? pages_->pageWidth : BlankWidth) * s)),
                 int(std::lround((pages_ ? pages_->pageHeight : BlankHeight) * s)));
}

void PageView::updateScrollBars()
{
    const QSize sheet = sheetSize() + QSize(2 * Gap, 2 * Gap);
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, sheet.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, sheet.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(20);
}

void PageView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void PageView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QSize sheet = sheetSize();
    // Centred while it fits across, scrolled otherwise.
    const int x = std::max(Gap, (viewport()->width() - sheet.width()) / 2) -
                  horizontalScrollBar()->value();
    const int y = Gap - verticalScrollBar()->value();
    painter.translate(x, y);
    painter.fillRect(QRect(QPoint(3, 3), sheet), QColor(60, 60, 60)); // its shadow
    painter.fillRect(QRect(QPoint(0, 0), sheet), Qt::white);
    if (pages_)
        PagePainter::paint(painter, *pages_, page_, scale());
}
