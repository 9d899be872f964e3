#include "TestCatalogue.h"

#include "CatalogueSchema.h"

#include <QDir>
#include <QTest>
#include <sqlite3.h>
#include <stdexcept>

TestCatalogue::TestCatalogue()
{
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
    previousDir_ = QDir::currentPath();
    CatalogueSchema::create(path());
    if (sqlite3_open_v2(QFile::encodeName(path()).constData(), &db_, SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open the test catalogue");
    sqlite3_busy_timeout(db_, 5000);
    QDir::setCurrent(dir_.path());
}

TestCatalogue::~TestCatalogue()
{
    sqlite3_close_v2(db_);
    QDir::setCurrent(previousDir_);
}

QString TestCatalogue::path() const
{
    return dir_.filePath(QStringLiteral("db.mdb"));
}

QVariant TestCatalogue::query(const char *sql, const QVariantList &parameters)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db_));
    for (int i = 0; i < parameters.size(); ++i) {
        const QVariant &p = parameters[i];
        if (p.isNull()) {
            sqlite3_bind_null(stmt, i + 1);
        } else if (p.typeId() == QMetaType::QByteArray) {
            const QByteArray bytes = p.toByteArray();
            sqlite3_bind_blob(stmt, i + 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        } else if (p.typeId() == QMetaType::Double) {
            sqlite3_bind_double(stmt, i + 1, p.toDouble());
        } else if (p.typeId() == QMetaType::QString) {
            const QByteArray text = p.toString().toUtf8();
            sqlite3_bind_text(stmt, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_int64(stmt, i + 1, p.toLongLong());
        }
    }
    QVariant result;
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
        switch (sqlite3_column_type(stmt, 0)) {
        case SQLITE_INTEGER:
            result = qint64(sqlite3_column_int64(stmt, 0));
            break;
        case SQLITE_TEXT:
            result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
            break;
        case SQLITE_BLOB:
            result = QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, 0)),
                                sqlite3_column_bytes(stmt, 0));
            break;
        case SQLITE_FLOAT:
            result = sqlite3_column_double(stmt, 0);
            break;
        default:
            break;
        }
    } else if (rc != SQLITE_DONE) {
        const std::string message = sqlite3_errmsg(db_);
        sqlite3_finalize(stmt);
        throw std::runtime_error(message);
    }
    sqlite3_finalize(stmt);
    return result;
}

int TestCatalogue::count(const char *table)
{
    const QByteArray sql = QByteArray("SELECT count(*) FROM ") + table;
    return query(sql.constData()).toInt();
}

qint64 TestCatalogue::addCategory(const QString &name)
{
    query("INSERT INTO category (catName) VALUES (?)", {name});
    return sqlite3_last_insert_rowid(db_);
}

qint64 TestCatalogue::addMake(const QString &name)
{
    query("INSERT INTO autotype (name) VALUES (?)", {name});
    return sqlite3_last_insert_rowid(db_);
}

qint64 TestCatalogue::addCountry(const QString &name)
{
    query("INSERT INTO country (country) VALUES (?)", {name});
    return sqlite3_last_insert_rowid(db_);
}

qint64 TestCatalogue::addGoods(const Goods &g)
{
    const auto value = [](const auto &optional) {
        return optional ? QVariant::fromValue(*optional) : QVariant();
    };
    // Written as any program writes an amount: whole roubles as an integer.
    const auto price = [](const std::optional<qint64> &tenThousandths) {
        if (!tenThousandths)
            return QVariant();
        if (*tenThousandths % 10000 == 0)
            return QVariant(*tenThousandths / 10000);
        return QVariant(double(*tenThousandths) / 10000.0);
    };
    query("INSERT INTO tovars (codeTov, numSklad, cat_id, tovName, models, counts, price, "
          "auto_type, country_id, screenshots) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
          {value(g.codeTov), value(g.numSklad), value(g.catId), value(g.tovName), value(g.models),
           value(g.counts), price(g.price), value(g.autoType), value(g.countryId),
           value(g.screenshots)});
    return sqlite3_last_insert_rowid(db_);
}
