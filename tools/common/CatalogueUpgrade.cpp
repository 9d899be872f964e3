#include "CatalogueUpgrade.h"

#include "CatalogueSchema.h"
#include "recordset/Connection.h"
#include "recordset/Currency.h"
#include "recordset/Error.h"
#include "recordset/Statement.h"
#include "recordset/TableSql.h"
#include "recordset/Transaction.h"

#include <QFileInfo>
#include <utility>
#include <vector>

namespace {

constexpr const char *kApplicationIdSql = "PRAGMA application_id";
constexpr const char *kUserVersionSql = "PRAGMA user_version";
// The earlier tool wrote nothing but integers into the column. %1 is the
// goods table, %2 its price column, %3 its key.
constexpr const char *kForeignPricesSql =
    "SELECT count(*) FROM %1 WHERE %2 IS NOT NULL AND typeof(%2) <> 'integer'";
constexpr const char *kPricesSql = "SELECT %3, %2 FROM %1 WHERE %2 IS NOT NULL";

QByteArray goodsSql(const char *sql)
{
    const TableSchema goods = CatalogueSchema::goods();
    const auto name = [](const QString &declared) {
        return QString::fromUtf8(TableSql::name(declared, TableSql::Dialect::File));
    };
    return QString::fromLatin1(sql)
        .arg(name(goods.table()), name(goods.field(CatalogueSchema::Price).name),
             name(goods.field(CatalogueSchema::GoodsKey).name))
        .toUtf8();
}

qint64 scalar(const Connection &connection, const QByteArray &sql)
{
    Statement query(connection, sql);
    return query.step() ? query.integer(0) : 0;
}

} // namespace

int CatalogueUpgrade::run(const QString &path)
{
    if (!QFileInfo::exists(path))
        throw Error(QStringLiteral("файл «%1» не найден").arg(path));
    Connection connection(path);
    connection.open();
    if (connection.isReadOnly())
        throw Error(QStringLiteral("файл «%1» доступен только для чтения").arg(path));
    for (const TableSchema &table : CatalogueSchema::tables())
        table.verified(connection);

    Transaction transaction(connection);
    const qint64 application = scalar(connection, kApplicationIdSql);
    if (application == CatalogueSchema::ApplicationId)
        throw Error(QStringLiteral("каталог «%1» уже в нынешнем формате; он оставлен без "
                                   "изменений")
                        .arg(path));
    if (application != 0 || scalar(connection, kUserVersionSql) != 0)
        throw Error(QStringLiteral("файл «%1» помечен другой программой; он оставлен без "
                                   "изменений")
                        .arg(path));
    if (scalar(connection, goodsSql(kForeignPricesSql)) > 0)
        throw Error(QStringLiteral("в каталоге «%1» есть цены, записанные не прежней версией (не "
                                   "целые числа): он, видимо, уже хранит суммы в рублях; он "
                                   "оставлен без изменений")
                        .arg(path));

    std::vector<std::pair<qint64, qint64>> prices; // key, ten-thousandths
    {
        Statement query(connection, goodsSql(kPricesSql));
        while (query.step())
            prices.emplace_back(query.integer(0), query.integer(1));
    }
    Statement update(connection,
                     TableSql(CatalogueSchema::goods()).update({CatalogueSchema::Price}));
    for (const auto &[key, price] : prices) {
        if (!Currency::fitsStore(price))
            throw Error(QStringLiteral("цену товара с кодом %1 (%2) нельзя записать точно; "
                                       "каталог оставлен без изменений")
                            .arg(key)
                            .arg(Currency::format(price, QLatin1Char(','))));
        update.bindCurrency(1, price);
        update.bindInteger(2, key);
        update.step();
        update.reset();
    }
    for (const QByteArray &mark : CatalogueSchema::markStatements())
        Statement(connection, mark).step();
    transaction.commit();
    return int(prices.size());
}
