#include "ConversionProgress.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <exception>
#include <memory>

ConversionSummary ConversionProgress::run(QWidget *owner, const QString &label, const Work &work)
{
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    std::atomic<bool> stop{false};
    ConversionSummary summary;
    std::exception_ptr failure;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            summary = work([&](qint64 rows, qint64 all) {
                done = rows;
                total = all;
                return !stop.load();
            });
        } catch (...) {
            failure = std::current_exception();
        }
    }));

    QProgressDialog dialog(label, QStringLiteral("Отмена"), 0, 100, owner);
    dialog.setWindowTitle(QStringLiteral("Перенос каталога"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    dialog.setMinimumDuration(ShowAfterMs);
    QObject::connect(&dialog, &QProgressDialog::canceled, [&] {
        stop = true;
        dialog.setLabelText(QStringLiteral("Перенос останавливается…"));
    });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 all = total.load();
        if (all > 0)
            dialog.setValue(int(qMin<qint64>(99, done.load() * 100 / all)));
        else
            dialog.setValue(0);
    });
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    tick.start(100);
    dialog.setValue(0);
    thread->start();
    loop.exec();
    tick.stop();
    thread->wait();
    dialog.close();
    if (failure)
        std::rethrow_exception(failure);
    return summary;
}
