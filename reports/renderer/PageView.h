#pragma once

#include <QAbstractScrollArea>

struct ReportPages;

// One produced page on a grey desk, at one of three zooms, scrolled as needed.
class PageView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    enum class Zoom { Fit, Actual, Width };

    explicit PageView(QWidget *parent = nullptr);

    // Shows page `page` of `pages` (null: a blank desk). The pages must
    // outlive the view or be replaced first.
    void showPage(const ReportPages *pages, int page);
    void setZoom(Zoom zoom);
    Zoom zoom() const { return zoom_; }
    // Device pixels per tenth of a millimetre at the current zoom.
    double scale() const;

    // Space around the sheet, in pixels.
    static constexpr int Gap = 10;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QSize sheetSize() const;
    void updateScrollBars();

    const ReportPages *pages_ = nullptr;
    int page_ = -1;
    Zoom zoom_ = Zoom::Width;
};
