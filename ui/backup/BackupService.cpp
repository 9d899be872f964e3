#include "BackupService.h"

#include "UnitDM.h"
#include "backup/BackupCheck.h"
#include "backup/BackupCopy.h"
#include "backup/BackupFolder.h"
#include "recordset/Error.h"
#include "gui/BusyPointer.h"
#include "gui/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QWidget>
#include <exception>
#include <vector>

namespace {

// How often a waiting start or a paused copy looks at the modal windows again.
constexpr int WatchMs = 100;

bool modalOpen()
{
    return QApplication::activeModalWidget() != nullptr;
}

} // namespace

BackupService::BackupService(QWidget *owner)
    : QObject(owner), owner_(owner), clock_([] { return QDateTime::currentDateTime(); })
{
    watch_.setInterval(WatchMs);
    connect(&watch_, &QTimer::timeout, this, [this] { paused_ = modalOpen(); });
}

BackupService::~BackupService()
{
    // A copy under way at the end stops; it leaves no file behind.
    cancelled_ = true;
    if (worker_.joinable())
        worker_.join();
}

QString BackupService::catalogueFile()
{
    return QFileInfo(QString::fromLatin1(TDMAuto::DatabaseFile)).absoluteFilePath();
}

bool BackupService::between()
{
    while (paused_ && !cancelled_)
        QThread::msleep(20);
    return !cancelled_;
}

void BackupService::start(std::function<void()> job, std::function<void()> done)
{
    paused_ = modalOpen();
    watch_.start();
    worker_ = std::thread([this, job = std::move(job), done = std::move(done)]() mutable {
        job();
        QMetaObject::invokeMethod(
            this,
            [this, done = std::move(done)] {
                worker_.join();
                watch_.stop();
                done();
            },
            Qt::QueuedConnection);
    });
}

void BackupService::waitIdle()
{
    while (isRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void BackupService::scheduleDaily()
{
    QTimer::singleShot(0, this, [this] { tryDaily(); });
}

void BackupService::tryDaily()
{
    // A catalogue on a server is the server's to keep safe.
    if (!DMAuto || TDMAuto::onServer() || !DMAuto->isOpen() || !DMAuto->tblAuto.CanModify() ||
        isRunning())
        return;
    if (modalOpen()) {
        QTimer::singleShot(WatchMs, this, [this] { tryDaily(); });
        return;
    }
    const QString catalogue = catalogueFile();
    const BackupFolder folder(catalogue);
    const QDate today = clock_().date();
    if (folder.hasDailyCopy(today))
        return;
    auto result = std::make_shared<std::pair<QString, QString>>(); // path, failure
    start(
        [this, catalogue, folder, today, result] {
            try {
                folder.create();
                const QString path = folder.dailyCopy(today);
                BackupCopy::make(catalogue, path, [this] { return between(); });
                // Older copies go only once the new one stands checked.
                folder.prune(today);
                result->first = path;
            } catch (const std::exception &failure) {
                result->second = MessageBoxes::messageOf(failure);
            }
        },
        [this, result] { dailyDone(result->first, result->second); });
}

void BackupService::dailyDone(const QString &path, const QString &failure)
{
    if (!failure.isEmpty() && !cancelled_) {
        // Some reasons are whole sentences already, with advice after them.
        const QString told =
            failure.endsWith(QLatin1Char('.')) ? failure : failure + QLatin1Char('.');
        untold_ = QStringLiteral("%1 Работа с каталогом продолжается; копия будет сделана при "
                                 "следующем запуске программы.")
                      .arg(told);
        tellWhenFree();
    }
    emit dailyEnded(path, failure);
}

void BackupService::tellWhenFree()
{
    if (untold_.isEmpty())
        return;
    if (modalOpen()) {
        QTimer::singleShot(WatchMs, this, [this] { tellWhenFree(); });
        return;
    }
    const QString text = std::exchange(untold_, QString());
    MessageBoxes::information(owner_, text, QStringLiteral("Сообщение"));
}

void BackupService::runAndWait(const std::function<void()> &job)
{
    waitIdle();
    std::exception_ptr failure;
    bool finished = false;
    const BusyPointer busy;
    owner_->setEnabled(false);
    start(
        [&] {
            try {
                job();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        [&] { finished = true; });
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    owner_->setEnabled(true);
    if (failure)
        std::rethrow_exception(failure);
}

QString BackupService::copyNow()
{
    const QString catalogue = catalogueFile();
    if (!QFileInfo::exists(catalogue))
        throw Error(QStringLiteral("Файл каталога «%1» не найден: копировать нечего")
                        .arg(QDir::toNativeSeparators(catalogue)));
    const BackupFolder folder(catalogue);
    const QString path = folder.manualCopy(clock_());
    runAndWait([&] {
        folder.create();
        BackupCopy::make(catalogue, path, [this] { return !cancelled_; });
    });
    return path;
}

QString BackupService::restore(const QString &copy)
{
    {
        // A copy that does not read back whole, or holds no catalogue, changes nothing.
        const BusyPointer busy;
        BackupCheck::goodsIn(copy, true);
    }
    // A pasted photo still waiting in the goods cursor goes into the kept copy.
    if (DMAuto->tblAuto.State() == CursorState::Edit ||
        DMAuto->tblAuto.State() == CursorState::Insert)
        DMAuto->tblAuto.Post();

    const QString catalogue = catalogueFile();
    const BackupFolder folder(catalogue);
    const QString kept = folder.beforeRestoreCopy(clock_());
    const bool present = QFileInfo::exists(catalogue);
    runAndWait([&] {
        if (!present)
            return;
        folder.create();
        if (BackupCopy::isSound(catalogue)) {
            BackupCopy::make(catalogue, kept);
        } else if (!QFile::copy(catalogue, kept)) {
            // A damaged catalogue is kept as it is, byte for byte.
            QFile::remove(kept);
            throw Error(QStringLiteral("Текущий каталог не удалось сохранить в папку «%1». "
                                       "Восстановление отменено, каталог не изменён")
                            .arg(QDir::toNativeSeparators(folder.path())));
        }
    });

    DMAuto->close();
    std::exception_ptr failure;
    try {
        runAndWait([&] {
            // Into the live file when it is sound, so that other programs
            // that have it open see the restored catalogue; else in its place.
            if (BackupCopy::isSound(catalogue))
                BackupCopy::restore(copy, catalogue);
            else
                BackupCopy::make(copy, catalogue);
        });
    } catch (...) {
        failure = std::current_exception();
    }
    // Reading a large catalogue anew takes a moment; what it could not open is
    // told afterwards, with the usual pointer.
    std::vector<std::exception_ptr> unopened;
    {
        const BusyPointer busy;
        DMAuto->reopen([&](const std::exception &) { unopened.push_back(std::current_exception()); });
    }
    for (const std::exception_ptr &error : unopened) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception &e) {
            MessageBoxes::error(e);
        }
    }
    if (failure)
        std::rethrow_exception(failure);
    return present ? kept : QString();
}
