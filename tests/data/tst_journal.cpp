#include "CatalogueSchema.h"
#include "EngineTest.h"
#include "TestCatalogue.h"
#include "backup/BackupCopy.h"
#include "journal/Journal.h"
#include "journal/JournalQuery.h"
#include "journal/JournalText.h"
#include "journal/JournalUndo.h"
#include "journal/JournalWitness.h"
#include "recordset/Error.h"
#include "recordset/RowValues.h"
#include "recordset/RowWriter.h"
#include "recordset/Store.h"
#include "recordset/Transaction.h"

#include <QJsonArray>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <set>

namespace {

using G = CatalogueSchema::Goods;

// A catalogue with its journal and a store that writes as the program does,
// on a calendar the test sets.
struct Journaled
{
    TestCatalogue catalogue{TestCatalogue::engineOfTest()};
    std::unique_ptr<Store> store = catalogue.connect();
    QDateTime now = QDateTime(QDate(2026, 6, 1), QTime(12, 0), Qt::UTC);
    TableSchema goods = CatalogueSchema::goods();

    Journaled()
    {
        QVERIFY(Journal::prepare(*store));
        store->setWitness(std::make_shared<JournalWitness>(
            JournalWitness::Place{QStringLiteral("касса-1"), QStringLiteral("olga")},
            [this] { return now; }));
    }

    std::vector<JournalRecord> records(JournalQuery::Filter filter = {})
    {
        return JournalQuery(*store).page(filter, 0, 1000);
    }

    qint64 addGoods(const QString &name, qint64 count, const QByteArray &photo = {},
                    std::optional<qint64> category = {})
    {
        Transaction transaction(*store, QString::fromLatin1(Journal::Road::Editor));
        const qint64 key = RowWriter(*store).insert(goods, RowValues(goods)
                                                               .setText(G::Name, name)
                                                               .setText(G::Code, "A-" + name)
                                                               .setNumber(G::Count, count)
                                                               .setNumber(G::Price, 2895000)
                                                               .setNumber(G::Category, category)
                                                               .setBytes(G::Photo, photo)
                                                               .withoutKey());
        transaction.commit();
        return key;
    }

    void setCount(qint64 key, qint64 count, const char *road = Journal::Road::Editor)
    {
        Transaction transaction(*store, QString::fromLatin1(road));
        RowWriter(*store).update(goods, key, {G::Count}, {StoreValue{false, count, {}, {}}});
        transaction.commit();
    }

    void remove(qint64 key)
    {
        Transaction transaction(*store, QString::fromLatin1(Journal::Road::Grid));
        RowWriter(*store).remove(goods, key);
        transaction.commit();
    }

    QVariant goodsValue(const char *column, qint64 key)
    {
        return catalogue.query(
            QByteArray("SELECT ").append(column).append(" FROM tovars WHERE auto_id = ?"), {key});
    }
};

} // namespace

// The journal is filled by the store itself: every change of the program
// and of any other program has exactly one record, written with it.
class TestJournal : public EngineTest
{
    Q_OBJECT

private slots:
    void eachWriteLeavesOneRecord();
    void refusedWriteLeavesNone();
    void otherProgramsChangesAreRecorded();
    void twoWorkstationsAreBothRecorded();
    void deletedRowComesBackWithItsPhotoAndKey();
    void changedSinceIsAskedNotOverwritten();
    void operationIsUndoneAsOne();
    void restoreIsRecordedAndUndoneAsOne();
    void pagesWalkNewestFirstThroughFilters();
    void oldRecordsArePruned();
    void wordsForAShop();
};

void TestJournal::eachWriteLeavesOneRecord()
{
    Journaled j;
    const QByteArray photo(3000, 'p');
    const qint64 key = j.addGoods(QStringLiteral("Фильтр масляный"), 10, photo);
    j.setCount(key, 8);
    j.setCount(key, 8); // writes nothing new: no record
    // A new name and a new photo in one post: one record of both.
    const QByteArray newPhoto(3000, 'q');
    {
        Transaction transaction(*j.store, QString::fromLatin1(Journal::Road::Editor));
        RowWriter(*j.store).update(j.goods, key, {G::Name, G::Photo},
                                   {StoreValue{false, 0, QStringLiteral("Фильтр маслянный"), {}},
                                    StoreValue{false, 0, {}, newPhoto}},
                                   [](const RowWriter::StoredRow &) {});
        transaction.commit();
    }
    const JournalRecord both = j.records().front();
    QCOMPARE(both.changes.keys(), (QStringList{"screenshots", "tovName"}));
    QCOMPARE(both.changes.value("screenshots").toArray(), (QJsonArray{3000, 3000}));
    QCOMPARE(both.digestBefore, JournalWitness::digest(photo));
    QCOMPARE(both.digestAfter, JournalWitness::digest(newPhoto));
    // Another program's new photo alone is seen as well.
    j.catalogue.query("UPDATE tovars SET screenshots = ? WHERE auto_id = ?",
                      {QByteArray(10, 'x'), key});
    QCOMPARE(j.records().front().changes.value("screenshots").toArray(), (QJsonArray{3000, 10}));
    QCOMPARE(j.records().front().road, QStringLiteral("other"));
    j.remove(key);
    auto records = j.records();
    QCOMPARE(records.size(), size_t(5));
    records.erase(records.begin() + 1, records.begin() + 3);

    const JournalRecord &added = records[2];
    QCOMPARE(added.kind, int(JournalSql::Added));
    QCOMPARE(added.road, QStringLiteral("editor"));
    QCOMPARE(added.computer, QStringLiteral("касса-1"));
    QCOMPARE(added.login, QStringLiteral("olga"));
    QCOMPARE(added.at, j.now);
    QCOMPARE(added.key, key);
    QCOMPARE(added.title, QStringLiteral("Фильтр масляный"));
    QCOMPARE(added.changes.value("counts").toDouble(), 10.0);
    QCOMPARE(added.changes.value("price").toDouble(), 289.5);
    QCOMPARE(added.changes.value("screenshots").toDouble(), 3000.0);
    QCOMPARE(added.digestAfter, JournalWitness::digest(photo));

    const JournalRecord &changed = records[1];
    QCOMPARE(changed.kind, int(JournalSql::Changed));
    QCOMPARE(changed.changes.keys(), QStringList{"counts"});
    QCOMPARE(changed.changes.value("counts").toArray(), (QJsonArray{10, 8}));
    QVERIFY(changed.operation > added.operation);

    const JournalRecord &deleted = records[0];
    QCOMPARE(deleted.kind, int(JournalSql::Deleted));
    QCOMPARE(deleted.road, QStringLiteral("grid"));
    QVERIFY(deleted.hasBlob);
    QCOMPARE(JournalQuery(*j.store).deletedBlob(deleted.id), QByteArray(10, 'x'));
}

void TestJournal::refusedWriteLeavesNone()
{
    Journaled j;
    const TableSchema categories = CatalogueSchema::categories();
    const auto add = [&](const QString &name) {
        Transaction transaction(*j.store, QString::fromLatin1(Journal::Road::Reference));
        RowWriter(*j.store).insert(
            categories,
            RowValues(categories).setText(CatalogueSchema::ReferenceName, name).withoutKey());
        transaction.commit();
    };
    add(QStringLiteral("Фильтры"));
    QVERIFY_THROWS_EXCEPTION(StoreError, add(QStringLiteral("Фильтры")));
    QCOMPARE(j.records().size(), size_t(1));
    // A post refused by its check writes neither.
    const qint64 key = j.addGoods(QStringLiteral("Свеча"), 4);
    {
        Transaction transaction(*j.store, QString::fromLatin1(Journal::Road::Editor));
        QVERIFY_THROWS_EXCEPTION(
            Error,
            RowWriter(*j.store).update(
                j.goods, key, {G::Count}, {StoreValue{false, 1, {}, {}}},
                [](const RowWriter::StoredRow &) { throw Error(QStringLiteral("конфликт")); }));
    }
    QCOMPARE(j.records().size(), size_t(2));
    QCOMPARE(j.goodsValue("counts", key).toInt(), 4);
}

void TestJournal::otherProgramsChangesAreRecorded()
{
    Journaled j;
    const qint64 key = j.addGoods(QStringLiteral("Ремень"), 5);
    // A second connection of another program: no session of ours.
    j.catalogue.query("UPDATE tovars SET counts = 7 WHERE auto_id = ?", {key});
    // And the engine's own shell, where the test machine has it.
    const bool server = j.catalogue.onServer();
    const QString shell = QStandardPaths::findExecutable(server ? "psql" : "sqlite3");
    if (!shell.isEmpty()) {
        QProcess process;
        const QString sql =
            QStringLiteral("UPDATE tovars SET price = 300 WHERE auto_id = %1;").arg(key);
        if (server)
            process.start(shell, {j.catalogue.path(), "-q", "-v", "ON_ERROR_STOP=1", "-c", sql});
        else
            process.start(shell, {j.catalogue.path(), sql});
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 0);
    }
    const auto records = j.records();
    QCOMPARE(records.size(), size_t(shell.isEmpty() ? 2 : 3));
    const JournalRecord &byQuery = records[shell.isEmpty() ? 0 : 1];
    QCOMPARE(byQuery.road, QStringLiteral("other"));
    QCOMPARE(byQuery.operation, qint64(0));
    QCOMPARE(byQuery.changes.value("counts").toArray(), (QJsonArray{5, 7}));
    if (!shell.isEmpty()) {
        QCOMPARE(records[0].road, QStringLiteral("other"));
        QCOMPARE(records[0].changes.value("price").toArray().at(1).toDouble(), 300.0);
    }
    if (server)
        QVERIFY(!byQuery.role.isEmpty());
    // The program's own next write is its own again.
    j.setCount(key, 6);
    QCOMPARE(j.records().front().road, QStringLiteral("editor"));
}

void TestJournal::twoWorkstationsAreBothRecorded()
{
    Journaled j;
    const auto second = j.catalogue.connect();
    QVERIFY(Journal::prepare(*second)); // stands already: nothing to make
    second->setWitness(std::make_shared<JournalWitness>(
        JournalWitness::Place{QStringLiteral("склад"), QStringLiteral("ivan")}));
    const qint64 key = j.addGoods(QStringLiteral("Шрус"), 10);
    for (int n = 0; n < 3; ++n) {
        j.setCount(key, 20 + n);
        Transaction transaction(*second, QString::fromLatin1(Journal::Road::Editor));
        RowWriter(*second).update(j.goods, key, {G::Price},
                                  {StoreValue{false, 1000000 * (n + 1), {}, {}}});
        transaction.commit();
    }
    const auto records = j.records();
    QCOMPARE(records.size(), size_t(7));
    std::set<qint64> operations;
    for (size_t n = 0; n < 6; ++n) {
        const bool ivan = n % 2 == 0; // newest first: the second workstation wrote last
        QCOMPARE(records[n].computer, ivan ? QStringLiteral("склад") : QStringLiteral("касса-1"));
        QCOMPARE(records[n].changes.keys(), QStringList{ivan ? "price" : "counts"});
        operations.insert(records[n].operation);
    }
    QCOMPARE(operations.size(), size_t(6));
}

void TestJournal::deletedRowComesBackWithItsPhotoAndKey()
{
    Journaled j;
    const qint64 category = j.catalogue.addCategory(QStringLiteral("Фильтры"));
    QByteArray photo;
    for (int i = 0; i < 70000; ++i)
        photo += char(i * 7 % 251);
    const qint64 key = j.addGoods(QStringLiteral("Фильтр воздушный"), 3, photo, category);
    j.addGoods(QStringLiteral("Другой"), 1); // a later key, so the key cannot come back by chance
    j.remove(key);
    j.catalogue.query("DELETE FROM category WHERE cat_id = ?", {category});

    const auto deleted =
        j.records(JournalQuery::Filter{{}, {}, {}, JournalSql::Deleted, {}, "tovars", key, 0});
    QCOMPARE(deleted.size(), size_t(1));
    JournalUndo undo(*j.store, JournalText{});
    QVERIFY(undo.changedSince(deleted[0]).isEmpty());
    const auto result = undo.undo(deleted, false);
    QCOMPARE(result.undone, 1);
    QVERIFY(result.left.isEmpty());
    QCOMPARE(result.notes.size(), 1);
    QVERIFY2(result.notes[0].contains(QStringLiteral("«Фильтры»")), qPrintable(result.notes[0]));

    QCOMPARE(j.goodsValue("tovName", key).toString(), QStringLiteral("Фильтр воздушный"));
    QCOMPARE(j.goodsValue("screenshots", key).toByteArray(), photo);
    QCOMPARE(j.goodsValue("cat_id", key).toLongLong(), category);
    QCOMPARE(j.goodsValue("price", key).toDouble(), 289.5);
    // The undo is a change of its own, which can itself be undone.
    const JournalRecord back = j.records().front();
    QCOMPARE(back.road, QStringLiteral("undo"));
    QCOMPARE(back.kind, int(JournalSql::Added));
    QCOMPARE(back.operation, result.operation);
    QCOMPARE(undo.undo({back}, false).undone, 1);
    QVERIFY(j.goodsValue("tovName", key).isNull());
    // Undoing the delete again finds the key free again.
    QCOMPARE(undo.undo(deleted, false).undone, 1);
    // A key that is taken is never overwritten, even when insisted on.
    const auto again = undo.undo(deleted, true);
    QCOMPARE(again.undone, 0);
    QCOMPARE(again.left.size(), 1);
}

void TestJournal::changedSinceIsAskedNotOverwritten()
{
    Journaled j;
    const qint64 key = j.addGoods(QStringLiteral("Колодки"), 10);
    j.setCount(key, 8);
    const JournalRecord change = j.records().front();
    j.catalogue.query("UPDATE tovars SET counts = 5 WHERE auto_id = ?", {key});

    JournalUndo undo(*j.store, JournalText{});
    const QStringList since = undo.changedSince(change);
    QCOMPARE(since, QStringList{QStringLiteral("Количество: записано 8, сейчас 5")});
    const auto refused = undo.undo({change}, false);
    QCOMPARE(refused.undone, 0);
    QCOMPARE(refused.left.size(), 1);
    QCOMPARE(j.goodsValue("counts", key).toInt(), 5);
    QCOMPARE(j.records().size(), size_t(3)); // nothing written, nothing recorded

    QCOMPARE(undo.undo({change}, true).undone, 1);
    QCOMPARE(j.goodsValue("counts", key).toInt(), 10);
    // A row deleted since cannot be changed back.
    j.remove(key);
    const auto gone = undo.undo({change}, true);
    QCOMPARE(gone.undone, 0);
    QVERIFY(gone.left.value(0).contains(QStringLiteral("удалена после этого")));
}

void TestJournal::operationIsUndoneAsOne()
{
    Journaled j;
    const qint64 a = j.addGoods(QStringLiteral("Масло"), 1);
    const qint64 b = j.addGoods(QStringLiteral("Антифриз"), 2);
    const qint64 c = j.addGoods(QStringLiteral("Щётка"), 3);
    qint64 added = 0;
    {
        // One import: three changes and one new part, in one transaction.
        Transaction transaction(*j.store, QString::fromLatin1(Journal::Road::Import));
        RowWriter writer(*j.store);
        for (const qint64 key : {a, b, c})
            writer.update(j.goods, key, {G::Count}, {StoreValue{false, 100 + key, {}, {}}});
        added = writer.insert(
            j.goods, RowValues(j.goods).setText(G::Name, QStringLiteral("Новая")).withoutKey());
        transaction.commit();
    }
    {
        // The same part twice in one price list: two records, each with its before.
        Transaction transaction(*j.store, QString::fromLatin1(Journal::Road::Import));
        RowWriter writer(*j.store);
        writer.update(j.goods, a, {G::Count}, {StoreValue{false, 200, {}, {}}});
        writer.update(j.goods, a, {G::Count}, {StoreValue{false, 300, {}, {}}});
        transaction.commit();
    }
    const auto twice = JournalQuery(*j.store).operation(j.records().front().operation);
    QCOMPARE(twice.size(), size_t(2));
    QCOMPARE(twice[1].changes.value("counts").toArray(), (QJsonArray{double(100 + a), 200}));
    QCOMPARE(JournalUndo(*j.store, JournalText{}).undo(twice, false).undone, 2);
    QCOMPARE(j.goodsValue("counts", a).toLongLong(), 100 + a);
    j.setCount(c, 7); // changed since the import
    const qint64 operation =
        j.records().at(5).operation; // below the change, the undo and the twice
    const auto records = JournalQuery(*j.store).operation(operation);
    QCOMPARE(records.size(), size_t(4));

    JournalUndo undo(*j.store, JournalText{});
    const auto result = undo.undo(records, false);
    QCOMPARE(result.undone, 3);
    QCOMPARE(result.left.size(), 1);
    QVERIFY2(result.left[0].contains(QStringLiteral("Щётка")), qPrintable(result.left[0]));
    QCOMPARE(j.goodsValue("counts", a).toInt(), 1);
    QCOMPARE(j.goodsValue("counts", b).toInt(), 2);
    QCOMPARE(j.goodsValue("counts", c).toInt(), 7);
    QVERIFY(j.goodsValue("tovName", added).isNull());
    // Undoing the undo puts the import back as it was.
    const auto back = undo.undo(JournalQuery(*j.store).operation(result.operation), false);
    QCOMPARE(back.undone, 3);
    QCOMPARE(j.goodsValue("counts", a).toLongLong(), 100 + a);
    QCOMPARE(j.goodsValue("tovName", added).toString(), QStringLiteral("Новая"));
}

void TestJournal::restoreIsRecordedAndUndoneAsOne()
{
    Journaled j;
    if (j.catalogue.onServer())
        QSKIP("copies are made of the catalogue file only");
    const QByteArray photo(5000, 'f');
    const qint64 kept = j.addGoods(QStringLiteral("Останется"), 1);
    const qint64 gone = j.addGoods(QStringLiteral("Будет удалена"), 2, photo);
    const QString copy = j.catalogue.folder() + QStringLiteral("/copy.mdb");
    BackupCopy::make(j.catalogue.path(), copy);
    j.setCount(kept, 9);
    j.remove(gone);
    const qint64 later = j.addGoods(QStringLiteral("Новая после копии"), 3);
    const size_t before = j.records().size();

    BackupCopy::restore(copy, j.catalogue.path());
    QCOMPARE(j.goodsValue("counts", kept).toInt(), 1);
    QCOMPARE(j.goodsValue("screenshots", gone).toByteArray(), photo);
    QVERIFY(j.goodsValue("tovName", later).isNull());
    // The journal kept its records since the copy and recorded the restore
    // as one operation of three changes.
    const auto records = j.records();
    QCOMPARE(records.size(), before + 3);
    QCOMPARE(records.front().road, QStringLiteral("restore"));
    const auto restore = JournalQuery(*j.store).operation(records.front().operation);
    QCOMPARE(restore.size(), size_t(3));

    const auto result = JournalUndo(*j.store, JournalText{}).undo(restore, false);
    QCOMPARE(result.undone, 3);
    QCOMPARE(j.goodsValue("counts", kept).toInt(), 9);
    QVERIFY(j.goodsValue("tovName", gone).isNull());
    QCOMPARE(j.goodsValue("tovName", later).toString(), QStringLiteral("Новая после копии"));
}

void TestJournal::pagesWalkNewestFirstThroughFilters()
{
    Journaled j;
    std::vector<qint64> keys;
    for (int day = 0; day < 25; ++day) {
        j.now = QDateTime(QDate(2026, 3, 1).addDays(day), QTime(10, 0));
        keys.push_back(j.addGoods(day % 2 ? QStringLiteral("Фильтр %1").arg(day)
                                          : QStringLiteral("Лампа %1").arg(day),
                                  day));
    }
    JournalQuery query(*j.store);
    std::vector<qint64> seen;
    qint64 below = 0;
    for (;;) {
        const auto page = query.page({}, below, 10);
        for (const JournalRecord &record : page)
            seen.push_back(record.key);
        if (page.size() < 10)
            break;
        below = page.back().id;
    }
    QCOMPARE(seen, std::vector<qint64>(keys.rbegin(), keys.rend()));

    JournalQuery::Filter filter;
    filter.text = QStringLiteral("фильтр"); // typed in small letters
    QCOMPARE(query.page(filter, 0, 100).size(), size_t(12));
    // A change keeps no name of its own: it is found and shown by the row's
    // name as it stands, and by an old name among its changes.
    j.setCount(keys[1], 100);
    QCOMPARE(query.page(filter, 0, 100).size(), size_t(13));
    QCOMPARE(query.page({}, 0, 1).front().title, QStringLiteral("Фильтр 1"));
    {
        Transaction transaction(*j.store, QString::fromLatin1(Journal::Road::Editor));
        RowWriter(*j.store).update(j.goods, keys[0], {G::Name},
                                   {StoreValue{false, 0, QStringLiteral("Фара"), {}}});
        transaction.commit();
    }
    JournalQuery::Filter renamed;
    renamed.text = QStringLiteral("лампа 0");
    QCOMPARE(query.page(renamed, 0, 100).size(), size_t(2)); // added as a lamp, then renamed
    renamed.text = QStringLiteral("фара");
    QCOMPARE(query.page(renamed, 0, 100).size(), size_t(2)); // both, by the name it has now
    filter.from = QDate(2026, 3, 10);
    filter.to = QDate(2026, 3, 12);
    const auto period = query.page(filter, 0, 100);
    // The 10th and the 12th (days 9 and 11); the 11th's part is a lamp.
    QCOMPARE(period.size(), size_t(2));
    QCOMPARE(period[0].title, QStringLiteral("Фильтр 11"));
    QCOMPARE(period[1].title, QStringLiteral("Фильтр 9"));
    filter = {};
    filter.text = QString::number(keys[3]); // a goods code, found by key as well as in names
    const auto byCode = query.page(filter, 0, 100);
    QVERIFY(std::any_of(byCode.begin(), byCode.end(),
                        [&](const JournalRecord &record) { return record.key == keys[3]; }));
    filter = {};
    filter.kind = JournalSql::Deleted;
    QVERIFY(query.page(filter, 0, 100).empty());
    filter = {};
    filter.computer = QStringLiteral("касса-2");
    QVERIFY(query.page(filter, 0, 100).empty());
}

void TestJournal::oldRecordsArePruned()
{
    Journaled j;
    const QDateTime today(QDate(2027, 6, 1), QTime(9, 0), Qt::UTC);
    for (const int daysAgo : {400, 366, 364, 10, 0}) {
        j.now = today.addDays(-daysAgo);
        j.addGoods(QStringLiteral("День %1").arg(daysAgo), daysAgo);
    }
    const QDateTime limit = today.addDays(-Journal::KeepDays);
    int removed = 0;
    for (int batch; (batch = Journal::prune(*j.store, limit, 1)) > 0;)
        removed += batch;
    QCOMPARE(removed, 2);
    const auto kept = j.records();
    QCOMPARE(kept.size(), size_t(3));
    QCOMPARE(kept.back().title, QStringLiteral("День 364"));
    // The rows themselves stay.
    QCOMPARE(j.catalogue.count("tovars"), 5);
}

void TestJournal::wordsForAShop()
{
    Journaled j;
    const qint64 oils = j.catalogue.addCategory(QStringLiteral("Масла"));
    const qint64 key = j.addGoods(QStringLiteral("Фильтр масляный"), 10);
    j.setCount(key, 8);
    {
        Transaction transaction(*j.store, QString::fromLatin1(Journal::Road::Import));
        RowWriter(*j.store).update(
            j.goods, key, {G::Price, G::Category},
            {StoreValue{false, 3100000, {}, {}}, StoreValue{false, oils, {}, {}}});
        transaction.commit();
    }
    j.remove(key);
    const JournalText text([&](const QString &table, qint64 id) {
        return table == QLatin1String("category") && id == oils ? QStringLiteral("Масла")
                                                                : QString();
    });
    const auto records = j.records();
    QCOMPARE(text.what(records[0]),
             QStringLiteral("удалена запчасть %1 «Фильтр масляный»").arg(key));
    QCOMPARE(text.what(records[1]),
             QStringLiteral("Категория: пусто → Масла; Цена: 289,50 → 310,00"));
    QCOMPARE(text.what(records[2]), QStringLiteral("Количество: 10 → 8"));
    QCOMPARE(text.details(records[0]),
             QStringLiteral("Артикул: A-Фильтр масляный; Категория: Масла; Количество: 8; "
                            "Цена: 310,00"));
    QCOMPARE(JournalText::road(records[1].road), QStringLiteral("прайс-лист"));
}

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
