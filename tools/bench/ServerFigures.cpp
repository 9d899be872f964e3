#include "ServerFigures.h"

#include "Benchmark.h"
#include "CatalogueSchema.h"
#include "ServerCatalogue.h"
#include "recordset/Connection.h"
#include "recordset/Error.h"
#include "recordset/TableSql.h"
#include "recordset/server/ServerConnection.h"
#include "recordset/server/ServerResult.h"

#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray countSql()
{
    return "SELECT count(*) FROM " +
           TableSql::name(CatalogueSchema::goods().table(), TableSql::Dialect::Server);
}

QByteArray updateCountsSql()
{
    return TableSql(CatalogueSchema::goods(), TableSql::Dialect::Server)
        .update({CatalogueSchema::Count});
}

} // namespace

QString ServerFigures::prepare(const QString &server, const QString &file, int goods)
{
    const QString schema = QStringLiteral("bench_%1").arg(goods);
    const QString target = server + QStringLiteral(" options='-c search_path=%1'").arg(schema);
    ServerConnection connection(target);
    try {
        const ServerResult count = connection.execute(countSql());
        if (count.integer(0, 0) == goods)
            return target;
    } catch (const Error &) {
        // Not there yet: made below.
    }
    connection.close();
    ServerConnection admin(server);
    admin.execute("DROP SCHEMA IF EXISTS " + schema.toLatin1() + " CASCADE");
    admin.execute("CREATE SCHEMA " + schema.toLatin1());
    QElapsedTimer timer;
    timer.start();
    Connection source(file);
    ServerConnection copy(target);
    ServerCatalogue::copy(source, copy);
    copy.execute("ANALYZE");
    std::printf("copied %d goods onto the server in %.1f s\n", goods,
                double(timer.elapsed()) / 1000);
    return target;
}

double ServerFigures::psql(const QString &target, const QByteArray &sql)
{
    return Benchmark::median(3, [&] {
        QProcess::execute(QStringLiteral("psql"),
                          {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-d"), target,
                           QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-c"),
                           QString::fromUtf8(sql)});
    });
}

double ServerFigures::plainSelect(const QString &target, const QByteArray &sql, int times)
{
    ServerConnection connection(target);
    connection.open();
    return Benchmark::median(times, [&] {
        const ServerResult result = connection.execute(sql);
        qint64 checksum = 0;
        for (int r = 0; r < result.rows(); ++r)
            for (int column = 0; column < result.columns(); ++column)
                checksum += qint64(result.value(r, column).size());
        if (checksum == -1)
            std::puts("");
    });
}

double ServerFigures::plainPost(const QString &target, qint64 key, qint64 restore)
{
    ServerConnection connection(target);
    qint64 value = 0;
    const QByteArray sql = updateCountsSql();
    const auto update = [&](qint64 counts) {
        connection.begin();
        connection.execute(sql,
                           {{QByteArray::number(counts), false}, {QByteArray::number(key), false}});
        connection.commit();
    };
    const double ms = Benchmark::median(21, [&] { update(++value); });
    update(restore);
    return ms;
}
