#include "CatalogueGenerator.h"
#include "CurrentFolder.h"
#include "GuiTestMain.h"
#include "ModalAnswers.h"

#include "UnitDM.h"
#include "app/Startup.h"
#include "reports/renderer/ReportPreview.h"
#include "ui/backup/BackupService.h"
#include "ui/backup/RestoreDialog.h"
#include "ui/goods/Unit_editTovars.h"
#include "ui/journal/JournalWindow.h"
#include "ui/labels/LabelDialog.h"
#include "ui/main/Unit_tr.h"
#include "ui/reference/Unit_Category.h"
#include "ui/reference/Unit_category_edit.h"
#include "ui/reference/Unit_country.h"
#include "ui/reference/Unit_country_edit.h"
#include "ui/reference/Unit_marka.h"
#include "ui/reference/Unit_marka_edit.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The user guide beside the program: its pages copied from DOCS/ and their
// pictures taken from the real windows over the demo catalogue, so that the
// pictures show the program as it is. Writes build/DOCS, which the package
// installs.
class TestGuide : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void picturesOfEveryWindow();
    void everyPageFindsItsPicturesAndPages();

private:
    void save(QWidget *window, const QString &name);
    // Opens a reference list, pictures it and its edit dialog, closes both.
    void referenceList(QAction *open, QWidget *list, QWidget *dialog, const QString &listName,
                       const QString &dialogName);

    QTemporaryDir folder_;
    std::unique_ptr<CurrentFolder> inFolder_;
    QDir out_{QStringLiteral(AUTOPARTS_GUIDE_OUT)};
    QStringList saved_;
};

void TestGuide::initTestCase()
{
    // The labels' dialog remembers its choice: the picture shows the first one.
    QStandardPaths::setTestModeEnabled(true);
    QSettings(QStringLiteral("autoparts"), QStringLiteral("autoparts")).clear();
    CatalogueGenerator::createDemo(folder_.filePath(QStringLiteral("db.mdb")));
    inFolder_ = std::make_unique<CurrentFolder>(folder_.path());
    QVERIFY(out_.mkpath(QStringLiteral("images")));
    Startup::createComponents();
    Startup::showMainWindow();
    QVERIFY(DMAuto->isOpen());
}

void TestGuide::cleanupTestCase()
{
    Startup::destroyComponents();
    inFolder_.reset();
}

void TestGuide::save(QWidget *window, const QString &name)
{
    const QString path = out_.filePath(QStringLiteral("images/%1.png").arg(name));
    QVERIFY2(window->grab().save(path), qPrintable(path));
    saved_ << name;
}

void TestGuide::referenceList(QAction *open, QWidget *list, QWidget *dialog,
                              const QString &listName, const QString &dialogName)
{
    ModalAnswers answers;
    answers.handle([&](QWidget *modal) {
        QCOMPARE(modal, list);
        save(list, listName);
        answers.handle([&](QWidget *edit) {
            QCOMPARE(edit, dialog);
            save(edit, dialogName);
            QTest::keyClick(edit, Qt::Key_Escape);
        });
        QPushButton *add = list->findChild<QPushButton *>(); // the first: «Добавить»
        QVERIFY(add);
        QTest::mouseClick(add, Qt::LeftButton);
        QTest::keyClick(list, Qt::Key_Escape);
    });
    open->trigger();
    QVERIFY(answers.waitAllAnswered());
}

void TestGuide::picturesOfEveryWindow()
{
    DMAuto->tblAuto.First(); // a part with its photo
    QApplication::processEvents();
    QVERIFY(!frmMain->windowIcon().isNull());
    save(frmMain, QStringLiteral("main"));

    {
        ModalAnswers answers;
        answers.handle([&](QWidget *modal) {
            QCOMPARE(modal, frmTovarEdit);
            save(modal, QStringLiteral("editor"));
            QTest::mouseClick(frmTovarEdit->BitBtn2, Qt::LeftButton);
        });
        frmMain->mnuEdit->trigger();
        QVERIFY(answers.waitAllAnswered());
    }
    referenceList(frmMain->mnuCategory, frmCategory, frmCatEdit, QStringLiteral("categories"),
                  QStringLiteral("category-edit"));
    referenceList(frmMain->mnuMark, frmMarka, frmMarkaEdit, QStringLiteral("makes"),
                  QStringLiteral("make-edit"));
    referenceList(frmMain->mnuCountry, frmCountry, frmCountryEdit, QStringLiteral("countries"),
                  QStringLiteral("country-edit"));

    for (const auto &[command, name] : {std::pair{frmMain->mnuPrintAll, "print-list"},
                                        std::pair{frmMain->mnuPrintSelect, "print-card"}}) {
        ModalAnswers answers;
        answers.handle([&, name = name](QWidget *modal) {
            auto *preview = qobject_cast<ReportPreview *>(modal);
            QVERIFY(preview);
            QTRY_VERIFY(preview->productionFinished());
            preview->resize(900, 700);
            QApplication::processEvents();
            save(preview, QString::fromLatin1(name));
            QTest::keyClick(preview, Qt::Key_Escape);
        });
        command->trigger();
        QVERIFY(answers.waitAllAnswered(20000));
    }

    frmMain->Backups->copyNow();
    ModalAnswers answers;
    answers.handle([&](QWidget *modal) {
        QVERIFY(qobject_cast<RestoreDialog *>(modal));
        save(modal, QStringLiteral("restore"));
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    frmMain->mnuRestore->trigger();
    QVERIFY(answers.waitAllAnswered());

    // A change or two for the journal to show.
    DMAuto->tblAuto.First();
    for (const int count : {7, 5}) {
        DMAuto->tblAuto.Edit();
        DMAuto->tblAutocounts.setAsInteger(count);
        DMAuto->tblAuto.Post();
    }
    ModalAnswers journal;
    journal.handle([&](QWidget *modal) {
        QVERIFY(qobject_cast<JournalWindow *>(modal));
        save(modal, QStringLiteral("journal"));
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    frmMain->mnuJournal->trigger();
    QVERIFY(journal.waitAllAnswered());

    ModalAnswers labels;
    labels.handle([&](QWidget *modal) {
        QVERIFY(qobject_cast<LabelDialog *>(modal));
        save(modal, QStringLiteral("labels"));
        for (QPushButton *button : modal->findChildren<QPushButton *>())
            if (button->text() == QStringLiteral("Просмотр"))
                button->click();
    });
    labels.handle([&](QWidget *modal) {
        auto *preview = qobject_cast<ReportPreview *>(modal);
        QVERIFY(preview);
        QTRY_VERIFY(preview->productionFinished());
        preview->resize(900, 700);
        preview->zoomActual->trigger();
        QApplication::processEvents();
        save(preview, QStringLiteral("labels-preview"));
        QTest::keyClick(preview, Qt::Key_Escape);
    });
    frmMain->mnuLabels->trigger();
    QVERIFY(labels.waitAllAnswered(20000));
}

// Each page goes beside its pictures; each picture a page names was taken
// just now, and each page a page links to is there.
void TestGuide::everyPageFindsItsPicturesAndPages()
{
    const QDir pages(QStringLiteral(AUTOPARTS_GUIDE_PAGES));
    const QStringList files = pages.entryList({QStringLiteral("*.html"), QStringLiteral("*.css")});
    QVERIFY(files.contains(QStringLiteral("index.html")));
    static const QRegularExpression image(QStringLiteral("<img src=\"images/([a-z-]+)\\.png\""));
    static const QRegularExpression link(QStringLiteral("<a href=\"([a-z]+\\.html)\""));
    QStringList shown;
    for (const QString &file : files) {
        QFile::remove(out_.filePath(file));
        QVERIFY(QFile::copy(pages.filePath(file), out_.filePath(file)));
        QFile page(pages.filePath(file));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        for (const auto &match : image.globalMatch(html)) {
            const QString name = match.captured(1);
            QVERIFY2(saved_.contains(name), qPrintable(file + ": " + name));
            const QImage picture(out_.filePath(QStringLiteral("images/%1.png").arg(name)));
            QVERIFY2(picture.width() > 100 && picture.height() > 50, qPrintable(name));
            shown << name;
        }
        for (const auto &match : link.globalMatch(html))
            QVERIFY2(files.contains(match.captured(1)),
                     qPrintable(file + ": " + match.captured(1)));
    }
    // No picture is taken for nothing.
    for (const QString &name : std::as_const(saved_))
        QVERIFY2(shown.contains(name), qPrintable(name));
}

AUTOPARTS_GUI_TEST_MAIN(TestGuide)
#include "tst_guide.moc"
