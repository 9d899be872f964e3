#include "ScanFigures.h"

#include "Benchmark.h"
#include "labels/PartCode.h"
#include "recordset/Connection.h"
#include "recordset/Cursor.h"
#include "scan/PartLookup.h"

#include <QElapsedTimer>
#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

constexpr const char *kLastArticleSql =
    "SELECT auto_id, codeTov FROM tovars WHERE codeTov <> '' ORDER BY auto_id DESC LIMIT 1";
constexpr const char *kByArticleSql = "SELECT auto_id FROM tovars WHERE codeTov = ?1";

} // namespace

void ScanFigures::measure(const Cursor &goods, const QString &catalogue, const Add &add)
{
    Connection plain(catalogue);
    plain.open();
    const std::vector<QVariantList> last = plain.run(kLastArticleSql);
    if (last.empty())
        return;
    const qint64 lastKey = last[0].at(0).toLongLong();
    const QString article = last[0].at(1).toString();

    // Each lookup walks the whole article column, whichever part it names:
    // the last part's is as slow as any.
    const auto lookup = [&goods](const QString &code, qint64 expected) {
        const std::vector<PartLookup::Found> found = PartLookup::find(goods, code);
        if (expected > 0 &&
            std::none_of(found.begin(), found.end(),
                         [expected](const PartLookup::Found &f) { return f.key == expected; }))
            throw std::logic_error("benchmark check failed: the scanned part was not found");
    };
    const double sql = Benchmark::median(5, [&] { plain.run(kByArticleSql, {article}); });
    const QString query = QString::fromLatin1(kByArticleSql).replace(QLatin1String("?1"), article);
    add(QStringLiteral("scan: an article code found"),
        Benchmark::median(11, [&] { lookup(article, lastKey); }), sql, query);
    add(QStringLiteral("scan: an in-store EAN-13 (no article matches, then the key)"),
        Benchmark::median(11, [&] { lookup(PartCode::storeEan(lastKey), lastKey); }), 0, {});
    // As long as the generated articles: every value is compared, twice.
    add(QStringLiteral("scan: an unknown code"),
        Benchmark::median(11, [&] { lookup(QStringLiteral("NO-SUCH-PART"), 0); }), 0, {});
}
