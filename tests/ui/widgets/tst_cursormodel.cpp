#include "TestCatalogue.h"

#include "CatalogueSchema.h"
#include "recordset/Connection.h"
#include "recordset/Cursor.h"
#include "recordset/DataSource.h"
#include "ui/widgets/CursorModel.h"
#include "ui/widgets/DBGrid.h"

#include <QHeaderView>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

// The grid's model over a live cursor: every change of the cursor must reach
// the view as consistent model signals, checked by Qt's own model tester.
class TestCursorModel : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void showsTheViewWithoutCopyingIt();
    void followsEditsInsertsAndDeletes();
    void filterAndSortKeepTheColumns();

private:
    std::unique_ptr<TestCatalogue> catalogue_;
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<Cursor> cursor_;
    std::unique_ptr<DataSource> source_;
    std::unique_ptr<CursorModel> model_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

void TestCursorModel::init()
{
    catalogue_ = std::make_unique<TestCatalogue>();
    for (int i = 1; i <= 5; ++i)
        catalogue_->addGoods({i, {}, QStringLiteral("Деталь %1").arg(6 - i), {}, i * 10,
                              qint64(i) * 15000, {}, {}, {}, {}});
    connection_ = std::make_unique<Connection>(QStringLiteral("db.mdb"));
    cursor_ = std::make_unique<Cursor>(*connection_, CatalogueSchema::goods());
    cursor_->open();
    source_ = std::make_unique<DataSource>(cursor_.get());
    model_ = std::make_unique<CursorModel>();
    model_->setColumns({{QStringLiteral("auto_id"), QStringLiteral("Код"), 0, {}, true},
                        {QStringLiteral("tovName"), QStringLiteral("Наименование"), 0, {}, true},
                        {QStringLiteral("price"), QStringLiteral("Цена"), 0, {}, true}});
    tester_ = std::make_unique<QAbstractItemModelTester>(
        model_.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    model_->setSource(source_.get());
}

void TestCursorModel::cleanup()
{
    tester_.reset();
    model_.reset();
    source_.reset();
    cursor_.reset();
    connection_.reset();
    catalogue_.reset();
}

void TestCursorModel::showsTheViewWithoutCopyingIt()
{
    QCOMPARE(model_->rowCount(), 5);
    QCOMPARE(model_->columnCount(), 3);
    QCOMPARE(model_->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Наименование"));
    QCOMPARE(model_->index(0, 1).data().toString(), QStringLiteral("Деталь 5"));
    // A change in the cursor shows at once: the model holds no copy.
    cursor_->Edit();
    cursor_->FieldByName(QStringLiteral("tovName")).setAsString(QStringLiteral("Свеча"));
    QCOMPARE(model_->index(0, 1).data().toString(), QStringLiteral("Свеча"));
    cursor_->Cancel();
    QCOMPARE(model_->index(0, 1).data().toString(), QStringLiteral("Деталь 5"));
}

void TestCursorModel::followsEditsInsertsAndDeletes()
{
    QSignalSpy current(model_.get(), &CursorModel::currentRowChanged);
    cursor_->Append(); // the new row shows after the last one
    QCOMPARE(model_->rowCount(), 6);
    QCOMPARE(current.last().value(0).toInt(), 5);
    cursor_->Cancel();
    QCOMPARE(model_->rowCount(), 5);

    cursor_->Append();
    cursor_->FieldByName(QStringLiteral("tovName")).setAsString(QStringLiteral("Новая"));
    cursor_->Post();
    QCOMPARE(model_->rowCount(), 6);
    QCOMPARE(model_->index(5, 1).data().toString(), QStringLiteral("Новая"));
    QCOMPARE(model_->index(5, 0).data().toString(), QStringLiteral("6"));

    cursor_->moveTo(2);
    cursor_->Delete();
    QCOMPARE(model_->rowCount(), 5);
    QCOMPARE(model_->index(2, 0).data().toString(), QStringLiteral("4"));
    QCOMPARE(current.last().value(0).toInt(), 2);
}

void TestCursorModel::filterAndSortKeepTheColumns()
{
    // A grid over the same cursor: the user widens a column and moves another.
    DBGrid grid;
    grid.setColumns(model_->columns());
    grid.setDataSource(source_.get());
    grid.show();
    grid.setColumnWidth(1, 321);
    grid.horizontalHeader()->moveSection(2, 0);

    cursor_->setFilter(QStringLiteral("counts>='30'"));
    cursor_->setFiltered(true);
    QCOMPARE(model_->rowCount(), 3);
    cursor_->setSort(QStringLiteral("tovName"));
    QCOMPARE(model_->index(0, 1).data().toString(), QStringLiteral("Деталь 1"));
    cursor_->setFiltered(false);
    QCOMPARE(model_->rowCount(), 5);
    QCOMPARE(model_->index(0, 1).data().toString(), QStringLiteral("Деталь 1"));
    QCOMPARE(model_->index(4, 2).data().toString().remove(QLatin1Char(',')).remove(QLatin1Char('.')),
             QStringLiteral("150"));
    // The user's column widths and order survive a search and a sort.
    QCOMPARE(grid.columnWidth(1), 321);
    QCOMPARE(grid.horizontalHeader()->visualIndex(2), 0);
    QCOMPARE(grid.model()->rowCount(), 5);
    QCOMPARE(grid.currentIndex().row(), cursor_->currentRow());
}

QTEST_MAIN(TestCursorModel)
#include "tst_cursormodel.moc"
