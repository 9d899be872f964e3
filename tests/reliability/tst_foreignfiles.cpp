#include "CurrentFolder.h"
#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "TestCatalogue.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "ui/main/Unit_tr.h"
#include "ui/widgets/DBGrid.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

// A catalogue of several pages, as bytes.
QByteArray catalogueBytes()
{
    TestCatalogue catalogue;
    for (int i = 0; i < 40; ++i) {
        TestCatalogue::Goods g;
        g.tovName = QStringLiteral("Запчасть %1").arg(i);
        g.screenshots = QByteArray(900, char('a' + i % 26));
        catalogue.addGoods(g);
    }
    QFile file(catalogue.path());
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QByteArray randomBytes(int size)
{
    QRandomGenerator random(20240611);
    QByteArray bytes(size, '\0');
    for (char &c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

} // namespace

// A db.mdb that is not our catalogue: every start-up report says what the
// file is not, the main window opens empty, and the file keeps every byte.
class TestForeignFiles : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Startup::destroyComponents(); }
    void startUpLeavesTheFileAlone_data();
    void startUpLeavesTheFileAlone();
};

void TestForeignFiles::startUpLeavesTheFileAlone_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("says");

    const QString notOurs = QStringLiteral("не является базой данных каталога");
    const QString damaged = QStringLiteral("повреждён");
    const QByteArray catalogue = catalogueBytes();
    QVERIFY(catalogue.size() > 8 * 4096);
    QTest::newRow("random bytes") << randomBytes(8192) << notOurs;
    QTest::newRow("another program's database")
        << QByteArray("PGDMP\x01\x0e\x00\x04\x08\x01\x01", 12) + randomBytes(4000) << notOurs;
    QTest::newRow("our engine's signature, then garbage")
        << QByteArray("SQLite format 3", 16) + randomBytes(4080) << notOurs;
    QTest::newRow("catalogue cut to its header") << catalogue.left(100) << damaged;
    QTest::newRow("catalogue cut inside its first page") << catalogue.left(3000) << damaged;
    QTest::newRow("catalogue cut to its first pages") << catalogue.left(3 * 4096) << damaged;
    QTest::newRow("catalogue cut in half") << catalogue.left(catalogue.size() / 2 + 100) << damaged;
}

void TestForeignFiles::startUpLeavesTheFileAlone()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, says);

    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("db.mdb")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    ModalAnswers answers;
    for (int i = 0; i < 7; ++i)
        answers.press(QMessageBox::Ok);
    {
        CurrentFolder current(folder.path());
        Startup::createComponents();
        QCOMPARE(answers.boxes().size(), 6); // the connection, then each cursor
        Startup::showMainWindow();
    }
    QVERIFY(answers.waitAllAnswered());
    for (int i = 0; i < 6; ++i) {
        const QString &text = answers.boxes()[i].text;
        QVERIFY2(text.contains(says) && text.contains(QStringLiteral("«db.mdb»")),
                 qPrintable(text));
    }
    QVERIFY(frmMain->isVisible());
    QCOMPARE(frmMain->gridAuto->model()->rowCount(), 0);

    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("db.mdb")});
}

AUTOPARTS_GUI_TEST_MAIN(TestForeignFiles)
#include "tst_foreignfiles.moc"
