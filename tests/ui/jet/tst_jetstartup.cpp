#include "CurrentFolder.h"
#include "GuiTestMain.h"
#include "JetTestCatalogue.h"
#include "ModalAnswers.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "ui/jet/ConversionProgress.h"
#include "ui/jet/JetStartup.h"
#include "ui/main/Unit_tr.h"
#include "ui/widgets/DBGrid.h"

#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>

namespace {

const QDate Day(2026, 12, 10);

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesIn(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The errors opening the catalogue reports, as the program shows them.
QStringList openingErrors()
{
    QStringList errors;
    TDMAuto dm(
        [&](const std::exception &error) { errors.append(QString::fromUtf8(error.what())); });
    return errors;
}

} // namespace

// Start-up with a shop's Jet catalogue as db.mdb: the question before the
// main window, the conversion on Yes, every file as it was on No.
class TestJetStartup : public QObject
{
    Q_OBJECT
private slots:
    void yesConvertsAndTheProgramShowsEveryRow();
    void noChangesNothing();
    void aDamagedFileIsToldAndKept();
    void aNewerAccessFileIsNotOffered();
    void theProgressDialogStopsTheWork();
};

void TestJetStartup::theProgressDialogStopsTheWork()
{
    // Work that goes on for a long time, unless it is told to stop.
    ModalAnswers answers;
    QString title;
    QString label;
    answers.handle([&](QWidget *modal) {
        auto *dialog = qobject_cast<QProgressDialog *>(modal);
        QVERIFY(dialog);
        title = dialog->windowTitle();
        label = dialog->labelText();
        for (QPushButton *button : dialog->findChildren<QPushButton *>())
            if (button->text() == QStringLiteral("Отмена"))
                button->click();
    });
    std::atomic<qint64> reached{0};
    bool stopped = false;
    try {
        ConversionProgress::run(nullptr, QStringLiteral("Перенос каталога «db.mdb»…"),
                                [&](const JetConversion::Progress &progress) {
                                    // About 20 s at most, should the button not stop it.
                                    for (qint64 row = 1; row < 20000; ++row) {
                                        if (!progress(row, 1000000))
                                            throw ConversionCancelled();
                                        reached = row;
                                        QThread::msleep(1);
                                    }
                                    return ConversionSummary();
                                });
    } catch (const ConversionCancelled &) {
        stopped = true;
    }
    QVERIFY(stopped);
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(title, QStringLiteral("Перенос каталога"));
    QCOMPARE(label, QStringLiteral("Перенос каталога «db.mdb»…"));
    QVERIFY(reached > 100);
}

void TestJetStartup::yesConvertsAndTheProgramShowsEveryRow()
{
    QTemporaryDir dir;
    CurrentFolder here(dir.path());
    JetTestWriter::writeFile(QStringLiteral("db.mdb"),
                             JetTestCatalogue::generated(120, 10, 5000, 7));
    const QByteArray original = contents(QStringLiteral("db.mdb"));

    ModalAnswers answers;
    answers.press(QMessageBox::Yes);
    answers.press(QMessageBox::Ok);
    JetStartup::offer(QStringLiteral("db.mdb"), Day);
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().size(), 2);
    const ModalAnswers::Box &question = answers.boxes()[0];
    QCOMPARE(question.caption, QStringLiteral("Перенос каталога"));
    QCOMPARE(question.buttons.size(), 2); // Yes and No, in the words of the locale
    QVERIFY2(question.text.contains(QStringLiteral("«db-jet-2026-12-10.mdb»")),
             qPrintable(question.text));
    const QString told = answers.boxes()[1].text;
    QVERIFY2(told.contains(QStringLiteral("Перенесено товаров: 120 (с фотографией: 12), "
                                          "категорий: 200, марок: 100, стран: 30.")),
             qPrintable(told));
    QCOMPARE(contents(QStringLiteral("db-jet-2026-12-10.mdb")), original);
    QCOMPARE(filesIn(dir), (QStringList{"db-jet-2026-12-10.mdb", "db.mdb"}));

    // Start-up goes on as usual, on the converted catalogue.
    ModalAnswers none;
    Startup::createComponents();
    Startup::showMainWindow();
    QVERIFY(DMAuto->isOpen());
    QCOMPARE(frmMain->gridAuto->model()->rowCount(), 120);
    QCOMPARE(DMAuto->tblAuto.RecordCount(), 120);
    QCOMPARE(DMAuto->tblCategory.RecordCount(), 200);
    QVERIFY(none.boxes().isEmpty());
    Startup::destroyComponents();
}

void TestJetStartup::noChangesNothing()
{
    QTemporaryDir dir;
    CurrentFolder here(dir.path());
    JetTestWriter::writeFile(QStringLiteral("db.mdb"), JetTestCatalogue::generated(10, 0, 0, 1));
    const QByteArray original = contents(QStringLiteral("db.mdb"));
    ModalAnswers answers;
    answers.press(QMessageBox::No);
    JetStartup::offer(QStringLiteral("db.mdb"), Day);
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().size(), 1);
    QCOMPARE(contents(QStringLiteral("db.mdb")), original);
    QCOMPARE(filesIn(dir), QStringList{"db.mdb"});
    // The catalogue then fails to open, and says why.
    const QStringList errors = openingErrors();
    QCOMPARE(errors.size(), 6);
    QVERIFY2(errors[0].contains(QStringLiteral("ещё не переведён в формат программы")),
             qPrintable(errors[0]));
}

void TestJetStartup::aDamagedFileIsToldAndKept()
{
    QTemporaryDir dir;
    CurrentFolder here(dir.path());
    QByteArray bytes = JetTestWriter::write(JetTestCatalogue::generated(10, 0, 0, 1));
    bytes.chop(100);
    QFile file(QStringLiteral("db.mdb"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    ModalAnswers answers;
    answers.press(QMessageBox::Yes);
    answers.press(QMessageBox::Ok);
    JetStartup::offer(QStringLiteral("db.mdb"), Day);
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(answers.boxes().size(), 2);
    QCOMPARE(answers.boxes()[1].icon, QMessageBox::Critical);
    QVERIFY2(answers.boxes()[1].text.contains(QStringLiteral("Файл «db.mdb» повреждён")),
             qPrintable(answers.boxes()[1].text));
    QCOMPARE(contents(QStringLiteral("db.mdb")), bytes);
    QCOMPARE(filesIn(dir), QStringList{"db.mdb"});
}

void TestJetStartup::aNewerAccessFileIsNotOffered()
{
    QTemporaryDir dir;
    CurrentFolder here(dir.path());
    QByteArray bytes = JetTestWriter::write(JetTestCatalogue::generated(1, 0, 0, 1));
    bytes.replace(4, 15, "Standard ACE DB");
    QFile file(QStringLiteral("db.mdb"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    ModalAnswers answers;
    JetStartup::offer(QStringLiteral("db.mdb"), Day);
    QVERIFY(answers.boxes().isEmpty());
    const QStringList errors = openingErrors();
    QVERIFY2(!errors.isEmpty() && errors[0].contains(QStringLiteral("(формат ACCDB)")),
             qPrintable(errors.join('\n')));
    QCOMPARE(contents(QStringLiteral("db.mdb")), bytes);
}

AUTOPARTS_GUI_TEST_MAIN(TestJetStartup)
#include "tst_jetstartup.moc"
