#include "BackupCheck.h"

#include "CatalogueSchema.h"
#include "recordset/Connection.h"
#include "recordset/Error.h"
#include "recordset/Statement.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr const char *kQuickCheckSql = "PRAGMA quick_check";
constexpr const char *kGoodsCountSql = "SELECT count(*) FROM tovars";

} // namespace

int BackupCheck::goodsIn(const QString &file, bool thorough)
{
    const QString shown = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
    try {
        Connection connection(file);
        connection.open();
        if (thorough) {
            Statement check(connection, kQuickCheckSql);
            const QString verdict = check.step() ? check.text(0) : QString();
            if (verdict != QLatin1String("ok"))
                throw Error(QStringLiteral("файл повреждён"));
        }
        for (const TableSchema &table : {CatalogueSchema::goods(), CatalogueSchema::categories(),
                                         CatalogueSchema::makes(), CatalogueSchema::countries()})
            table.verified(connection);
        Statement count(connection, kGoodsCountSql);
        return count.step() ? int(count.integer(0)) : 0;
    } catch (const Error &error) {
        throw Error(QStringLiteral("Копия «%1» не годится для восстановления каталога: %2")
                        .arg(shown, error.message()));
    }
}
