#include "FakeReportData.h"
#include "GuiTestMain.h"
#include "ModalAnswers.h"
#include "TestCatalogue.h"

#include "UnitDM.h"
#include "reports/Unit_report_all.h"
#include "reports/Unit_report_selected.h"
#include "reports/renderer/PageFile.h"
#include "reports/renderer/ReportPreview.h"
#include "reports/renderer/ReportPrinting.h"
#include "recordset/Error.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

namespace {

const QDateTime Shown(QDate(2024, 3, 5), QTime(14, 7, 9));
const QLocale Russian(QLocale::Russian, QLocale::Russia);

Report listReport(ReportData &data)
{
    Report report;
    report.definition = TfrmRepAll::definition();
    report.data = &data;
    report.clock = [] { return Shown; };
    report.locale = Russian;
    return report;
}

QToolButton *button(ReportPreview &preview, const QString &hint)
{
    for (QToolButton *b : preview.findChildren<QToolButton *>())
        if (b->toolTip() == hint && b->isVisible())
            return b;
    return nullptr;
}

QString statusText(ReportPreview &preview)
{
    QStringList texts;
    for (QLabel *label : preview.findChild<QStatusBar *>()->findChildren<QLabel *>())
        texts << label->text();
    return texts.join(QLatin1Char('|'));
}

void showActive(ReportPreview &preview)
{
    preview.show();
    QApplication::setActiveWindow(&preview);
    QVERIFY(QTest::qWaitForWindowActive(&preview));
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pdfPages(const QString &file)
{
    const QString info = run(QStringLiteral("pdfinfo"), {file});
    for (const QString &line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

QString pdfText(const QString &file)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
}

std::unique_ptr<QPrinter> pdfPrinter(const QString &file, const ReportPreview &preview)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    ReportPrinting::applyReportSettings(*printer, preview.pages());
    printer->setOutputFileName(file);
    return printer;
}

} // namespace

class TestReportPreview : public QObject
{
    Q_OBJECT
private slots:
    void toolbarHintsAndCaptions();
    void zoomButtonsAreOneGroup_data();
    void zoomButtonsAreOneGroup();
    void pageKeys_data();
    void pageKeys();
    void firstPageShowsWhileLaterOnesAreMade();
    void escClosesTheModalPreviewAndStopsProduction();
    void pointerTellsThatPagesAreBeingMade();
    void printProducesAnewForThePrinter_data();
    void printProducesAnewForThePrinter();
    void printingProgressCanBeCancelled_data();
    void printingProgressCanBeCancelled();
    void printWithoutAnyPrinterDoesNothing();
    void printerSetupOffersTheReportsPages();
    void exportToPdf();
    void exportAsksInRussian();
    void savedReportLoadsIntoAnotherPreview();
    void foreignFileIsRefusedAndChangesNothing();
    void reportFormsRunTheirPreviewOverTheGoodsCursor();
};

void TestReportPreview::toolbarHintsAndCaptions()
{
    FakeReportData data = FakeReportData::numbered(3);
    Report report = listReport(data);
    ReportPreview preview(report);
    preview.show();

    QStringList hints;
    for (QToolButton *b : preview.findChild<QToolBar *>()->findChildren<QToolButton *>())
        if (b->isVisible() && b->defaultAction())
            hints << b->toolTip();
    QCOMPARE(hints, (QStringList{"Zoom to fit", "100%", "Zoom to width", "First page",
                                 "Previous page", "Next page", "Last page", "Printer setup",
                                 "Print", "Save Report", "Load Report", "Экспорт в PDF"}));
    QCOMPARE(preview.closeButton->text(), QStringLiteral("&Close"));
    QCOMPARE(preview.windowTitle(), QStringLiteral("Список автозапчастей"));

    FakeReportData card = FakeReportData::numbered(1);
    Report cardReport = listReport(card);
    cardReport.definition = TfrmRepSelect::definition();
    ReportPreview cardPreview(cardReport);
    QCOMPARE(cardPreview.windowTitle(), QStringLiteral("Print Preview"));
}

void TestReportPreview::zoomButtonsAreOneGroup_data()
{
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("zoom");
    QTest::newRow("fit") << "Zoom to fit" << int(PageView::Zoom::Fit);
    QTest::newRow("100%") << "100%" << int(PageView::Zoom::Actual);
    QTest::newRow("width") << "Zoom to width" << int(PageView::Zoom::Width);
}

void TestReportPreview::zoomButtonsAreOneGroup()
{
    QFETCH(QString, hint);
    QFETCH(int, zoom);
    FakeReportData data = FakeReportData::numbered(3);
    Report report = listReport(data);
    ReportPreview preview(report);
    preview.resize(800, 600);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QVERIFY(button(preview, "Zoom to width")->isChecked()); // the state it opens in
    QTest::mouseClick(button(preview, "Zoom to fit"), Qt::LeftButton);
    QTest::mouseClick(button(preview, hint), Qt::LeftButton);

    int down = 0;
    for (const char *h : {"Zoom to fit", "100%", "Zoom to width"})
        down += button(preview, h)->isChecked() ? 1 : 0;
    QCOMPARE(down, 1);
    QVERIFY(button(preview, hint)->isChecked());
    QCOMPARE(int(preview.zoom()), zoom);

    const PageView *view = preview.view();
    const QSize room = view->viewport()->size() - QSize(2 * PageView::Gap, 2 * PageView::Gap);
    const double scale = view->scale();
    switch (PageView::Zoom(zoom)) {
    case PageView::Zoom::Fit:
        QVERIFY(2100 * scale <= room.width() + 0.5 && 2970 * scale <= room.height() + 0.5);
        QVERIFY(qAbs(2100 * scale - room.width()) < 1 || qAbs(2970 * scale - room.height()) < 1);
        break;
    case PageView::Zoom::Actual:
        QCOMPARE(scale, view->logicalDpiX() / 254.0);
        break;
    case PageView::Zoom::Width:
        QVERIFY(qAbs(2100 * scale - room.width()) < 1);
        break;
    }
}

void TestReportPreview::pageKeys_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("to");
    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("PgDn") << 0 << int(Qt::Key_PageDown) << none << 1;
    QTest::newRow("PgDn on the last page") << 3 << int(Qt::Key_PageDown) << none << 3;
    QTest::newRow("PgUp") << 2 << int(Qt::Key_PageUp) << none << 1;
    QTest::newRow("PgUp on the first page") << 0 << int(Qt::Key_PageUp) << none << 0;
    QTest::newRow("Home") << 3 << int(Qt::Key_Home) << none << 0;
    QTest::newRow("Ctrl+PgUp") << 2 << int(Qt::Key_PageUp) << ctrl << 0;
    QTest::newRow("End") << 0 << int(Qt::Key_End) << none << 3;
    QTest::newRow("Ctrl+PgDn") << 1 << int(Qt::Key_PageDown) << ctrl << 3;
}

void TestReportPreview::pageKeys()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, to);
    FakeReportData data = FakeReportData::numbered(22);
    Report report = listReport(data);
    ReportPreview preview(report);
    showActive(preview);
    QTRY_VERIFY(preview.productionFinished());
    QCOMPARE(preview.pageCount(), 4);
    preview.showPage(from);

    QTest::keyClick(preview.view(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(preview.currentPage(), to);
    QVERIFY(statusText(preview).contains(QStringLiteral("Страница %1 из 4").arg(to + 1)));
    QCOMPARE(button(preview, "First page")->isEnabled(), to > 0);
    QCOMPARE(button(preview, "Last page")->isEnabled(), to < 3);
}

void TestReportPreview::firstPageShowsWhileLaterOnesAreMade()
{
    FakeReportData data = FakeReportData::numbered(40000);
    Report report = listReport(data);
    ReportPreview preview(report);
    showActive(preview);
    QVERIFY(!button(preview, "Printer setup")->isEnabled());
    QVERIFY(!button(preview, "Print")->isEnabled());

    QTRY_VERIFY(preview.pageCount() >= 2);
    QVERIFY(!preview.productionFinished());
    QCOMPARE(preview.currentPage(), 0);
    QVERIFY(!button(preview, "Printer setup")->isEnabled());
    QVERIFY(!button(preview, "Print")->isEnabled());
    QTest::keyClick(preview.view(), Qt::Key_PageDown); // later pages are reachable already
    QCOMPARE(preview.currentPage(), 1);
    QVERIFY(statusText(preview).contains(QStringLiteral("Страница 2 из ")));

    QSignalSpy ended(&preview, &ReportPreview::productionEnded);
    QVERIFY(ended.wait(30000));
    QCOMPARE(preview.pageCount(), 5715);
    QVERIFY(button(preview, "Printer setup")->isEnabled());
    QVERIFY(button(preview, "Print")->isEnabled());
    QVERIFY(statusText(preview).contains(QStringLiteral("100%")));
    QCOMPARE(preview.currentPage(), 1);
}

void TestReportPreview::escClosesTheModalPreviewAndStopsProduction()
{
    // Enough rows that production cannot end before Esc, on a fast machine too.
    constexpr int Rows = 200000;
    FakeReportData data = FakeReportData::numbered(Rows);
    Report report = listReport(data);
    ModalAnswers answers;
    bool maximised = false;
    Qt::WindowModality modality = Qt::NonModal;
    answers.handle([&](QWidget *window) {
        maximised = window->isMaximized();
        modality = window->windowModality();
        QTest::keyClick(window, Qt::Key_Escape);
    });
    ReportPreview::showModal(report);

    QVERIFY(answers.waitAllAnswered());
    QVERIFY(maximised);
    QCOMPARE(modality, Qt::ApplicationModal);
    const int moves = data.moves;
    QTest::qWait(100);
    QCOMPARE(data.moves, moves); // nothing reads the rows once the call has returned
    QVERIFY(data.current() < Rows); // closed before the end: the rows stay where production was
}

namespace {

Qt::CursorShape pointer()
{
    const QCursor *cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

// Rows whose reading fails part of the way through.
class FailingData : public FakeReportData
{
public:
    explicit FailingData(FakeReportData rows) : FakeReportData(std::move(rows)) {}
    QString text(const QString &column) const override
    {
        if (current() >= 3000)
            throw Error(QStringLiteral("Таблица «tovars» не открыта: действие невозможно"));
        return FakeReportData::text(column);
    }
};

} // namespace

// The busy pointer until the first page is on screen, then the pointer of
// work going on until the last is made; the usual one once production ends,
// is stopped, or fails (before the error is told).
void TestReportPreview::pointerTellsThatPagesAreBeingMade()
{
    FakeReportData data = FakeReportData::numbered(40000);
    Report report = listReport(data);
    {
        ReportPreview preview(report);
        QCOMPARE(pointer(), Qt::WaitCursor);
        showActive(preview);
        QTRY_VERIFY(preview.pageCount() > 0);
        QVERIFY(!preview.productionFinished());
        QCOMPARE(pointer(), Qt::BusyCursor);
        QSignalSpy ended(&preview, &ReportPreview::productionEnded);
        QVERIFY(ended.wait(30000));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }
    {
        ReportPreview preview(report);
        showActive(preview);
        QTRY_VERIFY(preview.pageCount() > 0);
        preview.reject();
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    FailingData failing = FailingData(FakeReportData::numbered(40000));
    Report failingReport = listReport(failing);
    ModalAnswers answers;
    Qt::CursorShape overTheBox = Qt::WaitCursor;
    answers.handle([&](QWidget *box) {
        overTheBox = pointer();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    ReportPreview preview(failingReport);
    preview.show(); // the error box takes the focus as soon as it shows
    QVERIFY(answers.waitAllAnswered(30000));
    QCOMPARE(overTheBox, Qt::ArrowCursor);
    QVERIFY(preview.productionFinished());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestReportPreview::printProducesAnewForThePrinter_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("pages");
    QTest::newRow("all pages") << 0 << 0 << 4;
    QTest::newRow("pages 2 to 3") << 2 << 3 << 2;
    QTest::newRow("a range past the end") << 4 << 9 << 1;
}

void TestReportPreview::printProducesAnewForThePrinter()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, pages);
    FakeReportData data = FakeReportData::numbered(22);
    Report report = listReport(data);
    QDateTime now = Shown;
    report.clock = [&now] { return now; };
    ReportPreview preview(report);
    preview.show();
    QTRY_VERIFY(preview.productionFinished());

    now = Shown.addSecs(3600);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("printed.pdf"));
    auto printer = pdfPrinter(file, preview);
    if (from > 0) {
        printer->setPrintRange(QPrinter::PageRange);
        printer->setFromTo(from, to);
    }
    QVERIFY(preview.printTo(*printer));

    QCOMPARE(pdfPages(file), pages);
    const QString text = pdfText(file);
    QCOMPARE(text.contains(QStringLiteral("Товары магазина автозапчастей")), from <= 1);
    if (from <= 1) {
        QVERIFY(text.contains(QStringLiteral("05.03.2024 15:07:09"))); // the time of printing
        QVERIFY(!text.contains(QStringLiteral("14:07:09")));
    }
    QCOMPARE(data.current(), 22); // walked to the end again
}

void TestReportPreview::printingProgressCanBeCancelled_data()
{
    QTest::addColumn<int>("at"); // progress when Cancel is pressed: production is the first half
    QTest::newRow("while the pages are made anew") << 0;
    QTest::newRow("while they are printed") << 75;
}

void TestReportPreview::printingProgressCanBeCancelled()
{
    QFETCH(int, at);
    FakeReportData data = FakeReportData::numbered(20000);
    Report report = listReport(data);
    ReportPreview preview(report);
    showActive(preview);
    QTRY_VERIFY_WITH_TIMEOUT(preview.productionFinished(), 30000);

    ModalAnswers answers;
    QString caption;
    QStringList buttons;
    bool hasBar = false;
    int cancelledAt = -1;
    QTimer poll;
    answers.handle([&](QWidget *window) {
        caption = window->windowTitle();
        for (QPushButton *b : window->findChildren<QPushButton *>())
            buttons << b->text();
        hasBar = window->findChild<QProgressBar *>() != nullptr;
        auto *progress = qobject_cast<QProgressDialog *>(window);
        QObject::connect(&poll, &QTimer::timeout, progress, [&cancelledAt, progress, at] {
            if (progress->value() >= at && cancelledAt < 0) {
                cancelledAt = progress->value();
                progress->cancel();
            }
        });
        poll.start(1);
    });
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("cancelled.pdf"));
    auto printer = pdfPrinter(file, preview);
    QVERIFY(!preview.printTo(*printer));
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(caption, QStringLiteral("Printing progress"));
    QCOMPARE(buttons, QStringList{QStringLiteral("Cancel")});
    QVERIFY(hasBar);
    QVERIFY2(cancelledAt >= at && cancelledAt < 100, qPrintable(QString::number(cancelledAt)));
    QVERIFY(!QFile::exists(file)); // nothing half written is left
}

void TestReportPreview::printWithoutAnyPrinterDoesNothing()
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        QSKIP("a printer is installed here");
    FakeReportData data = FakeReportData::numbered(8);
    Report report = listReport(data);
    ReportPreview preview(report);
    showActive(preview);
    QTRY_VERIFY(preview.productionFinished());
    const int moves = data.moves;

    ModalAnswers answers;
    QTest::mouseClick(button(preview, "Print"), Qt::LeftButton);
    QTest::qWait(50);
    QCOMPARE(data.moves, moves); // nothing produced for a printer
    QVERIFY(answers.boxes().isEmpty());
    QVERIFY(!QApplication::activeModalWidget());
}

void TestReportPreview::printerSetupOffersTheReportsPages()
{
    FakeReportData data = FakeReportData::numbered(22);
    Report report = listReport(data);
    ReportPreview preview(report);
    showActive(preview);
    QTRY_VERIFY(preview.productionFinished());

    ModalAnswers answers;
    int first = 0;
    int last = 0;
    QString range;
    QString caption;
    answers.handle([&](QWidget *window) {
        auto *dialog = qobject_cast<QPrintDialog *>(window);
        QVERIFY(dialog);
        first = dialog->minPage();
        last = dialog->maxPage();
        auto *from = dialog->findChild<QSpinBox *>(QStringLiteral("from"));
        auto *to = dialog->findChild<QSpinBox *>(QStringLiteral("to"));
        if (from && to)
            range = QStringLiteral("%1-%2").arg(from->value()).arg(to->value());
        dialog->reject();
    });
    QTest::mouseClick(button(preview, "Printer setup"), Qt::LeftButton);
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(first, 1);
    QCOMPARE(last, 4);
    QCOMPARE(range, QStringLiteral("1-4")); // what the dialog offers: the whole report
    QVERIFY(answers.boxes().isEmpty());
}

void TestReportPreview::exportToPdf()
{
    TestCatalogue catalogue;
    for (int i = 1; i <= 8; ++i)
        catalogue.addGoods({i, {}, QStringLiteral("Деталь %1").arg(i), {}, i, {}, {}, {}, {}, {}});
    TDMAuto dm([](const std::exception &failure) { QFAIL(failure.what()); });
    TfrmRepAll form(dm.tblAuto);
    ReportPreview preview(form.repAll);
    preview.show();
    QTRY_VERIFY(preview.productionFinished());

    const QString file = catalogue.folder() + QStringLiteral("/список.pdf");
    preview.exportPdf(file);
    QCOMPARE(pdfPages(file), 2);
    QVERIFY(run(QStringLiteral("pdfinfo"), {file}).contains(QStringLiteral("(A4)")));
    const QString text = pdfText(file);
    QVERIFY(text.contains(QStringLiteral("Товары магазина автозапчастей")));
    QVERIFY(text.contains(QStringLiteral("Наименование:")));
    QVERIFY(text.contains(QStringLiteral("Деталь 8")));
}

void TestReportPreview::exportAsksInRussian()
{
    FakeReportData data = FakeReportData::numbered(3);
    Report report = listReport(data);
    ReportPreview preview(report);
    showActive(preview);
    QTRY_VERIFY(preview.productionFinished());
    ModalAnswers answers;
    QString title;
    QStringList filters;
    answers.handle([&](QWidget *window) {
        auto *dialog = qobject_cast<QFileDialog *>(window);
        QVERIFY(dialog);
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        dialog->reject();
    });
    QTest::mouseClick(button(preview, QStringLiteral("Экспорт в PDF")), Qt::LeftButton);
    QVERIFY(answers.waitAllAnswered());
    QCOMPARE(title, QStringLiteral("Экспорт в PDF"));
    QCOMPARE(filters, QStringList{QStringLiteral("Файлы PDF (*.pdf)")});
}

void TestReportPreview::savedReportLoadsIntoAnotherPreview()
{
    FakeReportData data = FakeReportData::numbered(8);
    Report report = listReport(data);
    ReportPreview saving(report);
    saving.show();
    QTRY_VERIFY(saving.productionFinished());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("list.apr"));
    saving.saveReport(file);

    FakeReportData card = FakeReportData::numbered(1);
    Report cardReport = listReport(card);
    cardReport.definition = TfrmRepSelect::definition();
    ReportPreview loading(cardReport);
    loading.show();
    QTRY_VERIFY(loading.productionFinished());
    loading.loadReport(file);

    QVERIFY(loading.pages() == saving.pages());
    QCOMPARE(loading.pageCount(), 2);
    QCOMPARE(loading.windowTitle(), QStringLiteral("Список автозапчастей"));
    QVERIFY(!button(loading, "Printer setup")->isEnabled());
    QVERIFY(button(loading, "Print")->isEnabled());
    // The loaded pages print as they are, without producing anything.
    const int moves = card.moves;
    auto printer = pdfPrinter(dir.filePath(QStringLiteral("loaded.pdf")), loading);
    QVERIFY(loading.printTo(*printer));
    QCOMPARE(pdfPages(dir.filePath(QStringLiteral("loaded.pdf"))), 2);
    QCOMPARE(card.moves, moves);
}

void TestReportPreview::foreignFileIsRefusedAndChangesNothing()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("picture.apr"));
    QFile foreign(file);
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.write("BM this is a bitmap, not pages");
    foreign.close();

    FakeReportData data = FakeReportData::numbered(8);
    Report report = listReport(data);
    ReportPreview preview(report);
    showActive(preview);
    QTRY_VERIFY(preview.productionFinished());
    const QByteArray before = PageFile::encode(preview.pages());

    ModalAnswers answers;
    answers.handle([&](QWidget *window) {
        auto *dialog = qobject_cast<QFileDialog *>(window);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Load Report"));
        // Typed, as the user does: selecting it would wait on the dialog's
        // reading of the folder, which runs on a thread of its own.
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(file);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    answers.press(QMessageBox::Ok);
    button(preview, "Load Report")->click();
    QVERIFY(answers.waitAllAnswered());

    QCOMPARE(answers.boxes().size(), 1);
    QCOMPARE(answers.boxes()[0].icon, QMessageBox::Critical);
    QCOMPARE(answers.boxes()[0].text,
             QStringLiteral("Не удалось загрузить отчёт из файла «%1».\nЭто не файл отчёта.")
                 .arg(file));
    QCOMPARE(PageFile::encode(preview.pages()), before);
    QCOMPARE(preview.windowTitle(), QStringLiteral("Список автозапчастей"));
    QVERIFY(button(preview, "Printer setup")->isEnabled());
}

void TestReportPreview::reportFormsRunTheirPreviewOverTheGoodsCursor()
{
    TestCatalogue catalogue;
    for (int i = 1; i <= 10; ++i)
        catalogue.addGoods({i, {}, QStringLiteral("Деталь %1").arg(i), {}, i, {}, {}, {}, {}, {}});
    TDMAuto dm([](const std::exception &failure) { QFAIL(failure.what()); });

    struct Seen
    {
        QString title;
        int pages = 0;
    };
    const auto closeWhenDone = [](Seen &seen) {
        return [&seen](QWidget *window) {
            auto *preview = qobject_cast<ReportPreview *>(window);
            QVERIFY(preview);
            QVERIFY(QTest::qWaitFor([preview] { return preview->productionFinished(); }));
            seen = {preview->windowTitle(), preview->pageCount()};
            preview->closeButton->click();
        };
    };
    ModalAnswers answers;
    Seen list, card;
    answers.handle(closeWhenDone(list));
    answers.handle(closeWhenDone(card));

    TfrmRepAll(dm.tblAuto).exec();
    QCOMPARE(list.title, QStringLiteral("Список автозапчастей"));
    QCOMPARE(list.pages, 2);
    QCOMPARE(dm.tblAuto.RecNo(), 10); // left on the last row

    dm.tblAuto.setFilter(QStringLiteral("auto_id='4'"));
    dm.tblAuto.setFiltered(true);
    TfrmRepSelect(dm.tblAuto).exec();
    QCOMPARE(card.title, QStringLiteral("Print Preview"));
    QCOMPARE(card.pages, 1);
    QVERIFY(answers.waitAllAnswered());
}

AUTOPARTS_GUI_TEST_MAIN(TestReportPreview)
#include "tst_reportpreview.moc"
