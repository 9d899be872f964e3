#pragma once

#include "recordset/Cursor.h"

#include <QByteArray>
#include <QString>
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

inline void fill(Cursor &goods, qint64 g)
{
    goods.FieldByName(QStringLiteral("tovName")).setAsString(name(g));
    goods.FieldByName(QStringLiteral("models")).setAsString(models(g));
    goods.FieldByName(QStringLiteral("counts")).setAsInteger(counts(g));
    goods.FieldByName(QStringLiteral("numSklad")).setAsInteger(numSklad(g));
    goods.FieldByName(QStringLiteral("price")).setAsCurrency(price(g));
    goods.FieldByName(QStringLiteral("screenshots")).setAsBytes(photo(g));
}

} // namespace ChurnSchedule
