// autoparts-newdb: makes a new catalogue file, empty or with demo data, or
// brings one made by an earlier version up to the present format. The
// program itself never creates its database.

#include "CatalogueGenerator.h"
#include "CatalogueSchema.h"
#include "CatalogueUpgrade.h"
#include "recordset/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <exception>
#include <memory>
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
    "Программа открывает каталог под именем db.mdb в текущей папке.\n"
    "Существующий файл не перезаписывается.\n";

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

    // The demo photos are drawn with fonts, which need the GUI side of Qt but
    // no display.
    std::unique_ptr<QCoreApplication> app;
    if (demo) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }

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
