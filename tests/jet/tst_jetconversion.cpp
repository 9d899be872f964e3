#include "JetTestCatalogue.h"
#include "JetTestWriter.h"
#include "ReadOnlyFile.h"
#include "journal/JournalQuery.h"
#include "journal/JournalSql.h"
#include "journal/JournalText.h"

#include "CatalogueSchema.h"
#include "jet/JetCatalogue.h"
#include "jet/JetFile.h"
#include "jet/JetSignature.h"
#include "recordset/Connection.h"
#include "recordset/Error.h"
#include "recordset/Statement.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <climits>

namespace {

const QString Tovars = QStringLiteral("tovars");

QByteArray bitmap(int size, char fill)
{
    QByteArray bytes(size, fill);
    bytes[0] = 'B';
    bytes[1] = 'M';
    return bytes;
}

// The 8-byte graphic header some programs put before the bitmap.
QByteArray withGraphicHeader(const QByteArray &bmp)
{
    QByteArray header(8, '\0');
    header[0] = 1;
    header[3] = 1;
    const quint32 length = quint32(bmp.size());
    for (int i = 0; i < 4; ++i)
        header[4 + i] = char(length >> (8 * i));
    return header + bmp;
}

struct Goods
{
    qint64 key;
    QString code; // null: NULL
    std::optional<qint64> store;
    qint64 category;
    QString name;
    QString model;
    std::optional<qint64> count;
    std::optional<qint64> price; // ten-thousandths
    qint64 make;
    qint64 country;
    std::optional<QByteArray> photo;
    JetTextForm form = JetTextForm::Compressed;
    JetLongForm photoForm = JetLongForm::Auto;
};

JetCell optionalNumber(const std::optional<qint64> &value)
{
    return value ? JetCell::number(*value) : JetCell::null();
}

std::vector<JetCell> goodsRow(const Goods &g)
{
    const auto text = [&](const QString &s) {
        return s.isNull() ? JetCell::null() : JetCell::string(s, g.form);
    };
    return {JetCell::number(g.key),
            text(g.code),
            optionalNumber(g.store),
            JetCell::number(g.category),
            text(g.name),
            text(g.model),
            optionalNumber(g.count),
            g.price ? JetCell::currency(*g.price) : JetCell::null(),
            JetCell::number(g.make),
            JetCell::number(g.country),
            g.photo ? JetCell::blob(*g.photo, g.photoForm) : JetCell::null()};
}

// The goods of the shop's file used by most cases: both text forms, NULL
// and empty texts, key gaps, prices of every kind, photos kept each way.
std::vector<Goods> shopGoods(bool jet3)
{
    std::vector<Goods> goods = {
        {1, QStringLiteral("0451103079"), 12, 2, QStringLiteral("Oil filter MANN W712"),
         QStringLiteral("Golf IV"), 10, 2895000, 3, 1, std::nullopt},
        {2, QString(), std::nullopt, 5, QStringLiteral("Фильтр масляный"),
         QStringLiteral("ВАЗ 2108-2115"), 0, -125000, 7, 4, bitmap(300, 'a'),
         JetTextForm::Uncompressed, JetLongForm::Inline},
        {7, QStringLiteral(""), 3, 2, QStringLiteral("Колодки тормозные передние Ёж"), QString(""),
         INT_MAX, 12345, 3, 1, bitmap(jet3 ? 1500 : 3000, 'b'), JetTextForm::Compressed,
         JetLongForm::SinglePage},
        {40, QStringLiteral("X-1"), INT_MIN, 9, QStringLiteral("Свеча зажигания"), QString(),
         std::nullopt, std::nullopt, 99, 4, withGraphicHeader(bitmap(20000, 'c')),
         JetTextForm::Uncompressed, JetLongForm::Chained},
        {41, QStringLiteral("Z"), 1, 0, QStringLiteral("Ремень ГРМ"), QStringLiteral("Logan"), 5,
         99999999999990000, 0, 0, QByteArray(), JetTextForm::Compressed, JetLongForm::Auto},
    };
    if (!jet3)
        goods.push_back({42, QStringLiteral("E"), 1, 2, QStringLiteral("Brake pad 🚗 set"),
                         QStringLiteral("Ø"), 1, 10000, 3, 1, std::nullopt,
                         JetTextForm::Uncompressed});
    return goods;
}

JetFilePlan shopFile(JetFilePlan::Version version, const std::vector<Goods> &goods)
{
    JetFilePlan plan = JetTestCatalogue::empty(version);
    auto &categories = JetTestCatalogue::table(plan, QStringLiteral("category")).rows;
    categories = {JetTestCatalogue::reference(2, QStringLiteral("Фильтры")),
                  JetTestCatalogue::reference(5, QStringLiteral("Тормоза")),
                  JetTestCatalogue::reference(9, QStringLiteral("Фильтры")),
                  JetTestCatalogue::reference(12, QString(""))};
    JetTestCatalogue::table(plan, QStringLiteral("autotype")).rows = {
        JetTestCatalogue::reference(3, QStringLiteral("Volkswagen")),
        JetTestCatalogue::reference(7, QStringLiteral("ВАЗ"))};
    JetTestCatalogue::table(plan, QStringLiteral("country")).rows = {
        JetTestCatalogue::reference(1, QStringLiteral("Германия")),
        JetTestCatalogue::reference(4, QString())};
    JetTablePlan &tovars = JetTestCatalogue::table(plan, Tovars);
    for (const Goods &g : goods)
        tovars.rows.push_back(goodsRow(g));
    tovars.nextAutoNumber = 500;
    return plan;
}

QString write(const QTemporaryDir &dir, const QString &name, const JetFilePlan &plan)
{
    const QString path = dir.filePath(name);
    JetTestWriter::writeFile(path, plan);
    return path;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString errorOf(const std::function<void()> &work)
{
    try {
        work();
    } catch (const Error &error) {
        return error.message();
    }
    return QString();
}

} // namespace

class TestJetConversion : public QObject
{
    Q_OBJECT
private slots:
    void everyRowComesOverExactly_data();
    void everyRowComesOverExactly();
    void manyRepeatedNamesAllComeOverUnique();
    void movedAndDeletedRowsAreReadAsJetKeepsThem();
    void refusalsLeaveNothingBehind_data();
    void refusalsLeaveNothingBehind();
    void valuesOfAnotherTypeComeOverOnlyWithoutLoss();
    void replacingKeepsTheOriginalBeside();
    void aStoppedConversionWritesNothing();
    void aReadOnlyFolderIsTold();
    void damagedFilesAreRefusedNeverCrashOrHang();
};

void TestJetConversion::damagedFilesAreRefusedNeverCrashOrHang()
{
    // Bytes changed at random over every page but the header, as a bad disk
    // or an interrupted copy leaves them: each file either converts or is
    // refused with a message, and quickly.
    QTemporaryDir dir;
    const QByteArray sound =
        JetTestWriter::write(shopFile(JetFilePlan::Version::Jet4, shopGoods(false)));
    const int page = JetTestWriter::pageSize(JetFilePlan::Version::Jet4);
    QRandomGenerator random(20261210);
    const QString source = dir.filePath(QStringLiteral("old.mdb"));
    int refused = 0;
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < 500; ++round) {
        QByteArray damaged = sound;
        const int changes = 1 + int(random.bounded(40));
        for (int i = 0; i < changes; ++i)
            damaged[page + int(random.bounded(damaged.size() - page))] = char(random.bounded(256));
        QFile out(source);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(damaged);
        out.close();
        const QString target = dir.filePath(QStringLiteral("db-%1.mdb").arg(round));
        try {
            JetCatalogue::convertFile(source, target);
            QVERIFY(QFile::exists(target));
        } catch (const Error &error) {
            ++refused;
            QVERIFY(!error.message().isEmpty());
            QVERIFY(!QFile::exists(target));
        }
    }
    QVERIFY2(timer.elapsed() < 60000, "damaged files took too long");
    QVERIFY(refused > 0);
}

void TestJetConversion::everyRowComesOverExactly_data()
{
    QTest::addColumn<JetFilePlan::Version>("version");
    QTest::newRow("Access 2000") << JetFilePlan::Version::Jet4;
    QTest::newRow("Access 97, Windows-1251") << JetFilePlan::Version::Jet3;
}

void TestJetConversion::everyRowComesOverExactly()
{
    QFETCH(JetFilePlan::Version, version);
    const bool jet3 = version == JetFilePlan::Version::Jet3;
    QTemporaryDir dir;
    const std::vector<Goods> goods = shopGoods(jet3);
    JetFilePlan plan = shopFile(version, goods);
    // What the shop added is left, and said so.
    JetTablePlan &tovars = JetTestCatalogue::table(plan, Tovars);
    tovars.columns.push_back({QStringLiteral("supplier"), JetType::Text, 30});
    for (auto &row : tovars.rows)
        row.push_back(JetCell::string(QStringLiteral("ООО Ромашка")));
    JetTablePlan orders;
    orders.name = QStringLiteral("orders");
    orders.columns = {{QStringLiteral("id"), JetType::Long, 0, true}};
    orders.rows = {{JetCell::number(1)}};
    plan.tables.push_back(orders);
    const QString source = write(dir, QStringLiteral("old.mdb"), plan);
    const QByteArray original = contents(source);
    const QString target = dir.filePath(QStringLiteral("db.mdb"));

    const ConversionSummary summary = JetCatalogue::convertFile(source, target);
    QCOMPARE(contents(source), original);
    QCOMPARE(summary.goods, qint64(goods.size()));
    QCOMPARE(summary.photos, 3);
    QCOMPARE(summary.categories, 4);
    QCOMPARE(summary.makes, 2);
    QCOMPARE(summary.countries, 2);
    const QString text = summary.text();
    QVERIFY2(text.contains(QStringLiteral("категория с кодом 9 «Фильтры» переименована в "
                                          "«Фильтры (2)»: такое название уже есть у категории с "
                                          "кодом 2")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("товар с кодом 40 ссылается на марку с кодом 99")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("товар с кодом 40 ссылается на категорию с кодом 9")) ==
                 false,
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("поле «supplier» таблицы «tovars»")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("таблица «orders»")), qPrintable(text));

    Connection converted(target);
    converted.open();
    // The journal starts with the conversion: how many rows each table got,
    // and from where; the rows themselves were not recorded one by one.
    const auto loads = JournalQuery(converted).page({}, 0, 100);
    QCOMPARE(loads.size(), size_t(4));
    for (const JournalRecord &load : loads) {
        QCOMPARE(load.road, QStringLiteral("conversion"));
        QCOMPARE(load.kind, int(JournalSql::Loaded));
        QCOMPARE(load.title, QStringLiteral("old.mdb"));
    }
    QCOMPARE(loads.front().operation, loads.back().operation);
    QCOMPARE(JournalText().what(loads.front()),
             QStringLiteral("перенесены запчасти: %1 из «old.mdb»").arg(goods.size()));
    Statement rows(converted, "SELECT auto_id, codeTov, numSklad, cat_id, tovName, models, counts, "
                              "price, auto_type, country_id, screenshots FROM tovars "
                              "ORDER BY auto_id");
    for (const Goods &g : goods) {
        QVERIFY(rows.step());
        QCOMPARE(rows.integer(0), g.key);
        QCOMPARE(rows.isNull(1), g.code.isNull());
        QCOMPARE(rows.text(1), g.code);
        QCOMPARE(rows.isNull(2), !g.store);
        QCOMPARE(rows.integer(2), g.store.value_or(0));
        QCOMPARE(rows.integer(3), g.category);
        QCOMPARE(rows.text(4), g.name);
        QCOMPARE(rows.isNull(5), g.model.isNull());
        QCOMPARE(rows.text(5), g.model);
        QCOMPARE(rows.isNull(6), !g.count);
        QCOMPARE(rows.integer(6), g.count.value_or(0));
        QCOMPARE(rows.currency(7), g.price);
        QCOMPARE(rows.integer(8), g.make);
        QCOMPARE(rows.integer(9), g.country);
        QCOMPARE(rows.isNull(10), !g.photo);
        if (g.photo)
            QCOMPARE(rows.blob(10), *g.photo);
    }
    QVERIFY(!rows.step());

    Statement names(converted, "SELECT cat_id, catName FROM category ORDER BY cat_id");
    const QStringList expected = {QStringLiteral("Фильтры"), QStringLiteral("Тормоза"),
                                  QStringLiteral("Фильтры (2)"), QString("")};
    for (const QString &name : expected) {
        QVERIFY(names.step());
        QCOMPARE(names.text(1), name);
        QVERIFY(!names.isNull(1));
    }
    Statement nullCountry(converted, "SELECT country IS NULL FROM country WHERE country_id = 4");
    QVERIFY(nullCountry.step());
    QCOMPARE(nullCountry.integer(0), 1);

    // New rows never take a key in use, nor one the shop's file gave before.
    Statement sequence(converted, "SELECT name, seq FROM sqlite_sequence ORDER BY name");
    QMap<QString, qint64> next;
    while (sequence.step())
        next[sequence.text(0)] = sequence.integer(1);
    QVERIFY(next.value(Tovars) >= 500);
    QVERIFY(next.value(QStringLiteral("category")) >= 12);
    QVERIFY(next.value(QStringLiteral("autotype")) >= 7);
    for (const TableSchema &table : {CatalogueSchema::goods(), CatalogueSchema::categories(),
                                     CatalogueSchema::makes(), CatalogueSchema::countries()})
        table.verified(converted);
}

void TestJetConversion::manyRepeatedNamesAllComeOverUnique()
{
    // Forty makes of one name and a name already at the column's width.
    QTemporaryDir dir;
    JetFilePlan plan = shopFile(JetFilePlan::Version::Jet4, {});
    auto &makes = JetTestCatalogue::table(plan, QStringLiteral("autotype")).rows;
    makes.clear();
    const QString wide(50, QChar(u'Ш'));
    for (int i = 1; i <= 40; ++i)
        makes.push_back(JetTestCatalogue::reference(i, i % 2 ? QStringLiteral("ВАЗ") : wide));
    makes.push_back(JetTestCatalogue::reference(41, QStringLiteral("ВАЗ (2)")));
    const QString source = write(dir, QStringLiteral("old.mdb"), plan);
    const QString target = dir.filePath(QStringLiteral("db.mdb"));
    const ConversionSummary summary = JetCatalogue::convertFile(source, target);
    QCOMPARE(summary.decisions.size(), 1 + 19 + 19); // a category too, as in every shop file here
    QVERIFY(summary.text(5).endsWith(QStringLiteral("\n• и ещё 34")));
    QVERIFY(summary.text().contains(QStringLiteral("марка с кодом 3 «ВАЗ» переименована в «ВАЗ "
                                                   "(3)»")));
    Connection converted(target);
    converted.open();
    Statement names(converted, "SELECT count(DISTINCT name), count(*), max(length(name)) FROM "
                               "autotype");
    QVERIFY(names.step());
    QCOMPARE(names.integer(0), 41);
    QCOMPARE(names.integer(1), 41);
    QCOMPARE(names.integer(2), 50);
}

void TestJetConversion::movedAndDeletedRowsAreReadAsJetKeepsThem()
{
    QTemporaryDir dir;
    std::vector<Goods> goods;
    for (int i = 1; i <= 300; ++i)
        goods.push_back({i, QStringLiteral("C%1").arg(i), i, 2, QStringLiteral("Деталь %1").arg(i),
                         QStringLiteral("M"), i, i * 10000, 3, 1, std::nullopt});
    JetFilePlan plan = shopFile(JetFilePlan::Version::Jet4, goods);
    JetTablePlan &tovars = JetTestCatalogue::table(plan, Tovars);
    tovars.overflowRows = {0, 150, 299};
    tovars.deletedRows = 25;
    const QString source = write(dir, QStringLiteral("old.mdb"), plan);
    const QString target = dir.filePath(QStringLiteral("db.mdb"));
    QCOMPARE(JetCatalogue::convertFile(source, target).goods, 300);
    Connection converted(target);
    converted.open();
    Statement rows(converted, "SELECT auto_id, tovName FROM tovars ORDER BY auto_id");
    for (const Goods &g : goods) {
        QVERIFY(rows.step());
        QCOMPARE(rows.integer(0), g.key);
        QCOMPARE(rows.text(1), g.name);
    }
    QVERIFY(!rows.step());
}

void TestJetConversion::refusalsLeaveNothingBehind_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");

    const std::vector<Goods> goods = shopGoods(false);
    const QByteArray sound = JetTestWriter::write(shopFile(JetFilePlan::Version::Jet4, goods));
    const int page = JetTestWriter::pageSize(JetFilePlan::Version::Jet4);

    QTest::newRow("cut off within a page")
        << sound.left(sound.size() - 1000) << QStringLiteral("повреждён (файл обрезан)");
    QTest::newRow("cut off at a page")
        << sound.left(sound.size() - page) << QStringLiteral("повреждён");
    QByteArray garbage = sound;
    for (int i = page; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919) >> 3);
    QTest::newRow("every page after the first is garbage")
        << garbage << QStringLiteral("повреждён");
    QByteArray ace = sound;
    ace.replace(4, 15, "Standard ACE DB");
    QTest::newRow("an accdb") << ace << QStringLiteral("формат ACCDB");

    JetFilePlan plan = shopFile(JetFilePlan::Version::Jet4, goods);
    plan.password = QStringLiteral("магазин");
    QTest::newRow("a password") << JetTestWriter::write(plan) << QStringLiteral("защищена паролем");
    plan = shopFile(JetFilePlan::Version::Jet4, goods);
    plan.databaseKey = 0x5a17c3e1;
    QTest::newRow("encoded") << JetTestWriter::write(plan) << QStringLiteral("зашифрована");

    plan = shopFile(JetFilePlan::Version::Jet4, goods);
    JetTablePlan &tovars = JetTestCatalogue::table(plan, Tovars);
    const int price = JetTestCatalogue::column(tovars, QStringLiteral("price"));
    tovars.columns.erase(tovars.columns.begin() + price);
    for (auto &row : tovars.rows)
        row.erase(row.begin() + price);
    QTest::newRow("a column missing") << JetTestWriter::write(plan)
                                      << QStringLiteral("В таблице «tovars» файла «%1» нет поля "
                                                        "«price». Ничего не перенесено.");
    plan = shopFile(JetFilePlan::Version::Jet4, goods);
    plan.tables.erase(plan.tables.begin() + 2);
    QTest::newRow("a table missing")
        << JetTestWriter::write(plan) << QStringLiteral("нет таблицы «country»");
    plan = shopFile(JetFilePlan::Version::Jet4, goods);
    JetTablePlan &dated = JetTestCatalogue::table(plan, Tovars);
    dated.columns[size_t(price)].type = JetType::DateTime;
    for (auto &row : dated.rows)
        row[size_t(price)] = JetCell::realNumber(45000.5);
    QTest::newRow("a type that loses") << JetTestWriter::write(plan)
                                       << QStringLiteral("Поле «price» таблицы «tovars» файла "
                                                         "«%1» имеет тип «Дата/время»");
    plan = shopFile(JetFilePlan::Version::Jet4, goods);
    JetTablePlan &longNames = JetTestCatalogue::table(plan, Tovars);
    const int name = JetTestCatalogue::column(longNames, QStringLiteral("tovName"));
    longNames.columns[size_t(name)].size = 255;
    longNames.rows[1][size_t(name)] = JetCell::string(QString(101, QChar(u'Ж')));
    QTest::newRow("a name too long") << JetTestWriter::write(plan)
                                     << QStringLiteral("у товара с кодом 2 нельзя перенести без "
                                                       "потерь: оно длиннее 100 символов");
}

void TestJetConversion::refusalsLeaveNothingBehind()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("old.mdb"));
    QFile out(source);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(file);
    out.close();
    const QString target = dir.filePath(QStringLiteral("db.mdb"));
    const QString error = errorOf([&] { JetCatalogue::convertFile(source, target); });
    QVERIFY2(error.contains(message.contains(QStringLiteral("%1")) ? message.arg(source) : message),
             qPrintable(error));
    QCOMPARE(contents(source), file);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.mdb"});
}

void TestJetConversion::valuesOfAnotherTypeComeOverOnlyWithoutLoss()
{
    QTemporaryDir dir;
    const std::vector<Goods> goods = shopGoods(false);
    const auto withPrices = [&](JetType type, const std::vector<JetCell> &prices) {
        JetFilePlan plan = shopFile(JetFilePlan::Version::Jet4, goods);
        JetTablePlan &tovars = JetTestCatalogue::table(plan, Tovars);
        const int price = JetTestCatalogue::column(tovars, QStringLiteral("price"));
        tovars.columns[size_t(price)].type = type;
        const int count = JetTestCatalogue::column(tovars, QStringLiteral("counts"));
        tovars.columns[size_t(count)].type = JetType::Integer;
        for (size_t i = 0; i < tovars.rows.size(); ++i) {
            tovars.rows[i][size_t(price)] = prices[i % prices.size()];
            if (tovars.rows[i][size_t(count)].kind == JetCell::Kind::Integer)
                tovars.rows[i][size_t(count)] = JetCell::number(qint64(i) - 3);
        }
        return plan;
    };
    // Whole kopecks in a Double column, and 16-bit counts, come over exact.
    const QString good =
        write(dir, QStringLiteral("double.mdb"),
              withPrices(JetType::Double, {JetCell::realNumber(289.55), JetCell::realNumber(-0.01),
                                           JetCell::realNumber(1e9)}));
    const QString target = dir.filePath(QStringLiteral("db.mdb"));
    const ConversionSummary summary = JetCatalogue::convertFile(good, target);
    QVERIFY2(summary.text().contains(QStringLiteral("поле «price» таблицы «tovars» (тип "
                                                    "«Числовой (двойное с плавающей точкой)»)")),
             qPrintable(summary.text()));
    Connection converted(target);
    converted.open();
    Statement rows(converted, "SELECT price, counts FROM tovars ORDER BY auto_id");
    const qint64 expected[] = {2895500, -100, 10000000000000};
    for (size_t i = 0; i < goods.size(); ++i) {
        QVERIFY(rows.step());
        QCOMPARE(rows.currency(0), std::optional<qint64>(expected[i % 3]));
        if (!rows.isNull(1))
            QCOMPARE(rows.integer(1), qint64(i) - 3);
    }
    converted.close();

    // A fraction of a kopeck would be lost: refused, naming the row.
    const QString lossy = write(dir, QStringLiteral("lossy.mdb"),
                                withPrices(JetType::Double, {JetCell::realNumber(289.555)}));
    const QString error =
        errorOf([&] { JetCatalogue::convertFile(lossy, dir.filePath(QStringLiteral("x.mdb"))); });
    QVERIFY2(error.contains(QStringLiteral("Значение поля «price» (289.55500000000001) в таблице "
                                           "«tovars» у товара с кодом 1")),
             qPrintable(error));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.mdb"))));
}

void TestJetConversion::replacingKeepsTheOriginalBeside()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("db.mdb"));
    JetTestWriter::writeFile(catalogue, shopFile(JetFilePlan::Version::Jet4, shopGoods(false)));
    const QByteArray original = contents(catalogue);
    const QDate day(2026, 12, 10);
    // A copy of an earlier day's conversion is never overwritten.
    QFile earlier(dir.filePath(QStringLiteral("db-jet-2026-12-10.mdb")));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();

    QString kept;
    const ConversionSummary summary = JetCatalogue::replace(catalogue, &kept, {}, day);
    QCOMPARE(kept, dir.filePath(QStringLiteral("db-jet-2026-12-10-2.mdb")));
    QCOMPARE(contents(kept), original);
    QCOMPARE(contents(earlier.fileName()), QByteArray("earlier"));
    QCOMPARE(JetSignature::ofFile(catalogue), JetSignature::Kind::Other);
    Connection converted(catalogue);
    converted.open();
    Statement count(converted, "SELECT count(*) FROM tovars");
    QVERIFY(count.step());
    QCOMPARE(count.integer(0), summary.goods);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"db-jet-2026-12-10-2.mdb", "db-jet-2026-12-10.mdb", "db.mdb"}));
}

void TestJetConversion::aStoppedConversionWritesNothing()
{
    QTemporaryDir dir;
    std::vector<Goods> goods;
    for (int i = 1; i <= 2000; ++i)
        goods.push_back({i, QString(), 1, 2, QStringLiteral("Деталь"), QString(), 1, 10000, 3, 1,
                         std::nullopt});
    const QString catalogue = dir.filePath(QStringLiteral("db.mdb"));
    JetTestWriter::writeFile(catalogue, shopFile(JetFilePlan::Version::Jet4, goods));
    const QByteArray original = contents(catalogue);
    qint64 seen = 0;
    bool stopped = false;
    try {
        JetCatalogue::replace(catalogue, nullptr, [&](qint64 done, qint64 total) {
            seen = total;
            return done < 1000;
        });
    } catch (const ConversionCancelled &) {
        stopped = true;
    }
    QVERIFY(stopped);
    QCOMPARE(seen, 2000 + 4 + 2 + 2);
    QCOMPARE(contents(catalogue), original);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"db.mdb"});
}

void TestJetConversion::aReadOnlyFolderIsTold()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("db.mdb"));
    JetTestWriter::writeFile(catalogue, shopFile(JetFilePlan::Version::Jet4, shopGoods(false)));
    const QByteArray original = contents(catalogue);
    ReadOnlyFile readOnly(dir.path());
    if (!readOnly.effective())
        QSKIP("this file system lets the superuser write into a read-only folder");
    const QString error = errorOf([&] { JetCatalogue::replace(catalogue, nullptr); });
    QVERIFY2(error.startsWith(QStringLiteral("В папку «%1» нельзя записывать: каталог не "
                                             "перенесён. Файл «%2» не изменён.")
                                  .arg(dir.path(), catalogue)),
             qPrintable(error));
    QCOMPARE(contents(catalogue), original);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"db.mdb"});
}

QTEST_GUILESS_MAIN(TestJetConversion)
#include "tst_jetconversion.moc"
