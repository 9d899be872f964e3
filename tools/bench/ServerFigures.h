#pragma once

#include <QString>

// The server's side of the benchmark: the generated catalogue moved onto the
// server once per size (into a schema of its own, kept for later runs), and
// the plain clients our figures stand beside there.
class ServerFigures
{
public:
    // The connection string of `goods` rows copied from `file` onto `server`.
    static QString prepare(const QString &server, const QString &file, int goods);
    // `psql -c` of `sql`, output thrown away, as a technician would time it:
    // the median of three runs in milliseconds, start of psql included.
    static double psql(const QString &target, const QByteArray &sql);
    // The same query through libpq, every value of every row looked at, as
    // a plain client of the server would: the median of `times` runs.
    static double plainSelect(const QString &target, const QByteArray &sql, int times = 3);
    // BEGIN; one update of counts by key; COMMIT, through libpq: the median
    // of 21 in milliseconds. Leaves the row's counts at `restore`.
    static double plainPost(const QString &target, qint64 key, qint64 restore);
};
