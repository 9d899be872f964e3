#include "Benchmark.h"

#include "CatalogueGenerator.h"
#include "ExchangeFigures.h"
#include "JournalFigures.h"
#include "LabelFigures.h"
#include "PreviewFigures.h"
#include "ScanFigures.h"
#include "ServerFigures.h"
#include "ui/journal/JournalWindow.h"

#include "backup/BackupCopy.h"
#include "backup/BackupFolder.h"
#include "ui/backup/BackupService.h"

#include "CatalogueSchema.h"
#include "UnitDM.h"
#include "app/Startup.h"
#include "recordset/Connection.h"
#include "recordset/Statement.h"
#include "recordset/TableSql.h"
#include "reports/Unit_report_all.h"
#include "reports/renderer/PageView.h"
#include "reports/renderer/ReportPreview.h"
#include "ui/goods/Unit_editTovars.h"
#include "ui/main/Unit_tr.h"
#include "ui/widgets/DBGrid.h"
#include "ui/widgets/DBLookupComboBox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <sys/resource.h>

namespace {

// The plain queries that stand beside our figures: every column, the photo
// by its length, as the grid reads them, with a condition or an order.
QByteArray plainSql(const char *rest = "", TableSql::Dialect dialect = TableSql::Dialect::File)
{
    return TableSql(CatalogueSchema::goods(), dialect).selectUnordered() + rest;
}
constexpr const char *kWorkedExampleWhere =
    " WHERE cat_id = 3 AND auto_type = 12 AND country_id = 2 AND tovName LIKE 'Фильтр%' AND "
    "price >= 100 AND numSklad = 1 AND counts <= 10 AND models LIKE '%2107%'";
constexpr const char *kNamePrefixWhere = " WHERE tovName LIKE 'Фильтр%'";
constexpr const char *kOneLetterWhere = " WHERE tovName LIKE 'Ф%'";

// What a post of one changed quantity costs a plain client: one update by key.
constexpr const char *kBeginSql = "BEGIN IMMEDIATE";
constexpr const char *kCommitSql = "COMMIT";

#define ORDERED_BY(column) " ORDER BY " column

// The nine sort commands of the main window's menu, each with its plain query.
struct SortCommand
{
    QAction *TfrmMain::*item;
    const char *column;
    const char *order;
};
const SortCommand kSortCommands[] = {
    {&TfrmMain::mnuSortKod, "auto_id", ORDERED_BY("auto_id")},
    {&TfrmMain::N5, "cat_id", ORDERED_BY("cat_id")},
    {&TfrmMain::N12, "numSklad", ORDERED_BY("numSklad")},
    {&TfrmMain::N6, "tovName", ORDERED_BY("tovName")},
    {&TfrmMain::N15, "models", ORDERED_BY("models")},
    {&TfrmMain::N14, "auto_type", ORDERED_BY("auto_type")},
    {&TfrmMain::N11, "country_id", ORDERED_BY("country_id")},
    {&TfrmMain::N10, "counts", ORDERED_BY("counts")},
    {&TfrmMain::N9, "price", ORDERED_BY("price")},
};

const QString kWorkedExample = QStringLiteral(
    "cat_id='3' AND auto_type='12' AND country_id='2' AND tovName LIKE 'Фильтр%' AND "
    "price>='100' AND numSklad='1' AND counts<='10' AND models LIKE '%2107%'");
const QString kNamePrefix = QStringLiteral("tovName LIKE 'Фильтр%'");

// A benchmark that would measure the wrong thing stops.
#define QVERIFY_BENCH(condition)                                                                   \
    if (!(condition))                                                                              \
        throw std::logic_error("benchmark check failed: " #condition);

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Makes the grid paint its visible rows, as the screen would.
void paintGrid()
{
    frmMain->gridAuto->grab();
}

} // namespace

Benchmark::Benchmark(QString folder, int goods, QString server)
    : folder_(std::move(folder)), goods_(goods), server_(std::move(server))
{}

double Benchmark::median(int times, const std::function<void()> &action)
{
    std::vector<double> samples;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer timer;
        timer.start();
        action();
        samples.push_back(elapsedMs(timer));
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double Benchmark::plainQuery(Connection &connection, const QByteArray &sql)
{
    return median(3, [&] { readPlainly(connection, sql); });
}

void Benchmark::readPlainly(Connection &connection, const QByteArray &sql)
{
    Statement query(connection, sql);
    qint64 checksum = 0;
    while (query.step()) {
        // Each column read in its own type: texts are columns 1, 4 and 5.
        for (int column = 0; column < 11; ++column) {
            if (column == 1 || column == 4 || column == 5) {
                int length = 0;
                query.utf8(column, &length);
                checksum += length;
            } else {
                checksum += query.integer(column);
            }
        }
    }
    if (checksum == -1)
        std::puts("");
}

void Benchmark::add(const QString &what, double ours, double baseline, const QString &query)
{
    rows_.push_back(Row{what, ours, baseline, query});
}

void Benchmark::prepareCatalogue()
{
    QDir().mkpath(folder_);
    const QString file = QDir(folder_).filePath(QStringLiteral("db.mdb"));
    if (!QFileInfo::exists(file)) {
        QElapsedTimer timer;
        timer.start();
        CatalogueGenerator::createBenchmark(file, goods_, 20261209);
        std::printf("generated %d goods in %.1f s\n", goods_, elapsedMs(timer) / 1000);
    }
    QDir::setCurrent(folder_);
}

void Benchmark::openAndFirstPaint(Connection &plain)
{
    // The plain query and our open in turn, five times each, so that both
    // meet the same moods of the machine; the windows of the turn before are
    // destroyed outside the time.
    std::vector<double> plainTimes, ourTimes;
    const QByteArray serverSql = plainSql("", TableSql::Dialect::Server);
    for (int turn = 0; turn < 5; ++turn) {
        if (target_.isEmpty())
            plainTimes.push_back(median(1, [&] { readPlainly(plain, plainSql()); }));
        Startup::destroyComponents();
        ourTimes.push_back(median(1, [] {
            Startup::createComponents();
            Startup::showMainWindow();
            paintGrid();
        }));
        if (turn == 0) {
            // What the program itself took at most, before any baseline
            // holds a whole result of its own.
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            std::printf("peak memory after the first open: %.0f MB\n",
                        double(usage.ru_maxrss) / 1024);
        }
        if (!target_.isEmpty())
            plainTimes.push_back(ServerFigures::plainSelect(target_, serverSql, 1));
    }
    const auto middle = [](std::vector<double> &times) {
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    const double ours = middle(ourTimes);
    const double baseline =
        target_.isEmpty() ? middle(plainTimes) : ServerFigures::psql(target_, serverSql);
    add(QStringLiteral("open: create DMAuto, show the main window, paint the first page"), ours,
        baseline,
        target_.isEmpty() ? QString::fromUtf8(plainSql())
                          : QStringLiteral("psql -c '%1'").arg(QString::fromUtf8(serverSql)));
    if (!target_.isEmpty())
        add(QStringLiteral("open, as above"), ours, middle(plainTimes),
            QStringLiteral("the same SELECT through libpq in turn, every value looked at"));
}

void Benchmark::refresh()
{
    // Reading the goods anew, as after an import, a restore or a refused
    // post: every row read again and mapped onto the rows shown.
    const double ms = median(3, [] {
        DMAuto->tblAuto.Refresh();
        paintGrid();
    });
    add(QStringLiteral("read the goods anew (Refresh) and paint"), ms);
}

void Benchmark::dailyCopy()
{
    // The same start, with the day's copy begun as the program begins it;
    // each run makes the copy anew.
    const BackupFolder folder(BackupService::catalogueFile());
    const auto dropCopies = [&folder] {
        for (const BackupFolder::Entry &entry : folder.entries())
            QFile::remove(entry.path);
    };
    // One start, timed from creating the windows to the painted grid; the
    // copy of the run before ends outside the measured time.
    const auto start = [&](bool withCopy) {
        std::vector<double> samples;
        for (int i = 0; i < 3; ++i) {
            if (frmMain)
                frmMain->Backups->waitIdle();
            dropCopies();
            Startup::destroyComponents();
            QElapsedTimer timer;
            timer.start();
            Startup::createComponents();
            Startup::showMainWindow();
            if (withCopy)
                frmMain->Backups->scheduleDaily();
            QCoreApplication::processEvents(); // a copy starts here
            paintGrid();
            samples.push_back(elapsedMs(timer));
            QVERIFY_BENCH(!withCopy || frmMain->Backups->isRunning() ||
                          folder.hasDailyCopy(QDate::currentDate()));
        }
        std::sort(samples.begin(), samples.end());
        return samples[1];
    };
    const double without = start(false);
    const double with = start(true);
    frmMain->Backups->waitIdle();
    add(QStringLiteral("open and first paint while the day's copy starts"), with, without,
        QStringLiteral("the same start without the copy"));

    const QString target = folder.manualCopy(QDateTime::currentDateTime());
    const double copy = median(3, [&] {
        QFile::remove(target);
        BackupCopy::make(BackupService::catalogueFile(), target);
    });
    const double file = median(3, [&] {
        QFile::remove(target + QStringLiteral(".plain"));
        QFile::copy(BackupService::catalogueFile(), target + QStringLiteral(".plain"));
    });
    add(QStringLiteral("the day's copy itself (%1 MB), checked")
            .arg(QFileInfo(target).size() / (1024 * 1024)),
        copy, file, QStringLiteral("a plain copy of the file"));
    QFile::remove(target + QStringLiteral(".plain"));
    dropCopies();
}

void Benchmark::filters(Connection &plain)
{
    Cursor &goods = DMAuto->tblAuto;
    const auto apply = [&goods](const QString &text) {
        return median(3, [&goods, &text] {
            goods.setFiltered(false);
            goods.setFilter(text);
            goods.setFiltered(true);
            paintGrid();
        });
    };
    const double example = apply(kWorkedExample);
    const int exampleRows = goods.RecordCount();
    add(QStringLiteral("filter: the worked example (%1 rows found)").arg(exampleRows), example,
        plainQuery(plain, plainSql(kWorkedExampleWhere)),
        QStringLiteral("… WHERE <the same 8 conditions>"));
    const double prefix = apply(kNamePrefix);
    const int prefixRows = goods.RecordCount();
    add(QStringLiteral("filter: tovName LIKE 'Фильтр%' (%1 rows found)").arg(prefixRows), prefix,
        plainQuery(plain, plainSql(kNamePrefixWhere)),
        QStringLiteral("… WHERE tovName LIKE 'Фильтр%'"));
    goods.setFiltered(false);
}

void Benchmark::sorts(Connection &plain)
{
    // Each command from the menu, from the list in code order, to the grid
    // painted in the new order; before each, untimed, the list in code order.
    // The first sort by a column makes its order; the next ones find it kept.
    for (const SortCommand &command : kSortCommands) {
        const auto sort = [&command] {
            frmMain->mnuSortKod->trigger();
            paintGrid();
            QElapsedTimer timer;
            timer.start();
            (frmMain->*command.item)->trigger();
            paintGrid();
            return elapsedMs(timer);
        };
        const double first = sort();
        std::vector<double> times{sort(), sort(), sort()};
        std::sort(times.begin(), times.end());
        const double again = times[1];
        const double baseline = plainQuery(plain, plainSql(command.order));
        const QString query = QStringLiteral("… ORDER BY %1").arg(QLatin1String(command.column));
        add(QStringLiteral("sort command: %1").arg(QLatin1String(command.column)), first, baseline,
            query);
        add(QStringLiteral("sort command: %1, again").arg(QLatin1String(command.column)), again,
            baseline, query);
    }
    frmMain->mnuSortKod->trigger();
}

void Benchmark::searchPanel(Connection &plain)
{
    // From a click on "Найти" to the grid painted with the result.
    const auto search = [] {
        return median(3, [] {
            frmMain->Button1->click();
            paintGrid();
        });
    };
    const auto selectKey = [](QCheckBox *box, QComboBox *list, int key) {
        box->setChecked(true);
        for (int i = 0; i < list->count(); ++i)
            if (static_cast<TMyIndex *>(list->itemData(i).value<void *>())->getIndex() == key)
                list->setCurrentIndex(i);
    };
    selectKey(frmMain->checkCat, frmMain->cbCat, 3);
    selectKey(frmMain->checkMarka, frmMain->cbMarka, 12);
    selectKey(frmMain->checkCountry, frmMain->cbCountry, 2);
    frmMain->editTovName->setText(QStringLiteral("Фильтр"));
    frmMain->cbPrice->setCurrentText(QStringLiteral(">="));
    frmMain->editPrice->setText(QStringLiteral("100"));
    frmMain->editNumSklad->setText(QStringLiteral("1"));
    frmMain->cbCount->setCurrentText(QStringLiteral("<="));
    frmMain->editCount->setText(QStringLiteral("10"));
    frmMain->editModel->setText(QStringLiteral("2107"));
    const double example = search();
    add(QStringLiteral("«Найти»: the worked example (%1 rows found)")
            .arg(DMAuto->tblAuto.RecordCount()),
        example, plainQuery(plain, plainSql(kWorkedExampleWhere)),
        QStringLiteral("… WHERE <the same 8 conditions>"));

    for (QCheckBox *box : {frmMain->checkCat, frmMain->checkMarka, frmMain->checkCountry})
        box->setChecked(false);
    for (QLineEdit *edit :
         {frmMain->editPrice, frmMain->editNumSklad, frmMain->editCount, frmMain->editModel})
        edit->clear();
    frmMain->editTovName->setText(QStringLiteral("Ф"));
    const double letter = search();
    add(QStringLiteral("«Найти»: name begins with «Ф» (%1 rows found)")
            .arg(DMAuto->tblAuto.RecordCount()),
        letter, plainQuery(plain, plainSql(kOneLetterWhere)),
        QStringLiteral("… WHERE tovName LIKE 'Ф%'"));
    frmMain->editTovName->clear();
    frmMain->Button1->click();
}

void Benchmark::repaint()
{
    // Only the visible rows are read and painted, whatever the catalogue's size.
    const double ours = median(21, [] { paintGrid(); });
    add(QStringLiteral("repaint of the goods grid (%1 rows)").arg(DMAuto->tblAuto.RecordCount()),
        ours);
}

void Benchmark::lookupFollowing()
{
    // The goods editor's three lookup boxes follow every move of the goods
    // cursor, also while the editor is hidden.
    Cursor &goods = DMAuto->tblAuto;
    const auto walk = [&goods] {
        goods.First();
        for (int i = 0; i < 1000; ++i)
            goods.Next();
    };
    const QList<DBLookupComboBox *> boxes = {frmTovarEdit->DBLookupComboBox1,
                                             frmTovarEdit->DBLookupComboBox2,
                                             frmTovarEdit->DBLookupComboBox3};
    const double with = median(3, walk);
    for (DBLookupComboBox *box : boxes)
        box->setDataSource(nullptr);
    const double without = median(3, walk);
    for (DBLookupComboBox *box : boxes)
        box->setDataSource(&DMAuto->DSAuto);
    add(QStringLiteral("walk through 1,000 goods rows, the editor's lookup boxes following"), with,
        without, QStringLiteral("the same walk without the lookup boxes"));
}

void Benchmark::posts(Connection &plain)
{
    // Edit, change the quantity, post: the post checks under the write lock
    // that no other program changed the row meanwhile.
    Cursor &goods = DMAuto->tblAuto;
    goods.First();
    const qint64 key = DMAuto->tblAutoauto_id.AsInteger();
    const qint64 before = DMAuto->tblAutocounts.AsInteger();
    int value = 0;
    const double ours = median(21, [&] {
        goods.Edit();
        DMAuto->tblAutocounts.setAsInteger(++value);
        goods.Post();
    });
    const QByteArray updateSql =
        TableSql(CatalogueSchema::goods()).update({CatalogueSchema::Count});
    const auto plainUpdate = [&](qint64 counts) {
        Statement(plain, kBeginSql).step();
        Statement update(plain, updateSql);
        update.bindInteger(1, counts);
        update.bindInteger(2, key);
        update.step();
        Statement(plain, kCommitSql).step();
    };
    if (!target_.isEmpty()) {
        add(QStringLiteral("post of one changed quantity"), ours,
            ServerFigures::plainPost(target_, key, before),
            QStringLiteral(
                "libpq: BEGIN; UPDATE tovars SET counts = $1 WHERE auto_id = $2; COMMIT"));
        return;
    }
    const double baseline = median(21, [&] { plainUpdate(++value); });
    plainUpdate(before); // the catalogue is kept for later runs
    add(QStringLiteral("post of one changed quantity"), ours, baseline,
        QStringLiteral("BEGIN IMMEDIATE; UPDATE tovars SET counts = ? WHERE auto_id = ?; COMMIT"));
}

void Benchmark::reports()
{
    // The list report of every row, as "Печатать все найденные запчасти" shows it.
    Cursor &goods = DMAuto->tblAuto;
    goods.DisableControls();
    TfrmRepAll form;
    QElapsedTimer timer;
    timer.start();
    ReportPreview preview(form.repAll, frmMain);
    const PreviewFigures figures = PreviewFigures::measure(preview, timer);
    goods.EnableControls();
    add(QStringLiteral("list report: first page on screen (%1 pages in all)").arg(figures.pages),
        figures.firstPage);
    add(QStringLiteral("list report: production ended"), figures.produced);
    add(QStringLiteral("list report: export of every page to PDF"), figures.pdf);
}

void Benchmark::run()
{
    prepareCatalogue();
    Connection plain(QStringLiteral("db.mdb"));
    plain.open();
    // Warm the file cache for both sides alike.
    plainQuery(plain, plainSql());
    if (!server_.isEmpty()) {
        // The filters and sorts stand beside the plain queries on the file:
        // on either store they run on the snapshot.
        target_ = ServerFigures::prepare(server_, QDir(folder_).filePath(QStringLiteral("db.mdb")),
                                         goods_);
        qputenv(Store::ServerVariable, target_.toUtf8());
    }

    Startup::createComponents();
    openAndFirstPaint(plain);
    refresh();
    if (target_.isEmpty()) // the server keeps its own copies
        dailyCopy();
    filters(plain);
    searchPanel(plain);
    sorts(plain);
    repaint();
    lookupFollowing();
    ScanFigures::measure(DMAuto->tblAuto, QStringLiteral("db.mdb"),
                         [this](auto &&...figure) { add(figure...); });
    LabelFigures::measure(DMAuto->tblAuto,
                          [this](const QString &what, double ours) { add(what, ours); });
    posts(plain);
    if (goods_ <= 100000) // a million rows is no spreadsheet
        ExchangeFigures::measure(
            goods_, !target_.isEmpty(),
            [this](const QString &what, double ours, double baseline, const QString &query) {
                add(what, ours, baseline, query);
            });
    if (goods_ <= 10000 && target_.isEmpty()) // the report figures are taken at 10,000 goods
        reports();
    if (target_.isEmpty())
        JournalFigures::measure(
            QStringLiteral("db.mdb"),
            [this](const QString &what, double ours, double baseline, const QString &query) {
                add(what, ours, baseline, query);
            },
            [] {
                // As «Сервис → Журнал изменений…» opens it, painted once.
                JournalWindow window(frmMain, DMAuto->ADOConnection);
                window.show();
                window.list->viewport()->grab();
                window.close();
            });
    Startup::destroyComponents();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    print();
    std::printf("peak memory: %.0f MB\n\n", double(usage.ru_maxrss) / 1024);
}

void Benchmark::print() const
{
    std::printf("\n%d goods\n\n", goods_);
    std::printf("| measure | ours, ms | baseline, ms | ratio | baseline |\n"
                "|---|---:|---:|---:|---|\n");
    for (const Row &row : rows_) {
        if (row.baseline > 0)
            std::printf("| %s | %.1f | %.1f | %.2f | %s |\n", qPrintable(row.what), row.ours,
                        row.baseline, row.ours / row.baseline, qPrintable(row.baselineQuery));
        else
            std::printf("| %s | %.1f | | | |\n", qPrintable(row.what), row.ours);
    }
    std::fflush(stdout);
}
