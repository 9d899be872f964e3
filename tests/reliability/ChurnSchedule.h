#pragma once

#include "TestCatalogue.h"
#include "recordset/Currency.h"
#include "recordset/Cursor.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <sqlite3.h>
#include <vector>

// The crash test's series of posts, shared by the writer and the checker.
// Post n writes "generation" base + n into every column of one row: either a
// new row (every fourth post) or one of the rows that existed when the writer
// started. A row whose columns hold different generations was torn.
namespace ChurnSchedule {

constexpr qint64 NewRow = -1;

inline qint64 keyOf(const std::vector<qint64> &keys, qint64 n)
{
    if (keys.empty() || n % 4 == 0)
        return NewRow;
    return keys[size_t((n * 7) % qint64(keys.size()))];
}

inline QString name(qint64 g)
{
    return QStringLiteral("Деталь %1").arg(g);
}
inline QString models(qint64 g)
{
    return QStringLiteral("M-%1").arg(g);
}
inline qint64 counts(qint64 g)
{
    return g % 1000003;
}
inline qint64 numSklad(qint64 g)
{
    return g % 997;
}
inline qint64 price(qint64 g)
{
    return g * 10000 + 1;
}
// Larger than a page of the file, so one post writes several pages.
inline QByteArray photo(qint64 g)
{
    const QByteArray mark = QByteArray::number(g);
    return mark + QByteArray(6000, char('a' + g % 26)) + mark;
}

// Generation `g` as a row that a test puts into its catalogue.
inline TestCatalogue::Goods row(qint64 g)
{
    TestCatalogue::Goods goods;
    goods.tovName = name(g);
    goods.models = models(g);
    goods.counts = int(counts(g));
    goods.numSklad = int(numSklad(g));
    goods.price = price(g);
    goods.screenshots = photo(g);
    return goods;
}

inline void fill(Cursor &goods, qint64 g)
{
    goods.FieldByName(QStringLiteral("tovName")).setAsString(name(g));
    goods.FieldByName(QStringLiteral("models")).setAsString(models(g));
    goods.FieldByName(QStringLiteral("counts")).setAsInteger(counts(g));
    goods.FieldByName(QStringLiteral("numSklad")).setAsInteger(numSklad(g));
    goods.FieldByName(QStringLiteral("price")).setAsCurrency(price(g));
    goods.FieldByName(QStringLiteral("screenshots")).setAsBytes(photo(g));
}

// The generation that every column of a row holds, or -1 when they differ.
// The row: auto_id, tovName, models, counts, numSklad, price, screenshots.
inline qint64 generationOf(sqlite3_stmt *row)
{
    const QString storedName =
        QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(row, 1)));
    bool ok = false;
    const qint64 g = storedName.section(QLatin1Char(' '), 1).toLongLong(&ok);
    const QByteArray storedPhoto(static_cast<const char *>(sqlite3_column_blob(row, 6)),
                                 sqlite3_column_bytes(row, 6));
    const bool whole =
        ok && storedName == name(g) &&
        QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(row, 2))) ==
            models(g) &&
        sqlite3_column_int64(row, 3) == counts(g) && sqlite3_column_int64(row, 4) == numSklad(g) &&
        Currency::fromReal(sqlite3_column_double(row, 5)) == price(g) && storedPhoto == photo(g);
    return whole ? g : -1;
}

// Opens `file` as the next program would (which rolls back an interrupted
// write), checks it and reads every row's key and generation.
inline QString readBack(const QString &file, std::map<qint64, qint64> &rows)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr);
    QString integrity;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        integrity +=
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    QString problem;
    if (integrity != QLatin1String("ok"))
        problem = QStringLiteral("integrity_check: ") + integrity;

    sqlite3_prepare_v2(db,
                       "SELECT auto_id, tovName, models, counts, numSklad, price, screenshots "
                       "FROM tovars",
                       -1, &stmt, nullptr);
    rows.clear();
    while (problem.isEmpty() && sqlite3_step(stmt) == SQLITE_ROW) {
        const qint64 key = sqlite3_column_int64(stmt, 0);
        rows[key] = generationOf(stmt);
        if (rows[key] < 0)
            problem = QStringLiteral("row %1 is torn").arg(key);
    }
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
    return problem;
}

} // namespace ChurnSchedule
