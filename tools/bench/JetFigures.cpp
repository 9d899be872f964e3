#include "JetFigures.h"

#include "JetTestCatalogue.h"
#include "jet/JetCatalogue.h"
#include "recordset/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The photo of the benchmark catalogues: 300x220 at 24 bits.
constexpr int PhotoBytes = 54 + 300 * 220 * 3;

double run(const QString &program, const QStringList &arguments, const QString &output = {})
{
    QProcess process;
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    else
        process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     process.readAllStandardError().constData());
        return -1;
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int JetFigures::make(const QString &path, int goods)
{
    JetTestWriter::writeFile(path, JetTestCatalogue::generated(goods, 100, PhotoBytes, 2026));
    return 0;
}

int JetFigures::convert(const QString &source, const QString &target)
{
    try {
        JetCatalogue::convertFile(source, target);
    } catch (const Error &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    // The high-water mark of this process's memory, which began with it.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                std::printf("%s\n", line.mid(6).trimmed().constData());
    return 0;
}

int JetFigures::measure(const QString &folder, int goods)
{
    QDir().mkpath(folder);
    const QString self = QCoreApplication::applicationFilePath();
    const QString jet = QDir(folder).filePath(QStringLiteral("jet-%1.mdb").arg(goods));
    if (!QFileInfo::exists(jet)) {
        const double ms = run(self, {QStringLiteral("--jet-make"), QString::number(goods), jet});
        if (ms < 0)
            return 1;
        std::printf("made %s (%.0f MB) in %.1f s\n", qPrintable(jet),
                    double(QFileInfo(jet).size()) / (1024 * 1024), ms / 1000);
    }
    QTemporaryDir out;
    std::vector<double> ours;
    std::vector<double> theirs;
    QString peak;
    for (int i = 0; i < 3; ++i) {
        const QString target = out.filePath(QStringLiteral("db.mdb"));
        const QString report = out.filePath(QStringLiteral("peak.txt"));
        ours.push_back(run(self, {QStringLiteral("--jet-convert"), jet, target}, report));
        QFile file(report);
        if (file.open(QIODevice::ReadOnly))
            peak = QString::fromUtf8(file.readAll()).trimmed();
        QFile::remove(target);
        double all = 0;
        for (const char *table : {"category", "autotype", "country", "tovars"})
            all += run(QStringLiteral("mdb-export"), {jet, QString::fromLatin1(table)},
                       out.filePath(QStringLiteral("%1.csv").arg(QLatin1String(table))));
        theirs.push_back(all);
    }
    if (*std::min_element(ours.begin(), ours.end()) < 0 ||
        *std::min_element(theirs.begin(), theirs.end()) < 0)
        return 1;
    std::printf("\n%d goods in a Jet file (%.0f MB)\n\n", goods,
                double(QFileInfo(jet).size()) / (1024 * 1024));
    std::printf("| measure | ours, ms | mdb-export, ms | ratio |\n|---|---:|---:|---:|\n");
    std::printf("| the whole conversion, in a process of its own | %.1f | %.1f | %.2f |\n",
                median(ours), median(theirs), median(ours) / median(theirs));
    std::printf("peak memory of the conversion: %s\n", qPrintable(peak));
    return 0;
}
