#include "ExchangeCommands.h"

#include "ImportDialog.h"
#include "ImportSummaryDialog.h"
#include "gui/BusyPointer.h"

#include "UnitDM.h"
#include "exchange/CsvReader.h"
#include "exchange/SheetWriter.h"
#include "exchange/XlsxReader.h"
#include "gui/MessageBoxes.h"
#include "recordset/Error.h"
#include "ui/backup/BackupService.h"
#include "ui/widgets/DBGrid.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QProgressDialog>
#include <memory>

namespace {

const QString kXlsxFilter = QStringLiteral("Книга Excel (*.xlsx)");
const QString kCsvFilter = QStringLiteral("Текст CSV, через точку с запятой (*.csv)");

// A window-modal progress dialog with a Cancel button, shown once the work
// takes a while; the event loop runs at each step.
class Progress
{
public:
    Progress(QWidget *owner, const QString &text)
        : dialog_(text, QStringLiteral("Отмена"), 0, 100, owner)
    {
        dialog_.setWindowTitle(QStringLiteral("Подождите"));
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(300);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
    }

    bool step(int percent)
    {
        dialog_.setValue(percent);
        QCoreApplication::processEvents();
        return !dialog_.wasCanceled();
    }

private:
    QProgressDialog dialog_;
    const BusyPointer busy_;
};

} // namespace

std::vector<GoodsExport::Column> ExchangeCommands::columnsOf(const DBGrid &grid)
{
    std::vector<GoodsExport::Column> columns;
    const QHeaderView *titles = grid.horizontalHeader();
    const CursorModel *model = grid.cursorModel();
    for (int visual = 0; visual < titles->count(); ++visual) {
        const int logical = titles->logicalIndex(visual);
        if (logical < 0 || grid.isColumnHidden(logical))
            continue;
        const GridColumn &column = model->column(logical);
        columns.push_back({column.fieldName, column.title});
    }
    return GoodsExport::withUnshown(std::move(columns));
}

void ExchangeCommands::exportFound(QWidget *owner, const DBGrid &grid)
{
    QString filter = kXlsxFilter;
    QString name =
        QFileDialog::getSaveFileName(owner, QStringLiteral("Сохранить найденные в таблицу"),
                                     QStringLiteral("Найденные запчасти.xlsx"),
                                     kXlsxFilter + QStringLiteral(";;") + kCsvFilter, &filter);
    if (name.isEmpty())
        return;
    if (!SheetWriter::formatOf(name))
        name += filter == kCsvFilter ? QStringLiteral(".csv") : QStringLiteral(".xlsx");
    const Cursor *goods = grid.DataSet();
    if (!goods || !goods->isOpen())
        throw Error(QStringLiteral("Каталог не открыт: сохранять нечего"));
    bool written = false;
    {
        Progress progress(owner, QStringLiteral("Сохранение таблицы…"));
        written = GoodsExport::write(*goods, columnsOf(grid), name, [&](int done, int total) {
            return progress.step(total > 0 ? 100 * done / total : 100);
        });
    }
    if (written)
        MessageBoxes::information(owner,
                                  QStringLiteral("Таблица сохранена (строк: %1):\n%2")
                                      .arg(goods->RecordCount())
                                      .arg(QDir::toNativeSeparators(name)),
                                  QStringLiteral("Сообщение"));
}

bool ExchangeCommands::importPriceList(QWidget *owner, BackupService &backups)
{
    const QString name =
        QFileDialog::getOpenFileName(owner, QStringLiteral("Загрузить прайс-лист"), QString(),
                                     QStringLiteral("Прайс-листы (*.xlsx *.csv);;") + kXlsxFilter +
                                         QStringLiteral(";;") + kCsvFilter);
    if (name.isEmpty())
        return false;
    if (!DMAuto->isOpen() || !DMAuto->tblAuto.CanModify())
        throw Error(QStringLiteral("Каталог не открыт для записи: прайс-лист загрузить нельзя"));

    const bool xlsx = name.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
    std::unique_ptr<XlsxReader> workbook;
    if (xlsx)
        workbook = std::make_unique<XlsxReader>(name);
    const auto read = [&](int sheet) {
        Progress progress(owner, QStringLiteral("Чтение прайс-листа…"));
        const auto step = [&](int percent) { return progress.step(percent); };
        return workbook ? workbook->read(sheet, step) : CsvReader::read(name, step);
    };
    ImportDialog dialog(
        owner, workbook ? workbook->sheetNames() : QStringList{QFileInfo(name).fileName()}, read);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const PriceListMapping mapping = dialog.mapping();
    if (!mapping.isMapped(PriceListMapping::Code) && !mapping.isMapped(PriceListMapping::Name))
        throw Error(QStringLiteral("Укажите, из какого столбца брать артикул или наименование: "
                                   "иначе товары не найти"));

    // A pasted photo waiting in the goods cursor is stored first.
    if (DMAuto->tblAuto.State() != CursorState::Browse)
        DMAuto->tblAuto.Post();
    PriceListImport::Plan plan;
    {
        Progress progress(owner, QStringLiteral("Сравнение с каталогом…"));
        plan =
            PriceListImport::plan(DMAuto->ADOConnection, dialog.table(), mapping, dialog.options());
    }
    ImportSummaryDialog summary(owner, plan);
    if (summary.exec() != QDialog::Accepted)
        return false;

    // A copy first: a wrong price list can be undone by a restore.
    backups.copyNow();
    {
        Progress progress(owner, QStringLiteral("Загрузка прайс-листа…"));
        PriceListImport::apply(DMAuto->ADOConnection, plan);
        // Every cursor reads the catalogue anew, the search and order kept.
        DMAuto->reload([](const std::exception &error) { MessageBoxes::error(error); });
    }
    MessageBoxes::information(owner,
                              QStringLiteral("Прайс-лист загружен.\nДобавлено товаров: %1%2\n"
                                             "Изменено товаров: %3\nБез изменений: %4\n"
                                             "Не загружено строк: %5")
                                  .arg(plan.additions.size())
                                  .arg(ImportSummaryDialog::notAddedNote(plan))
                                  .arg(plan.updates.size())
                                  .arg(plan.unchanged)
                                  .arg(plan.refused.size()),
                              QStringLiteral("Сообщение"));
    return true;
}
