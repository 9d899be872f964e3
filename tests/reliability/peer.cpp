// A second program on the same catalogue: it opens db.mdb in its current
// folder, or the server that AUTOPARTS_DATABASE names, through the
// record-set layer, as the shop's second copy would, and does one thing on
// command.
//
//   delete KEY              deletes one goods row
//   set KEY COLUMN TEXT     stores TEXT in one column of one goods row
//   posts KEY COUNT         COUNT posts, 5 ms apart, setting counts to 1..COUNT
//   lock [MS]               holds an exclusive lock on the file until MS pass or stdin closes
//   hold KEY                holds one goods row locked until stdin closes
//   churn BASE              posts for ever (until killed), see below
//
// Prints "ok" or the refusal's message and exits 0 or 1; `lock` prints
// "locked" once it holds the lock.

#include "CatalogueSchema.h"
#include "journal/Journal.h"
#include "journal/JournalWitness.h"
#include "ChurnSchedule.h"
#include "UnitDM.h"
#include "recordset/Connection.h"
#include "recordset/Cursor.h"
#include "recordset/Error.h"
#include "recordset/RowStore.h"
#include "recordset/Statement.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

namespace {

void say(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void locate(Cursor &goods, qint64 key)
{
    if (!goods.Locate(QStringLiteral("auto_id"), key))
        throw Error(QStringLiteral("no goods row %1").arg(key));
}

// True once stdin is closed (or has a line), without blocking.
bool released()
{
    pollfd in{STDIN_FILENO, POLLIN, 0};
    return poll(&in, 1, 0) > 0;
}

void lock(int ms)
{
    Connection connection(QStringLiteral("db.mdb"));
    connection.open();
    Statement(connection, "BEGIN EXCLUSIVE").step();
    say(QStringLiteral("locked"));
    QElapsedTimer held;
    held.start();
    while (!released() && (ms <= 0 || held.elapsed() < ms))
        QThread::msleep(10);
    Statement(connection, "COMMIT").step();
}

// The crash test's writer: a long series of posts, each either a new row or
// a change of several columns of an existing row at once (with a photo that
// spans pages of the file), in the order that ChurnSchedule fixes. After each
// post it prints the post's number, so the killer knows what was stored.
[[noreturn]] void churn(qint64 base)
{
    Connection connection(QStringLiteral("db.mdb"));
    // As the program writes: each post with its journal record.
    if (Journal::prepare(connection))
        connection.setWitness(std::make_shared<JournalWitness>());
    Cursor goods(connection, CatalogueSchema::goods());
    goods.setRoads(QString::fromLatin1(Journal::Road::Editor), {});
    goods.open();
    std::vector<qint64> keys;
    for (goods.First(); !goods.Eof(); goods.Next())
        keys.push_back(goods.FieldByName(QStringLiteral("auto_id")).AsInteger());
    say(QStringLiteral("ready"));
    for (qint64 step = 1;; ++step) {
        const qint64 key = ChurnSchedule::keyOf(keys, step);
        if (key == ChurnSchedule::NewRow) {
            goods.Append();
        } else {
            locate(goods, key);
            goods.Edit();
        }
        ChurnSchedule::fill(goods, base + step);
        goods.Post();
        say(QString::number(step));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString command = args.value(0);
    try {
        if (command == QLatin1String("lock")) {
            lock(args.value(1).toInt());
            return 0;
        }
        if (command == QLatin1String("churn"))
            churn(args.value(1).toLongLong());

        const std::unique_ptr<Store> store = TDMAuto::makeStore();
        if (command == QLatin1String("hold")) {
            const TableSchema schema = CatalogueSchema::goods();
            RowStore rows(schema);
            std::map<int, QByteArray> bytes;
            store->begin();
            if (!store->readRow(schema, args.value(1).toLongLong(), {}, true, rows, bytes))
                throw Error(QStringLiteral("no goods row %1").arg(args.value(1)));
            say(QStringLiteral("locked"));
            while (!released())
                QThread::msleep(10);
            store->commit();
            say(QStringLiteral("ok"));
            return 0;
        }
        Cursor goods(*store, CatalogueSchema::goods());
        goods.open();
        locate(goods, args.value(1).toLongLong());
        if (command == QLatin1String("delete")) {
            goods.Delete();
        } else if (command == QLatin1String("set")) {
            goods.Edit();
            goods.FieldByName(args.value(2)).setAsString(args.value(3));
            goods.Post();
        } else if (command == QLatin1String("posts")) {
            const int count = args.value(2).toInt();
            for (int i = 1; i <= count; ++i) {
                goods.Edit();
                goods.FieldByName(QStringLiteral("counts")).setAsInteger(i);
                goods.Post();
                QThread::msleep(5); // a person, or a tool, but not a hot loop
            }
        } else {
            say(QStringLiteral("unknown command"));
            return 2;
        }
    } catch (const Error &error) {
        say(error.message());
        return 1;
    }
    say(QStringLiteral("ok"));
    return 0;
}
