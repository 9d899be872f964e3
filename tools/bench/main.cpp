// autoparts-bench: speed figures of the program against the plain engine.
//
//   autoparts-bench [--goods N ...] [--folder DIR] [--server CONNINFO]
//   autoparts-bench --jet [--goods N ...] [--folder DIR]
//
// With --jet, the conversion of a shop's Jet catalogue of each size is timed
// against mdbtools' mdb-export reading the same tables.
//
// With --server, the program works on a copy of each generated catalogue on
// that PostgreSQL server (a schema bench_N of its database, kept for later runs).
//
// Each size runs in a process of its own, so that each peak memory figure is
// that size's alone. Generated catalogues are kept in DIR for later runs.

#include "Benchmark.h"
#include "JetFigures.h"

#include "app/Application.h"
#include "app/Startup.h"
#include "gui/MessageBoxes.h"

#include <QDir>
#include <QProcess>
#include <cstdio>

int main(int argc, char **argv)
{
    // The steps of the Jet figures, each in a process of its own and without
    // the windows' libraries at work.
    if (argc == 4 &&
        (qstrcmp(argv[1], "--jet-make") == 0 || qstrcmp(argv[1], "--jet-convert") == 0)) {
        QCoreApplication core(argc, argv);
        return qstrcmp(argv[1], "--jet-make") == 0
                   ? JetFigures::make(QString::fromLocal8Bit(argv[3]), atoi(argv[2]))
                   : JetFigures::convert(QString::fromLocal8Bit(argv[2]),
                                         QString::fromLocal8Bit(argv[3]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application application(argc, argv);
    Application::configure();

    QList<int> sizes;
    QString folder = QDir::temp().filePath(QStringLiteral("autoparts-bench"));
    QString server;
    bool child = false;
    bool jet = false;
    const QStringList arguments = QCoreApplication::arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--goods") && i + 1 < arguments.size())
            sizes << arguments[++i].toInt();
        else if (arguments[i] == QLatin1String("--folder") && i + 1 < arguments.size())
            folder = arguments[++i];
        else if (arguments[i] == QLatin1String("--server") && i + 1 < arguments.size())
            server = arguments[++i];
        else if (arguments[i] == QLatin1String("--child"))
            child = true;
        else if (arguments[i] == QLatin1String("--jet"))
            jet = true;
        else {
            std::fprintf(stderr, "usage: autoparts-bench [--jet] [--goods N ...] [--folder DIR] "
                                 "[--server CONNINFO]\n");
            return 2;
        }
    }
    if (jet) {
        int status = 0;
        for (const int goods : sizes.isEmpty() ? QList<int>{100000} : sizes)
            status |= JetFigures::measure(folder, goods);
        return status;
    }
    if (sizes.isEmpty())
        sizes = {1000, 10000, 100000, 1000000};

    if (child) {
        try {
            Benchmark(QDir(folder).filePath(QString::number(sizes[0])), sizes[0], server).run();
        } catch (const std::exception &failure) {
            std::fprintf(stderr, "error: %s\n", qPrintable(MessageBoxes::messageOf(failure)));
            return 1;
        }
        return 0;
    }
    int status = 0;
    for (const int goods : sizes) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        QStringList childArguments{QStringLiteral("--child"), QStringLiteral("--goods"),
                                   QString::number(goods), QStringLiteral("--folder"), folder};
        if (!server.isEmpty())
            childArguments << QStringLiteral("--server") << server;
        process.start(QCoreApplication::applicationFilePath(), childArguments);
        process.waitForFinished(-1);
        status |= process.exitCode();
    }
    return status;
}
