// autoparts-newdb: makes a new catalogue file, empty or with demo data, or
// brings one made by an earlier version up to the present format; makes the
// catalogue's tables on a database server, or moves a file catalogue there.
// The program itself never creates its database.

#include "CatalogueGenerator.h"
#include "CatalogueSchema.h"
#include "CatalogueUpgrade.h"
#include "ServerCatalogue.h"
#include "jet/JetCatalogue.h"
#include "recordset/Connection.h"
#include "recordset/Error.h"
#include "recordset/server/ServerConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <unistd.h>
#include <utility>

namespace {

const char *const kUsage =
    "Использование:\n"
    "  autoparts-newdb ФАЙЛ          создать пустой каталог запчастей\n"
    "  autoparts-newdb --demo ФАЙЛ   создать каталог с демонстрационными данными\n"
    "  autoparts-newdb --upgrade ФАЙЛ\n"
    "                                перевести каталог, сделанный прежней версией\n"
    "                                (до того, как цены стали храниться в рублях),\n"
    "                                в нынешний формат\n"
    "  autoparts-newdb --server СТРОКА [--demo]\n"
    "                                создать таблицы каталога (пустого или с\n"
    "                                демонстрационными данными) в пустой базе данных\n"
    "                                на сервере PostgreSQL\n"
    "  autoparts-newdb --copy ФАЙЛ --server СТРОКА\n"
    "                                перенести каталог из файла на сервер\n"
    "  autoparts-newdb --from-jet СТАРЫЙ.mdb НОВЫЙ.mdb\n"
    "                                перенести каталог из базы данных Access\n"
    "                                (Access 97 или 2000-2003) в новый файл каталога\n"
    "  autoparts-newdb --from-jet СТАРЫЙ.mdb --server СТРОКА\n"
    "                                перенести такой каталог на сервер PostgreSQL\n"
    "СТРОКА - строка подключения libpq, например postgresql://shop@server/autoparts\n"
    "или service=autoparts; пароль берётся из ~/.pgpass или файла служб.\n"
    "Программа открывает каталог под именем db.mdb в текущей папке, а если задана\n"
    "переменная окружения AUTOPARTS_DATABASE (строка подключения), то на сервере.\n"
    "Существующий файл и существующие таблицы не перезаписываются.\n";

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int fail(const QString &message)
{
    print(stderr, QStringLiteral("autoparts-newdb: ошибка: %1\n").arg(message));
    return 1;
}

int usageError(const QString &message)
{
    print(stderr, QStringLiteral("autoparts-newdb: %1\n").arg(message));
    print(stderr, QString::fromUtf8(kUsage));
    return 1;
}

// Clearer than the engine's own words for the usual mistakes.
QString folderProblem(const QString &path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    const QString shown = QDir::toNativeSeparators(folder.absoluteFilePath());
    if (!folder.exists())
        return QStringLiteral("папка «%1» не существует").arg(shown);
    if (!folder.isDir())
        return QStringLiteral("«%1» не является папкой").arg(shown);
    if (!folder.isWritable())
        return QStringLiteral("нет права записи в папку «%1»").arg(shown);
    return QString();
}

// The demo photos are drawn with fonts, which need the GUI side of Qt but
// no display.
std::unique_ptr<QCoreApplication> application(bool drawing, int &argc, char *argv[])
{
    if (!drawing)
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

// Takes "--name VALUE" out of `arguments`; an empty value when absent.
std::optional<QString> takeOption(QStringList &arguments, const QString &name, QString *error)
{
    const int at = int(arguments.indexOf(name));
    if (at < 0)
        return std::nullopt;
    if (at + 1 >= arguments.size() || arguments[at + 1].startsWith(QLatin1String("--"))) {
        *error = QStringLiteral("после «%1» нужно указать значение").arg(name);
        return std::nullopt;
    }
    const QString value = arguments[at + 1];
    arguments.remove(at, 2);
    return value;
}

// The server forms: the tables made empty, with the demo (made in a
// temporary file first, then copied), or from a file catalogue.
int onServer(const QString &target, const std::optional<QString> &copyFrom, bool demo, int &argc,
             char *argv[])
{
    const std::unique_ptr<QCoreApplication> app = application(demo, argc, argv);
    try {
        ServerConnection server(target);
        server.open();
        if (!copyFrom && !demo) {
            ServerCatalogue::create(server);
            print(stdout, QStringLiteral("Создан пустой каталог в базе данных «%1»\n")
                              .arg(server.name()));
            return 0;
        }
        QTemporaryDir temporary;
        QString source = copyFrom.value_or(QString());
        if (demo) {
            if (!temporary.isValid())
                return fail(QStringLiteral("не удаётся создать временную папку"));
            source = temporary.filePath(QStringLiteral("demo.mdb"));
            CatalogueGenerator::createDemo(source);
        } else if (!QFileInfo::exists(source)) {
            return fail(QStringLiteral("файл «%1» не найден").arg(QDir::toNativeSeparators(source)));
        }
        Connection file(source);
        qint64 copied = 0;
        // A large catalogue takes a while: a terminal sees how far it got.
        const bool terminal = isatty(STDERR_FILENO) == 1;
        ServerCatalogue::copy(file, server, [&](qint64 done, qint64 total) {
            copied = done;
            if (terminal)
                print(stderr, QStringLiteral("\rПеренесено записей: %1 из %2").arg(done).arg(total));
        });
        if (terminal && copied > 0)
            print(stderr, QStringLiteral("\n"));
        print(stdout, demo ? QStringLiteral("Создан каталог с демонстрационными данными в базе "
                                            "данных «%1»\n")
                                 .arg(server.name())
                           : QStringLiteral("Каталог %1 перенесён в базу данных «%2»; перенесено "
                                            "записей: %3\n")
                                 .arg(QDir::toNativeSeparators(source), server.name())
                                 .arg(copied));
        return 0;
    } catch (const std::exception &error) {
        return fail(QString::fromUtf8(error.what()));
    }
}

// A large conversion takes a while: a terminal sees how far it got.
class TerminalProgress
{
public:
    TerminalProgress() : terminal_(isatty(STDERR_FILENO) == 1) {}
    ~TerminalProgress()
    {
        if (shown_)
            print(stderr, QStringLiteral("\n"));
    }
    bool operator()(qint64 done, qint64 total)
    {
        if (terminal_) {
            print(stderr, QStringLiteral("\rПеренесено записей: %1 из %2").arg(done).arg(total));
            shown_ = true;
        }
        return true;
    }

private:
    bool terminal_;
    bool shown_ = false;
};

// A shop's Jet catalogue into a new file or onto a server; the summary of
// what came over and what needed a decision goes to the output.
int fromJet(const QString &source, const std::optional<QString> &server, const QString &target,
            int &argc, char *argv[])
{
    const std::unique_ptr<QCoreApplication> app = application(false, argc, argv);
    try {
        ConversionSummary summary;
        QString where;
        {
            TerminalProgress progress;
            const auto report = [&](qint64 done, qint64 total) { return progress(done, total); };
            if (server) {
                ServerConnection connection(*server);
                connection.open();
                summary = JetCatalogue::toServer(source, connection, report);
                where = QStringLiteral("базу данных «%1»").arg(connection.name());
            } else {
                if (QFileInfo::exists(target))
                    return fail(QStringLiteral("файл «%1» уже существует; он оставлен без "
                                               "изменений")
                                    .arg(QDir::toNativeSeparators(target)));
                const QString problem = folderProblem(target);
                if (!problem.isEmpty())
                    return fail(problem);
                summary = JetCatalogue::convertFile(source, target, report);
                where = QStringLiteral("файл %1").arg(QDir::toNativeSeparators(target));
            }
        }
        print(stdout, QStringLiteral("Каталог %1 перенесён в %2.\n%3\n")
                          .arg(QDir::toNativeSeparators(source), where, summary.text()));
        return 0;
    } catch (const std::exception &error) {
        return fail(QString::fromUtf8(error.what()));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (arguments == QStringList{QStringLiteral("--help")} ||
        arguments == QStringList{QStringLiteral("-h")}) {
        print(stdout, QString::fromUtf8(kUsage));
        return 0;
    }
    QString optionError;
    const std::optional<QString> server =
        takeOption(arguments, QStringLiteral("--server"), &optionError);
    const std::optional<QString> copyFrom =
        takeOption(arguments, QStringLiteral("--copy"), &optionError);
    const std::optional<QString> jetFrom =
        takeOption(arguments, QStringLiteral("--from-jet"), &optionError);
    if (!optionError.isEmpty())
        return usageError(optionError);
    if (jetFrom) {
        if (copyFrom || arguments.contains(QStringLiteral("--demo")) ||
            arguments.contains(QStringLiteral("--upgrade")))
            return usageError(QStringLiteral("«--from-jet» не используется вместе с «--copy», "
                                             "«--demo» и «--upgrade»"));
        for (const QString &argument : std::as_const(arguments))
            if (argument.startsWith(QLatin1Char('-')))
                return usageError(QStringLiteral("неизвестный ключ «%1»").arg(argument));
        if (server ? !arguments.isEmpty() : arguments.size() != 1)
            return usageError(server ? QStringLiteral("лишние аргументы")
                              : arguments.isEmpty()
                                  ? QStringLiteral("не указан новый файл каталога")
                                  : QStringLiteral("лишние аргументы"));
        return fromJet(*jetFrom, server, server ? QString() : arguments.first(), argc, argv);
    }
    if (copyFrom && !server)
        return usageError(QStringLiteral("«--copy» переносит каталог на сервер: укажите его "
                                         "ключом «--server»"));
    if (server) {
        const bool withDemo = arguments.removeAll(QStringLiteral("--demo")) > 0;
        if (!arguments.isEmpty())
            return usageError(QStringLiteral("лишние аргументы: %1").arg(arguments.join(' ')));
        if (withDemo && copyFrom)
            return usageError(QStringLiteral("«--demo» и «--copy» вместе не используются"));
        return onServer(*server, copyFrom, withDemo, argc, argv);
    }
    const bool demo = !arguments.isEmpty() && arguments.first() == QLatin1String("--demo");
    const bool upgrade = !arguments.isEmpty() && arguments.first() == QLatin1String("--upgrade");
    if (demo || upgrade)
        arguments.removeFirst();
    for (const QString &argument : std::as_const(arguments))
        if (argument.startsWith(QLatin1Char('-')))
            return usageError(QStringLiteral("неизвестный ключ «%1»").arg(argument));
    if (arguments.size() != 1)
        return usageError(arguments.isEmpty() ? QStringLiteral("не указан файл каталога")
                                              : QStringLiteral("лишние аргументы"));
    const QString path = arguments.first();

    const std::unique_ptr<QCoreApplication> app = application(demo, argc, argv);

    if (upgrade) {
        try {
            const int prices = CatalogueUpgrade::run(path);
            print(stdout, QStringLiteral("Каталог %1 переведён в нынешний формат; пересчитано цен: "
                                         "%2\n")
                              .arg(QDir::toNativeSeparators(path))
                              .arg(prices));
            return 0;
        } catch (const std::exception &error) {
            return fail(QString::fromUtf8(error.what()));
        }
    }
    if (QFileInfo::exists(path))
        return fail(QStringLiteral("файл «%1» уже существует; он оставлен без изменений")
                        .arg(QDir::toNativeSeparators(path)));
    const QString problem = folderProblem(path);
    if (!problem.isEmpty())
        return fail(problem);

    try {
        if (demo)
            CatalogueGenerator::createDemo(path);
        else
            CatalogueSchema::create(path);
    } catch (const Error &error) {
        return fail(error.message());
    } catch (const std::exception &error) {
        return fail(QString::fromLocal8Bit(error.what()));
    }
    print(stdout,
          demo ? QStringLiteral("Создан каталог с демонстрационными данными: %1\n")
                     .arg(QDir::toNativeSeparators(path))
               : QStringLiteral("Создан пустой каталог: %1\n").arg(QDir::toNativeSeparators(path)));
    return 0;
}
