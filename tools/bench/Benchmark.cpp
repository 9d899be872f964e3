#include "Benchmark.h"

#include "CatalogueGenerator.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "recordset/Connection.h"
#include "recordset/Statement.h"
#include "ui/main/Unit_tr.h"
#include "ui/widgets/DBGrid.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

// The plain queries that stand beside our figures: every column but the
// photo, as the grid needs them.
constexpr const char *kSelectAllSql =
    "SELECT auto_id, codeTov, numSklad, cat_id, tovName, models, counts, price, auto_type, "
    "country_id, length(screenshots) FROM tovars";
constexpr const char *kWorkedExampleSql =
    "SELECT auto_id, codeTov, numSklad, cat_id, tovName, models, counts, price, auto_type, "
    "country_id, length(screenshots) FROM tovars WHERE cat_id = 3 AND auto_type = 12 AND "
    "country_id = 2 AND tovName LIKE 'Фильтр%' AND price >= 1000000 AND numSklad = 1 AND "
    "counts <= 10 AND models LIKE '%2107%'";
constexpr const char *kNamePrefixSql =
    "SELECT auto_id, codeTov, numSklad, cat_id, tovName, models, counts, price, auto_type, "
    "country_id, length(screenshots) FROM tovars WHERE tovName LIKE 'Фильтр%'";
constexpr const char *kSortByNameSql =
    "SELECT auto_id, codeTov, numSklad, cat_id, tovName, models, counts, price, auto_type, "
    "country_id, length(screenshots) FROM tovars ORDER BY tovName";
constexpr const char *kSortByPriceSql =
    "SELECT auto_id, codeTov, numSklad, cat_id, tovName, models, counts, price, auto_type, "
    "country_id, length(screenshots) FROM tovars ORDER BY price";

const QString kWorkedExample = QStringLiteral(
    "cat_id='3' AND auto_type='12' AND country_id='2' AND tovName LIKE 'Фильтр%' AND "
    "price>='100' AND numSklad='1' AND counts<='10' AND models LIKE '%2107%'");
const QString kNamePrefix = QStringLiteral("tovName LIKE 'Фильтр%'");

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

Benchmark::Benchmark(QString folder, int goods) : folder_(std::move(folder)), goods_(goods) {}

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

double Benchmark::plainQuery(Connection &connection, const char *sql)
{
    return median(3, [&] {
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
    });
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
    const double baseline = plainQuery(plain, kSelectAllSql);
    const double ours = median(3, [] {
        Startup::destroyComponents();
        Startup::createComponents();
        Startup::showMainWindow();
        paintGrid();
    });
    add(QStringLiteral("open: create DMAuto, show the main window, paint the first page"), ours,
        baseline, QString::fromLatin1(kSelectAllSql));
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
        plainQuery(plain, kWorkedExampleSql), QStringLiteral("… WHERE <the same 8 conditions>"));
    const double prefix = apply(kNamePrefix);
    const int prefixRows = goods.RecordCount();
    add(QStringLiteral("filter: tovName LIKE 'Фильтр%' (%1 rows found)").arg(prefixRows), prefix,
        plainQuery(plain, kNamePrefixSql), QStringLiteral("… WHERE tovName LIKE 'Фильтр%'"));
    goods.setFiltered(false);
}

void Benchmark::sorts(Connection &plain)
{
    Cursor &goods = DMAuto->tblAuto;
    const auto sortBy = [&goods](const QString &text) {
        return median(3, [&goods, &text] {
            goods.setSort(QStringLiteral("auto_id"));
            goods.setSort(text);
            paintGrid();
        });
    };
    add(QStringLiteral("sort: tovName"), sortBy(QStringLiteral("tovName")),
        plainQuery(plain, kSortByNameSql), QStringLiteral("… ORDER BY tovName"));
    add(QStringLiteral("sort: price"), sortBy(QStringLiteral("price")),
        plainQuery(plain, kSortByPriceSql), QStringLiteral("… ORDER BY price"));
}

void Benchmark::run()
{
    prepareCatalogue();
    Connection plain(QStringLiteral("db.mdb"));
    plain.open();
    // Warm the file cache for both sides alike.
    plainQuery(plain, kSelectAllSql);

    Startup::createComponents();
    openAndFirstPaint(plain);
    filters(plain);
    sorts(plain);
    Startup::destroyComponents();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    print();
    std::printf("peak memory: %.0f MB\n\n", double(usage.ru_maxrss) / 1024);
}

void Benchmark::print() const
{
    std::printf("\n%d goods\n\n", goods_);
    std::printf("| measure | ours, ms | plain query, ms | ratio |\n|---|---:|---:|---:|\n");
    for (const Row &row : rows_) {
        if (row.baseline > 0)
            std::printf("| %s | %.1f | %.1f | %.2f |\n", qPrintable(row.what), row.ours,
                        row.baseline, row.ours / row.baseline);
        else
            std::printf("| %s | %.1f | | |\n", qPrintable(row.what), row.ours);
    }
    std::fflush(stdout);
}
