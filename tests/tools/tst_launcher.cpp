#include "CatalogueFolder.h"
#include "FirstStart.h"
#include "GuiTestMain.h"
#include "JetTestCatalogue.h"
#include "ModalAnswers.h"

#include "CatalogueSchema.h"
#include "UnitDM.h"
#include "recordset/Connection.h"
#include "recordset/Statement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A home of the test's own, with nothing of the user's in it.
QProcessEnvironment homeIn(const QString &home)
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

int goodsIn(const QString &folder)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    int goods = -1;
    {
        TDMAuto dm([](const std::exception &) {});
        if (dm.tblAuto.isOpen())
            goods = dm.tblAuto.RecordCount();
    }
    QDir::setCurrent(previous);
    return goods;
}

} // namespace

// What the desktop menu starts: the catalogue folder in the user's
// documents, made with its catalogue on the first start only.
class TestLauncher : public QObject
{
    Q_OBJECT
private slots:
    void folderFollowsTheUsersDocuments();
    void firstStartMakesTheCatalogueAndLaterStartsReuseIt_data();
    void firstStartMakesTheCatalogueAndLaterStartsReuseIt();
    void givingUpMakesNothing();
    void aServerCatalogueNeedsNoFile();
    void theDialogOffersEveryStart();
    void bringsTheShopsCatalogue_data();
    void bringsTheShopsCatalogue();
};

void TestLauncher::bringsTheShopsCatalogue_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("goods");
    QTest::addColumn<QString>("told");
    QTest::newRow("a Jet catalogue") << "jet" << 25 << "Перенесено товаров: 25 (с фотографией: 5)";
    QTest::newRow("one of ours") << "ours" << 3 << "скопирован";
    QTest::newRow("neither") << "text" << -1 << "не является каталогом запчастей";
    QTest::newRow("a damaged Jet file") << "damaged" << -1 << "повреждён";
    QTest::newRow("given up in the file dialog") << "" << -1 << "";
}

void TestLauncher::bringsTheShopsCatalogue()
{
    QFETCH(QString, kind);
    QFETCH(int, goods);
    QFETCH(QString, told);
    QTemporaryDir home;
    QTemporaryDir elsewhere;
    QString source;
    if (!kind.isEmpty())
        source = elsewhere.filePath(QStringLiteral("db.mdb"));
    if (kind == QLatin1String("jet") || kind == QLatin1String("damaged")) {
        QByteArray bytes = JetTestWriter::write(JetTestCatalogue::generated(25, 5, 2000, 9));
        if (kind == QLatin1String("damaged"))
            bytes.chop(10);
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    } else if (kind == QLatin1String("ours")) {
        CatalogueSchema::create(source);
        Connection connection(source);
        connection.open();
        for (int i = 0; i < 3; ++i)
            Statement(connection, "INSERT INTO tovars (tovName) VALUES ('Деталь')").step();
    } else if (kind == QLatin1String("text")) {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("name;price\nФильтр;100\n");
    }
    const QByteArray original = [&] {
        QFile file(source);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    QString failure;
    QString report;
    const std::optional<QString> folder = FirstStart::prepare(
        homeIn(home.path()), QStringLiteral(AUTOPARTS_NEWDB_PATH),
        [](const QString &) { return FirstStart::Choice::Bring; }, &failure,
        [&] { return source; }, &report);
    const QString catalogue = home.filePath(QStringLiteral("Автозапчасти/db.mdb"));
    QVERIFY2((goods >= 0 ? report : failure).contains(told), qPrintable(report + failure));
    if (goods < 0) {
        QCOMPARE(folder, std::nullopt);
        QVERIFY(!QFileInfo::exists(catalogue));
    } else {
        QVERIFY(folder);
        QCOMPARE(goodsIn(*folder), goods);
    }
    // The file brought is only ever read.
    QFile after(source);
    QCOMPARE(after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray(), original);
}

void TestLauncher::folderFollowsTheUsersDocuments()
{
    QTemporaryDir home;
    QProcessEnvironment environment = homeIn(home.path());
    QCOMPARE(CatalogueFolder::locate(environment), home.path() + QStringLiteral("/Автозапчасти"));

    // As the desktop's user-dirs file names the documents folder.
    QDir(home.path()).mkpath(QStringLiteral(".config"));
    QFile dirs(home.filePath(QStringLiteral(".config/user-dirs.dirs")));
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write("# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Рабочий стол\"\n"
               "XDG_DOCUMENTS_DIR=\"$HOME/Документы\"\n");
    dirs.close();
    QCOMPARE(CatalogueFolder::locate(environment),
             home.path() + QStringLiteral("/Документы/Автозапчасти"));

    // A documents folder set to the home itself means none.
    QVERIFY(dirs.open(QIODevice::WriteOnly | QIODevice::Truncate));
    dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
    dirs.close();
    QCOMPARE(CatalogueFolder::locate(environment), home.path() + QStringLiteral("/Автозапчасти"));

    // The variable wins over the file.
    environment.insert(QStringLiteral("XDG_DOCUMENTS_DIR"), home.filePath(QStringLiteral("Docs")));
    QCOMPARE(CatalogueFolder::locate(environment), home.path() + QStringLiteral("/Docs/Автозапчасти"));
}

void TestLauncher::firstStartMakesTheCatalogueAndLaterStartsReuseIt_data()
{
    QTest::addColumn<FirstStart::Choice>("choice");
    QTest::addColumn<bool>("withGoods");
    QTest::newRow("empty") << FirstStart::Choice::Empty << false;
    QTest::newRow("demo") << FirstStart::Choice::Demo << true;
}

void TestLauncher::firstStartMakesTheCatalogueAndLaterStartsReuseIt()
{
    QFETCH(FirstStart::Choice, choice);
    QFETCH(bool, withGoods);
    QTemporaryDir home;
    const QProcessEnvironment environment = homeIn(home.path());
    int asked = 0;
    const auto ask = [&](const QString &) {
        ++asked;
        return choice;
    };
    QString failure;
    const std::optional<QString> folder =
        FirstStart::prepare(environment, QStringLiteral(AUTOPARTS_NEWDB_PATH), ask, &failure);
    QVERIFY2(folder, qPrintable(failure));
    QCOMPARE(*folder, home.path() + QStringLiteral("/Автозапчасти"));
    QCOMPARE(asked, 1);
    const QString file = QDir(*folder).filePath(QStringLiteral("db.mdb"));
    QVERIFY(QFileInfo::exists(file));
    const int goods = goodsIn(*folder);
    QVERIFY(goods >= 0);
    QCOMPARE(goods > 0, withGoods);

    // The second start asks nothing and leaves the catalogue as it is.
    const QDateTime made = QFileInfo(file).lastModified();
    const qint64 size = QFileInfo(file).size();
    QCOMPARE(FirstStart::prepare(environment, QStringLiteral(AUTOPARTS_NEWDB_PATH), ask, &failure),
             folder);
    QCOMPARE(asked, 1);
    QCOMPARE(QFileInfo(file).lastModified(), made);
    QCOMPARE(QFileInfo(file).size(), size);
}

void TestLauncher::givingUpMakesNothing()
{
    QTemporaryDir home;
    QString failure;
    const auto cancel = [](const QString &) { return FirstStart::Choice::Cancel; };
    QCOMPARE(FirstStart::prepare(homeIn(home.path()), QStringLiteral(AUTOPARTS_NEWDB_PATH),
                                 cancel, &failure),
             std::nullopt);
    QVERIFY(failure.isEmpty());
    const QString folder = home.filePath(QStringLiteral("Автозапчасти"));
    QVERIFY(!QFileInfo::exists(folder)); // not even the folder

    // Nothing picked to bring over: the same.
    const auto bring = [](const QString &) { return FirstStart::Choice::Bring; };
    QCOMPARE(FirstStart::prepare(homeIn(home.path()), QStringLiteral(AUTOPARTS_NEWDB_PATH), bring,
                                 &failure, [] { return QString(); }),
             std::nullopt);
    QVERIFY(!QFileInfo::exists(folder));

    // A catalogue that cannot be made is told, not started, and its folder goes.
    const auto demo = [](const QString &) { return FirstStart::Choice::Demo; };
    QCOMPARE(FirstStart::prepare(homeIn(home.path()), home.filePath(QStringLiteral("no-such-tool")),
                                 demo, &failure),
             std::nullopt);
    QVERIFY2(failure.startsWith(QStringLiteral("Не удалось создать каталог")), qPrintable(failure));
    QVERIFY(!QFileInfo::exists(folder));

    // A folder the user had already is kept.
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(FirstStart::prepare(homeIn(home.path()), home.filePath(QStringLiteral("no-such-tool")),
                                 demo, &failure),
             std::nullopt);
    QVERIFY(QFileInfo(folder).isDir());
}

void TestLauncher::aServerCatalogueNeedsNoFile()
{
    QTemporaryDir home;
    QProcessEnvironment environment = homeIn(home.path());
    environment.insert(QStringLiteral("AUTOPARTS_DATABASE"), QStringLiteral("service=autoparts"));
    int asked = 0;
    QString failure;
    const std::optional<QString> folder = FirstStart::prepare(
        environment, QStringLiteral(AUTOPARTS_NEWDB_PATH),
        [&](const QString &) {
            ++asked;
            return FirstStart::Choice::Demo;
        },
        &failure);
    QVERIFY(folder);
    QCOMPARE(asked, 0);
    QVERIFY(!QFileInfo::exists(QDir(*folder).filePath(QStringLiteral("db.mdb"))));
}

void TestLauncher::theDialogOffersEveryStart()
{
    for (const auto &[button, choice] :
         {std::pair{"Пустой каталог", FirstStart::Choice::Empty},
          std::pair{"Демонстрационный каталог", FirstStart::Choice::Demo},
          std::pair{"Перенести каталог из другой программы…", FirstStart::Choice::Bring},
          std::pair{"Отмена", FirstStart::Choice::Cancel}}) {
        ModalAnswers answers;
        answers.pressText(QString::fromUtf8(button));
        QCOMPARE(FirstStart::askWithDialog(QStringLiteral("/home/shop/Документы/Автозапчасти")),
                 choice);
        QVERIFY(answers.waitAllAnswered());
        QCOMPARE(answers.boxes().size(), 1);
        QVERIFY(answers.boxes()[0].text.contains(QStringLiteral("/home/shop/Документы/Автозапчасти")));
        QCOMPARE(answers.boxes()[0].buttons.size(), 4);
    }
}

AUTOPARTS_GUI_TEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
