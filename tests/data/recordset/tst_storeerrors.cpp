#include "CatalogueSchema.h"
#include "EngineTest.h"
#include "ReadOnlyFile.h"
#include "TestCatalogue.h"
#include "recordset/Connection.h"
#include "recordset/Error.h"
#include "recordset/FileStore.h"
#include "recordset/RowStore.h"
#include "recordset/RowValues.h"
#include "recordset/server/ServerConnection.h"

#include <QFile>
#include <QTest>
#include <functional>

namespace {

using Kind = StoreError::Kind;

// The refusal that `action` throws; the test fails when it throws none.
std::optional<StoreError> refusalOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const StoreError &error) {
        return error;
    }
    return std::nullopt;
}

std::vector<StoreValue> named(const TableSchema &table, const QString &name)
{
    return RowValues(table).setText(CatalogueSchema::ReferenceName, name).withoutKey();
}

} // namespace

// A caller decides by the kind of a store's refusal, which must mean the same
// on the file and on the server; the engine's own code and words ride along.
class TestStoreErrors : public EngineTest
{
    Q_OBJECT

private slots:
    void repeatedNameIsAConstraint();
    void rowHeldByAnotherProgramIsBusy();
    void readOnlyStoreRefusesWrites();
    void unreachableServer();
    void fileOperationsTellTheirKind();
    void madeTablesPassBothChecks();
};

void TestStoreErrors::repeatedNameIsAConstraint()
{
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    catalogue.addCategory(QStringLiteral("Фильтры"));
    const auto store = catalogue.connect();
    const TableSchema categories = CatalogueSchema::categories();
    const auto error = refusalOf([&] { store->insert(categories, named(categories, "Фильтры")); });
    QVERIFY(error);
    QCOMPARE(error->kind(), Kind::Constraint);
    QVERIFY2(error->message().contains(QStringLiteral("«category»")) &&
                 error->message().contains(QStringLiteral("«catName»")),
             qPrintable(error->message()));
    QVERIFY(!error->engineCode().isEmpty() && !error->engineText().isEmpty());
    QCOMPARE(catalogue.count("category"), 1);
}

void TestStoreErrors::rowHeldByAnotherProgramIsBusy()
{
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    TestCatalogue::Goods goods;
    goods.tovName = QStringLiteral("Свеча");
    const qint64 key = catalogue.addGoods(goods);
    const TableSchema schema = CatalogueSchema::goods();
    const auto holder = catalogue.connect();
    const auto other = catalogue.connect();
    RowStore rows(schema);
    std::map<int, QByteArray> bytes;
    holder->begin();
    QVERIFY(holder->readRow(schema, key, {}, true, rows, bytes));
    const auto error = refusalOf([&] {
        other->begin();
        other->readRow(schema, key, {}, true, rows, bytes);
        other->update(schema, key, {CatalogueSchema::Count}, {StoreValue{false, 3, {}, {}}});
    });
    holder->rollback();
    QVERIFY(error);
    QCOMPARE(error->kind(), Kind::Busy);
    QVERIFY2(error->message().contains(QStringLiteral("занята другой программой")),
             qPrintable(error->message()));
}

void TestStoreErrors::readOnlyStoreRefusesWrites()
{
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    std::unique_ptr<Store> store;
    std::unique_ptr<ReadOnlyFile> readOnly;
    if (catalogue.onServer()) {
        QString target = catalogue.path();
        target.replace(QStringLiteral("options='"),
                       QStringLiteral("options='-c default_transaction_read_only=on "));
        store = std::make_unique<ServerConnection>(target);
    } else {
        readOnly = std::make_unique<ReadOnlyFile>(catalogue.path());
        if (!readOnly->effective())
            QSKIP("this file system lets the superuser write to a read-only file");
        store = catalogue.connect();
    }
    const TableSchema makes = CatalogueSchema::makes();
    const auto error = refusalOf([&] {
        store->begin();
        store->insert(makes, named(makes, "Лада"));
        store->commit();
    });
    QVERIFY(error);
    QCOMPARE(error->kind(), Kind::ReadOnly);
    QVERIFY2(error->message().contains(QStringLiteral("только для чтения")),
             qPrintable(error->message()));
}

void TestStoreErrors::unreachableServer()
{
    if (TestCatalogue::engineOfTest() == TestCatalogue::Engine::Server)
        QSKIP("needs no server: it is run once, with the file");
    ServerConnection nowhere(QStringLiteral("host=/nonexistent/socket/folder dbname=shop"));
    const auto error = refusalOf([&] { nowhere.open(); });
    QVERIFY(error);
    QCOMPARE(error->kind(), Kind::Unreachable);
    QVERIFY(!nowhere.isOpen());
}

void TestStoreErrors::fileOperationsTellTheirKind()
{
    if (TestCatalogue::engineOfTest() == TestCatalogue::Engine::Server)
        QSKIP("operations on a catalogue file");
    TestCatalogue catalogue;
    QDir folder(catalogue.folder());

    // A file that cannot be made leaves nothing behind.
    QVERIFY(folder.mkdir(QStringLiteral("closed")));
    {
        const ReadOnlyFile closed(folder.filePath(QStringLiteral("closed")));
        if (closed.effective()) {
            const QString made = folder.filePath(QStringLiteral("closed/new.mdb"));
            const auto error = refusalOf([&] { CatalogueSchema::create(made); });
            QVERIFY(error);
            QVERIFY2(error->kind() == Kind::Unreachable || error->kind() == Kind::Denied ||
                         error->kind() == Kind::ReadOnly,
                     qPrintable(error->message()));
            QVERIFY(!QFile::exists(made));
        }
    }

    // Another kind of file is told as damaged, by the copy and by the check.
    const QString text = folder.filePath(QStringLiteral("notes.mdb"));
    QFile notes(text);
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write(QByteArray(4096, 'x'));
    notes.close();
    const QString copy = folder.filePath(QStringLiteral("copy.mdb"));
    const auto damaged = refusalOf([&] { FileStore::copy(text, copy, true, 16); });
    QVERIFY(damaged);
    QCOMPARE(damaged->kind(), Kind::Damaged);
    QVERIFY(!FileStore::isSound(text));

    // A sound catalogue copies whole; a copy stopped between steps says so.
    TestCatalogue::Goods goods;
    goods.screenshots = QByteArray(64 * 1024, 'p'); // pages enough for several steps
    catalogue.addGoods(goods);
    QVERIFY(FileStore::isSound(catalogue.path()));
    QVERIFY(!FileStore::copy(catalogue.path(), copy, true, 1, [] { return false; }));
    QFile::remove(copy);
    QVERIFY(FileStore::copy(catalogue.path(), copy, true, 1));
    QCOMPARE(FileStore::quickCheck(copy), QStringLiteral("ok"));
    Connection copied(copy);
    copied.open();
    QCOMPARE(copied.readBlob(CatalogueSchema::goods(), CatalogueSchema::Photo, 1).value(),
             QByteArray(64 * 1024, 'p'));
}

void TestStoreErrors::madeTablesPassBothChecks()
{
    // Each engine's tables are made from the one description and read back
    // by its own check: names, types, widths and the labels a user knows.
    TestCatalogue catalogue(TestCatalogue::engineOfTest());
    const auto store = catalogue.connect();
    store->open();
    for (const TableSchema &declared : CatalogueSchema::tables()) {
        const TableSchema found = store->verified(declared);
        QCOMPARE(found.fieldCount(), declared.fieldCount());
        for (int i = 0; i < declared.fieldCount(); ++i) {
            QCOMPARE(found.field(i).size, declared.field(i).size);
            QVERIFY(!found.field(i).label.isEmpty());
        }
    }
    QCOMPARE(store->verified(CatalogueSchema::goods()).field(CatalogueSchema::Name).label,
             QStringLiteral("Наименование"));
    if (catalogue.onServer())
        return;
    // Other programs read the file's declared types: they stay as files
    // were always made, the key a row number, names unique.
    const QStringList expected = {
        "auto_id INTEGER 1",    "codeTov NVARCHAR(20) 0",  "numSklad INTEGER 0",
        "cat_id INTEGER 0",     "tovName NVARCHAR(100) 0", "models NVARCHAR(50) 0",
        "counts INTEGER 0",     "price DECIMAL(19,4) 0",   "auto_type INTEGER 0",
        "country_id INTEGER 0", "screenshots BLOB 0"};
    QCOMPARE(catalogue
                 .query("SELECT group_concat(name || ' ' || type || ' ' || pk, '|') FROM "
                        "pragma_table_info('tovars')")
                 .toString()
                 .split('|'),
             expected);
    QCOMPARE(catalogue
                 .query("SELECT count(*) FROM pragma_index_list('category') WHERE "
                        "\"unique\" AND origin = 'u'")
                 .toInt(),
             1);
    QCOMPARE(catalogue.query("SELECT count(*) FROM sqlite_master WHERE name = 'sqlite_sequence'")
                 .toInt(),
             1);
}

QTEST_GUILESS_MAIN(TestStoreErrors)
#include "tst_storeerrors.moc"
