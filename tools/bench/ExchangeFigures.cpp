#include "ExchangeFigures.h"

#include "CatalogueSchema.h"
#include "UnitDM.h"
#include "backup/BackupCopy.h"
#include "exchange/GoodsExport.h"
#include "exchange/PriceListImport.h"
#include "exchange/XlsxReader.h"
#include "exchange/XlsxSheetWriter.h"
#include "recordset/server/ServerConnection.h"
#include "recordset/server/ServerResult.h"
#include "ui/backup/BackupService.h"
#include "ui/exchange/ExchangeCommands.h"
#include "ui/main/Unit_tr.h"
#include "ui/widgets/DBGrid.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// The resident memory now, and the most it reached since the last reset.
qint64 statusKb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

} // namespace

void ExchangeFigures::measure(int goods, bool onServer, const Add &add)
{
    QTemporaryDir dir;
    const auto columns = ExchangeCommands::columnsOf(*frmMain->gridAuto);
    for (const char *name : {"found.xlsx", "found.csv"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        resetPeak();
        const qint64 before = statusKb("VmRSS:");
        QElapsedTimer timer;
        timer.start();
        GoodsExport::write(DMAuto->tblAuto, columns, path);
        const double ms = elapsedMs(timer);
        const qint64 growth = statusKb("VmHWM:") - before;
        add(QStringLiteral("export of %1 rows to %2 (%3 MB; memory grew by %4 MB)")
                .arg(goods)
                .arg(QFileInfo(path).suffix())
                .arg(double(QFileInfo(path).size()) / (1024 * 1024), 0, 'f', 1)
                .arg(double(growth) / 1024, 0, 'f', 1),
            ms, 0, QString());
    }

    // A supplier's list: new prices for half the catalogue, and as many new goods.
    const QString list = dir.filePath(QStringLiteral("price.xlsx"));
    {
        QStringList codes;
        const Cursor &cursor = DMAuto->tblAuto;
        const int code = DMAuto->tblAutocodeTov.index();
        for (int row = 0; row < cursor.displayRowCount() && codes.size() < goods / 2; ++row)
            codes << cursor.displayTextAt(row, code);
        XlsxSheetWriter writer(list);
        writer.begin({{QStringLiteral("Артикул"), SheetColumn::Kind::Text, 16},
                      {QStringLiteral("Наименование"), SheetColumn::Kind::Text, 40},
                      {QStringLiteral("Цена"), SheetColumn::Kind::Money, 10},
                      {QStringLiteral("Остаток"), SheetColumn::Kind::Number, 8}});
        for (int i = 0; i < goods; ++i) {
            const bool known = i < codes.size();
            writer.writeRow(
                {{SheetCell::Kind::Text, known ? codes[i] : QStringLiteral("NEW-%1").arg(i), 0},
                 {SheetCell::Kind::Text, QStringLiteral("Новая деталь %1").arg(i), 0},
                 {SheetCell::Kind::Money, {}, 1234500 + i},
                 {SheetCell::Kind::Number, {}, i % 50}});
        }
        writer.finish();
    }
    const QString catalogue = onServer ? QString() : BackupService::catalogueFile();
    const QString saved = dir.filePath(QStringLiteral("before.mdb"));
    if (!onServer)
        BackupCopy::make(catalogue, saved);

    // From the chosen file to the grid painted anew, the dialogs left out.
    QElapsedTimer timer;
    timer.start();
    const SheetTable sheet = XlsxReader(list).read(0);
    const double read = elapsedMs(timer);
    PriceListImport::Options options;
    options.addNew = true;
    const PriceListImport::Plan plan = PriceListImport::plan(
        DMAuto->ADOConnection, sheet, PriceListMapping::guess(sheet.rows.front()), options);
    const double planned = elapsedMs(timer);
    if (!onServer) // the server keeps its own copies
        frmMain->Backups->copyNow();
    const double copied = elapsedMs(timer);
    PriceListImport::apply(DMAuto->ADOConnection, plan);
    DMAuto->reload([](const std::exception &) {});
    frmMain->gridAuto->grab();
    const double total = elapsedMs(timer);
    add(QStringLiteral("import of %1 lines: %2 changed, %3 added; read %4, compared %5, copy %6, "
                       "written and shown %7 ms")
            .arg(sheet.rows.size() - 1)
            .arg(plan.updates.size())
            .arg(plan.additions.size())
            .arg(read, 0, 'f', 0)
            .arg(planned - read, 0, 'f', 0)
            .arg(copied - planned, 0, 'f', 0)
            .arg(total - copied, 0, 'f', 0),
        total, 0, QString());

    // The benchmark's catalogue serves later runs: it is put back.
    DMAuto->close();
    if (onServer) {
        ServerConnection server(qEnvironmentVariable(Store::ServerVariable));
        for (const TableSchema &table : CatalogueSchema::tables())
            server.execute("DROP TABLE " +
                           TableSql::name(table.table(), TableSql::Dialect::Server) + " CASCADE");
        return;
    }
    BackupCopy::restore(saved, catalogue);
    DMAuto->reload([](const std::exception &) {});
    frmMain->mnuSortKod->trigger();
}
