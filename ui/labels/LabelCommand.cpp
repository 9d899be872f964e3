#include "LabelCommand.h"

#include "FontMeasure.h"
#include "LabelDialog.h"
#include "gui/MessageBoxes.h"
#include "recordset/Cursor.h"
#include "recordset/Field.h"
#include "reports/renderer/CursorReportData.h"
#include "reports/renderer/ReportPreview.h"
#include "reports/renderer/RowCopyData.h"

#include <memory>

namespace {

const QString Title = QStringLiteral("Этикетки");

} // namespace

qint64 LabelCommand::labelCount(Cursor &goods, bool asInStock)
{
    const int rows = goods.displayRowCount();
    if (!asInStock)
        return rows;
    const int counts = goods.FieldByName(QStringLiteral("counts")).index();
    qint64 total = 0;
    for (int row = 0; row < rows; ++row)
        if (!goods.isNullAt(row, counts))
            total += std::max<qint64>(0, goods.numberAt(row, counts));
    return total;
}

void LabelCommand::run(Cursor &goods, QWidget *owner)
{
    if (goods.RecordCount() <= 0) {
        MessageBoxes::information(owner, QStringLiteral("Нет запчастей для этикеток: список пуст."),
                                  Title);
        return;
    }
    CursorReportData rows(goods);
    LabelDialog dialog(goods.RecordCount(), rows.text(QStringLiteral("tovName")), owner);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const LabelOptions options = dialog.options();

    std::unique_ptr<ReportData> single;
    qint64 labels = 0;
    if (dialog.onlyCurrent()) {
        single = std::make_unique<RowCopyData>(
            rows, QStringList{QStringLiteral("auto_id"), QStringLiteral("codeTov"),
                              QStringLiteral("tovName"), QStringLiteral("models"),
                              QStringLiteral("price"), QStringLiteral("counts")});
        labels = LabelProducer::copiesOf(*single, options.asInStock);
    } else {
        labels = labelCount(goods, options.asInStock);
    }
    if (labels == 0) {
        MessageBoxes::information(
            owner, QStringLiteral("Этикеток не будет: этих запчастей нет на складе."), Title);
        return;
    }
    const qint64 sheets =
        (options.start + labels + options.sheet.perSheet() - 1) / options.sheet.perSheet();
    if (labels > ManyLabels &&
        !MessageBoxes::confirm(QStringLiteral("Получится %1 этикеток на %2 листах. Продолжить?")
                                   .arg(labels)
                                   .arg(sheets),
                               Title))
        return;

    // The labels walk the goods cursor as a report does; the grid and the
    // photo box stay where they were.
    const int row = goods.currentRow();
    goods.DisableControls();
    const auto restore = [&] {
        goods.moveTo(row);
        goods.EnableControls();
    };
    try {
        ReportData &source = single ? *single : static_cast<ReportData &>(rows);
        ReportPreview::showModal(
            std::make_unique<LabelProducer>(source, options, FontMeasure::measure(), Title), Title);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}
