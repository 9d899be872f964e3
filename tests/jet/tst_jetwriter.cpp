#include "LibMdbReader.h"

#include "JetTestWriter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <climits>
#include <functional>
#include <stdexcept>

using Version = JetFilePlan::Version;
using Cells = std::vector<JetCell>;
using FileChange = std::function<void(JetFilePlan &)>;
Q_DECLARE_METATYPE(Version)
Q_DECLARE_METATYPE(JetColumnPlan)
Q_DECLARE_METATYPE(Cells)
Q_DECLARE_METATYPE(FileChange)

namespace {

JetColumnPlan column(const QString &name, JetType type, int size = 0)
{
    JetColumnPlan c;
    c.name = name;
    c.type = type;
    c.size = size;
    return c;
}

JetTablePlan table(const QString &name, const std::vector<JetColumnPlan> &columns,
                   const std::vector<Cells> &rows = {})
{
    JetTablePlan t;
    t.name = name;
    t.columns = columns;
    t.rows = rows;
    return t;
}

JetFilePlan oneTable(Version version, const std::vector<JetColumnPlan> &columns,
                     const std::vector<Cells> &rows = {})
{
    JetFilePlan database;
    database.version = version;
    database.tables.push_back(table(QStringLiteral("t"), columns, rows));
    return database;
}

// Bytes that look like a photo: every value, zeros and line feeds among them.
QByteArray noise(int size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    quint32 x = seed * 2654435761u + 1;
    for (char &b : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = char(x >> 24);
    }
    return bytes;
}

const char *versionName(Version version)
{
    return version == Version::Jet3 ? "jet3" : "jet4";
}

} // namespace

class TestJetWriter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void files_data();
    void files();
    void schema_data();
    void schema();
    void values_data();
    void values();
    void textForms_data();
    void textForms();
    void nullsAndEmpties_data();
    void nullsAndEmpties();
    void longValues_data();
    void longValues();
    void rejects_data();
    void rejects();
    void deletedAndOverflowRows_data();
    void deletedAndOverflowRows();
    void header_data();
    void header();
    void autoNumbers_data();
    void autoNumbers();
    void wideTable_data();
    void wideTable();
    void rowLengths_data();
    void rowLengths();
    void bigTable_data();
    void bigTable();

private:
    QString write(const JetFilePlan &database);
    QString run(const QString &tool, const QStringList &arguments);
    // The rows mdb-export gives: '|' between cells, OLE in hex, dates in ISO form.
    QStringList exported(const QString &path, const QString &table = QStringLiteral("t"));
    void addVersionRows();

    QTemporaryDir m_dir;
    int m_files = 0;
};

void TestJetWriter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const char *tool : {"mdb-ver", "mdb-tables", "mdb-schema", "mdb-export", "mdb-count"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
}

QString TestJetWriter::write(const JetFilePlan &database)
{
    const QString path = m_dir.filePath(QStringLiteral("file%1.mdb").arg(++m_files));
    JetTestWriter::writeFile(path, database);
    return path;
}

QString TestJetWriter::run(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Jet 3 text must be read in the code page the file declares.
    for (const char *name : {"MDBICONV", "MDB_JET3_CHARSET", "MDBOPTS"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    process.start(tool, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        QTest::qFail(qPrintable(tool + QLatin1String(" failed: ") +
                                QString::fromUtf8(process.readAllStandardError())),
                     __FILE__, __LINE__);
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList TestJetWriter::exported(const QString &path, const QString &table)
{
    const QString out = run(QStringLiteral("mdb-export"),
                            {QStringLiteral("-H"), QStringLiteral("-Q"),
                             QStringLiteral("--delimiter=|"), QStringLiteral("--bin=hex"),
                             QStringLiteral("--datetime-format=%Y-%m-%d %H:%M:%S"), path, table});
    QStringList rows = out.split(QLatin1Char('\n'));
    if (rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

void TestJetWriter::addVersionRows()
{
    QTest::addColumn<Version>("version");
    QTest::newRow("jet4") << Version::Jet4;
    QTest::newRow("jet3") << Version::Jet3;
}

void TestJetWriter::files_data()
{
    QTest::addColumn<Version>("version");
    QTest::addColumn<quint32>("key");
    QTest::addColumn<QStringList>("tables");
    const QStringList names = {QStringLiteral("Товары"), QStringLiteral("category")};
    QTest::newRow("jet4") << Version::Jet4 << 0u << names;
    QTest::newRow("jet3") << Version::Jet3 << 0u << names;
    QTest::newRow("jet4 encoded") << Version::Jet4 << 0x5ee0f00du << names;
    QTest::newRow("jet3 encoded") << Version::Jet3 << 0x0badcafeu << names;
}

void TestJetWriter::files()
{
    QFETCH(Version, version);
    QFETCH(quint32, key);
    QFETCH(QStringList, tables);
    JetFilePlan database;
    database.version = version;
    database.databaseKey = key;
    for (const QString &name : tables)
        database.tables.push_back(table(name, {column(QStringLiteral("name"), JetType::Text, 30)},
                                        {{JetCell::string(QStringLiteral("MARKER in ") + name)}}));
    const QString path = write(database);

    const QByteArray bytes = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    QCOMPARE(bytes.size() % JetTestWriter::pageSize(version), 0);
    // Compressed Latin text and Jet 3 text are plain bytes unless the pages are encoded.
    QCOMPARE(bytes.contains("MARKER in category"), key == 0);

    QCOMPARE(run(QStringLiteral("mdb-ver"), {path}).trimmed(),
             QString::fromLatin1(version == Version::Jet3 ? "JET3" : "JET4"));
    QCOMPARE(run(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), path})
                 .split('\n', Qt::SkipEmptyParts),
             tables);
    const QStringList withSystem =
        run(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), QStringLiteral("-S"), path})
            .split('\n', Qt::SkipEmptyParts);
    QVERIFY(withSystem.contains(QStringLiteral("MSysObjects")));
    QCOMPARE(withSystem.mid(withSystem.size() - tables.size()), tables);
    for (const QString &name : tables)
        QCOMPARE(exported(path, name), QStringList(QStringLiteral("MARKER in ") + name));
}

void TestJetWriter::schema_data()
{
    addVersionRows();
}

void TestJetWriter::schema()
{
    QFETCH(Version, version);
    JetColumnPlan id = column(QStringLiteral("id"), JetType::Long);
    id.autoNumber = true;
    JetColumnPlan amount = column(QStringLiteral("amount"), JetType::Numeric);
    amount.precision = 18;
    amount.scale = 2;
    const QString path =
        write(oneTable(version, {id, column(QStringLiteral("done"), JetType::Boolean),
                                 column(QStringLiteral("shelf"), JetType::Byte),
                                 column(QStringLiteral("count"), JetType::Integer),
                                 column(QStringLiteral("price"), JetType::Currency),
                                 column(QStringLiteral("weight"), JetType::Single),
                                 column(QStringLiteral("ratio"), JetType::Double),
                                 column(QStringLiteral("added"), JetType::DateTime),
                                 column(QStringLiteral("code"), JetType::Binary, 16),
                                 column(QStringLiteral("название"), JetType::Text, 40),
                                 column(QStringLiteral("photo"), JetType::Ole),
                                 column(QStringLiteral("notes"), JetType::Memo), amount}));
    const QString schema = run(QStringLiteral("mdb-schema"), {path});
    const QString expected = QStringLiteral(
        "CREATE TABLE [t]\n (\n\t[id]\t\t\tLong Integer, \n\t[done]\t\t\tBoolean NOT NULL, \n"
        "\t[shelf]\t\t\tByte, \n\t[count]\t\t\tInteger, \n\t[price]\t\t\tCurrency, \n"
        "\t[weight]\t\t\tSingle, \n\t[ratio]\t\t\tDouble, \n\t[added]\t\t\tDateTime, \n"
        "\t[code]\t\t\tBinary, \n\t[название]\t\t\tText (40), \n\t[photo]\t\t\tOLE (255), \n"
        "\t[notes]\t\t\tMemo/Hyperlink (255), \n\t[amount]\t\t\tNumeric (18, 2)\n);");
    QVERIFY2(schema.contains(expected), qPrintable(schema));
}

void TestJetWriter::values_data()
{
    QTest::addColumn<Version>("version");
    QTest::addColumn<JetColumnPlan>("declared");
    QTest::addColumn<Cells>("cells");
    QTest::addColumn<QStringList>("expected");
    using C = JetCell;
    JetColumnPlan numeric = column(QString(), JetType::Numeric);
    numeric.precision = 18;
    numeric.scale = 2;
    JetColumnPlan wide = numeric;
    wide.precision = 28;
    wide.scale = 0;
    const QString cyrillic = QStringLiteral("Фильтр масляный «Лада»");
    const QString latin = QStringLiteral("Oil filter MANN W 914/2");
    const QString longText = QStringLiteral("Колодки тормозные, передние. ").repeated(120);
    const struct
    {
        const char *name;
        JetColumnPlan declared;
        Cells cells;
        QStringList expected;
    } cases[] = {
        {"long",
         column({}, JetType::Long),
         {C::number(INT_MIN), C::number(INT_MAX), C::number(0), C::number(-1)},
         {"-2147483648", "2147483647", "0", "-1"}},
        {"integer",
         column({}, JetType::Integer),
         {C::number(-32768), C::number(32767), C::number(-1)},
         {"-32768", "32767", "-1"}},
        {"byte", column({}, JetType::Byte), {C::number(0), C::number(255)}, {"0", "255"}},
        {"boolean",
         column({}, JetType::Boolean),
         {C::number(1), C::number(0), C::null()},
         {"1", "0", "0"}},
        {"currency",
         column({}, JetType::Currency),
         {C::currency(-1), C::currency(123456789), C::currency(-12345), C::currency(0),
          C::number(58), C::currency(LLONG_MAX), C::currency(LLONG_MIN)},
         {"-0.0001", "12345.6789", "-1.2345", "0.0000", "58.0000", "922337203685477.5807",
          "-922337203685477.5808"}},
        {"double",
         column({}, JetType::Double),
         {C::realNumber(3.25), C::realNumber(-1e10), C::realNumber(0.1)},
         {"3.25", "-10000000000", "0.1"}},
        {"single",
         column({}, JetType::Single),
         {C::realNumber(0.5), C::realNumber(-2.5)},
         {"0.5", "-2.5"}},
        {"date",
         column({}, JetType::DateTime),
         {C::realNumber(37695.5), C::realNumber(45000.25)},
         {"2003-03-15 12:00:00", "2023-03-15 06:00:00"}},
        {"numeric",
         numeric,
         {C::number(5), C::currency(-12300), C::number(0), C::realNumber(1234.5)},
         {"5.00", "-1.23", "0.00", "1234.50"}},
        {"numeric 28 digits",
         wide,
         {C::number(LLONG_MAX), C::number(-7)},
         {"9223372036854775807", "-7"}},
        {"text",
         column({}, JetType::Text, 40),
         {C::string(latin), C::string(latin, JetTextForm::Uncompressed), C::string(cyrillic),
          C::string(cyrillic, JetTextForm::Uncompressed)},
         {latin, latin, cyrillic, cyrillic}},
        {"memo",
         column({}, JetType::Memo),
         {C::string(cyrillic), C::string(longText), C::string(latin.repeated(200))},
         {cyrillic, longText, latin.repeated(200)}},
    };
    for (Version version : {Version::Jet4, Version::Jet3})
        for (const auto &c : cases)
            QTest::addRow("%s %s", versionName(version), c.name)
                << version << c.declared << c.cells << c.expected;
}

void TestJetWriter::values()
{
    QFETCH(Version, version);
    QFETCH(JetColumnPlan, declared);
    QFETCH(Cells, cells);
    QFETCH(QStringList, expected);
    declared.name = QStringLiteral("value");
    std::vector<Cells> rows;
    for (const JetCell &cell : cells)
        rows.push_back({cell});
    QCOMPARE(exported(write(oneTable(version, {declared}, rows))), expected);
}

void TestJetWriter::textForms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<JetTextForm>("form");
    QTest::addColumn<int>("storedBytes");
    QTest::addColumn<bool>("compressed");
    const QString latin = QStringLiteral("Oil filter MANN W 914/2"); // 23 characters
    QTest::newRow("latin") << latin << JetTextForm::Compressed << 2 + 23 << true;
    QTest::newRow("latin asked plain") << latin << JetTextForm::Uncompressed << 46 << false;
    QTest::newRow("cyrillic, not shorter")
        << QStringLiteral("Фильтр масляный") << JetTextForm::Compressed << 30 << false;
    // FF FE, a switch and 6 two-byte letters, a switch and 16 one-byte characters.
    QTest::newRow("mixed runs") << QStringLiteral("Фильтр MANN W914/2 oil")
                                << JetTextForm::Compressed << 2 + 13 + 17 << true;
    QTest::newRow("two letters, not shorter")
        << QStringLiteral("ab") << JetTextForm::Compressed << 4 << false;
    // U+0100's low byte would read as a mode switch.
    QTest::newRow("zero low byte")
        << QStringLiteral("Ā made plain, all of it") << JetTextForm::Compressed << 46 << false;
}

void TestJetWriter::textForms()
{
    QFETCH(QString, text);
    QFETCH(JetTextForm, form);
    QFETCH(int, storedBytes);
    QFETCH(bool, compressed);
    const QString path =
        write(oneTable(Version::Jet4, {column(QStringLiteral("name"), JetType::Text, 100)},
                       {{JetCell::string(text, form)}}));
    QCOMPARE(exported(path), QStringList(text));
    LibMdbReader mdb(path);
    const auto rows = mdb.rows(QStringLiteral("t"));
    QCOMPARE(rows.size(), 1);
    const QByteArray stored = rows[0][0].stored;
    QCOMPARE(stored.size(), storedBytes);
    QCOMPARE(stored.startsWith("\xff\xfe"), compressed);
}

void TestJetWriter::nullsAndEmpties_data()
{
    addVersionRows();
}

void TestJetWriter::nullsAndEmpties()
{
    QFETCH(Version, version);
    const std::vector<JetColumnPlan> columns = {column(QStringLiteral("text"), JetType::Text, 10),
                                                column(QStringLiteral("number"), JetType::Long),
                                                column(QStringLiteral("memo"), JetType::Memo),
                                                column(QStringLiteral("photo"), JetType::Ole),
                                                column(QStringLiteral("code"), JetType::Binary, 4)};
    const QString path =
        write(oneTable(version, columns,
                       {Cells(5, JetCell::null()),
                        {JetCell::string({}), JetCell::number(0), JetCell::string({}),
                         JetCell::blob({}), JetCell::blob({})}}));
    // mdbtools' tools print NULL and empty alike; libmdb's null mask tells them apart.
    QCOMPARE(exported(path), QStringList({"||||", "|0|||"}));
    LibMdbReader mdb(path);
    const auto rows = mdb.rows(QStringLiteral("t"));
    QCOMPARE(rows.size(), 2);
    for (int c = 0; c < 5; ++c) {
        QVERIFY2(rows[0][c].null, qPrintable(columns[size_t(c)].name));
        QVERIFY2(!rows[1][c].null, qPrintable(columns[size_t(c)].name));
    }
}

void TestJetWriter::longValues_data()
{
    QTest::addColumn<Version>("version");
    QTest::addColumn<int>("size");
    QTest::addColumn<JetLongForm>("form");
    QTest::addColumn<int>("flags"); // of the 12 bytes the row keeps
    for (Version version : {Version::Jet4, Version::Jet3}) {
        const int page = JetTestWriter::pageSize(version);
        const struct
        {
            const char *name;
            int size;
            JetLongForm form;
            int flags;
        } cases[] = {{"inline", 40, JetLongForm::Inline, 0x80},
                     {"inline, big", 1000, JetLongForm::Inline, 0x80},
                     {"auto, small", 64, JetLongForm::Auto, 0x80},
                     {"auto, over the inline limit", 65, JetLongForm::Auto, 0x40},
                     {"one page", 1000, JetLongForm::SinglePage, 0x40},
                     {"one page, empty", 0, JetLongForm::SinglePage, 0x40},
                     {"chain of one", 100, JetLongForm::Chained, 0x00},
                     {"chain of three pages", 3 * page - 100, JetLongForm::Chained, 0x00},
                     {"auto, photo", 60000, JetLongForm::Auto, 0x00}};
        for (const auto &c : cases)
            QTest::addRow("%s %s", versionName(version), c.name)
                << version << c.size << c.form << c.flags;
    }
}

void TestJetWriter::longValues()
{
    QFETCH(Version, version);
    QFETCH(int, size);
    QFETCH(JetLongForm, form);
    QFETCH(int, flags);
    const QByteArray photo = noise(size, quint32(size));
    // Memo text of the same length in bytes (two-byte characters), in the same form.
    const QString memo = QStringLiteral("Ж").repeated(size / 2);
    JetCell memoCell = JetCell::string(memo, JetTextForm::Uncompressed);
    memoCell.longForm = form;
    const QString path = write(oneTable(
        version,
        {column(QStringLiteral("id"), JetType::Long), column(QStringLiteral("photo"), JetType::Ole),
         column(QStringLiteral("memo"), JetType::Memo)},
        {{JetCell::number(1), JetCell::blob(photo, form),
          version == Version::Jet4 ? memoCell : JetCell::null()},
         {JetCell::number(2), JetCell::blob(photo.left(10)), JetCell::null()}}));
    const QString memoText = version == Version::Jet4 ? memo : QString();
    QCOMPARE(exported(path),
             QStringList({"1|" + QString::fromLatin1(photo.toHex().toUpper()) + "|" + memoText,
                          "2|" + QString::fromLatin1(photo.left(10).toHex().toUpper()) + "|"}));
    LibMdbReader mdb(path);
    const auto rows = mdb.rows(QStringLiteral("t"));
    QCOMPARE(rows.size(), 2);
    const QByteArray header = rows[0][1].stored;
    QVERIFY(header.size() >= 12);
    QCOMPARE(quint8(header[3]), quint8(flags));
    QCOMPARE(qFromLittleEndian<quint32>(header.constData()) & 0xffffff, quint32(size));
    QCOMPARE(mdb.longValues(QStringLiteral("t"), 1).value(0), photo);
}

void TestJetWriter::rejects_data()
{
    QTest::addColumn<FileChange>("change");
    auto cell = [](int c, JetCell value) {
        return FileChange([c, value](JetFilePlan &s) { s.tables[0].rows[0][size_t(c)] = value; });
    };
    QTest::newRow("text longer than its column") << cell(1, JetCell::string("abcdef"));
    QTest::newRow("inline value too big for the row")
        << cell(2, JetCell::blob(QByteArray(5000, 'x'), JetLongForm::Inline));
    QTest::newRow("one-page value bigger than a page")
        << cell(2, JetCell::blob(QByteArray(5000, 'x'), JetLongForm::SinglePage));
    QTest::newRow("long out of range") << cell(0, JetCell::number(1LL << 31));
    QTest::newRow("text in a number column") << cell(0, JetCell::string("1"));
    QTest::newRow("number in an OLE column") << cell(2, JetCell::number(1));
    QTest::newRow("autonumber text column")
        << FileChange([](JetFilePlan &s) { s.tables[0].columns[1].autoNumber = true; });
    QTest::newRow("row short of a cell")
        << FileChange([](JetFilePlan &s) { s.tables[0].rows[0].pop_back(); });
    QTest::newRow("two tables of one name")
        << FileChange([](JetFilePlan &s) { s.tables.push_back(s.tables[0]); });
    QTest::newRow("a user table named as a system one")
        << FileChange([](JetFilePlan &s) { s.tables[0].name = QStringLiteral("msysobjects"); });
    QTest::newRow("overflow row out of range")
        << FileChange([](JetFilePlan &s) { s.tables[0].overflowRows = {1}; });
    QTest::newRow("password too long")
        << FileChange([](JetFilePlan &s) { s.password = QString(21, 'p'); });
    QTest::newRow("jet3 text outside the code page") << FileChange([](JetFilePlan &s) {
        s.version = Version::Jet3;
        s.tables[0].rows[0][1] = JetCell::string(QStringLiteral("中文"));
    });
}

void TestJetWriter::rejects()
{
    QFETCH(FileChange, change);
    JetFilePlan database = oneTable(
        Version::Jet4,
        {column(QStringLiteral("n"), JetType::Long), column(QStringLiteral("t"), JetType::Text, 5),
         column(QStringLiteral("o"), JetType::Ole)},
        {{JetCell::number(1), JetCell::string("abc"), JetCell::null()}});
    JetTestWriter::write(database); // writable as it is
    change(database);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, JetTestWriter::write(database));
}

void TestJetWriter::deletedAndOverflowRows_data()
{
    addVersionRows();
}

void TestJetWriter::deletedAndOverflowRows()
{
    QFETCH(Version, version);
    JetTablePlan table;
    table.name = QStringLiteral("t");
    table.columns = {column(QStringLiteral("id"), JetType::Long),
                     column(QStringLiteral("name"), JetType::Text, 40)};
    QStringList inPlace, moved;
    const std::vector<int> overflow = {0, 150, 399};
    for (int i = 0; i < 400; ++i) {
        const QString name = QStringLiteral("товар номер %1").arg(i);
        table.rows.push_back({JetCell::number(i), JetCell::string(name)});
        const bool isMoved = std::find(overflow.begin(), overflow.end(), i) != overflow.end();
        (isMoved ? moved : inPlace) << QStringLiteral("%1|%2").arg(i).arg(name);
    }
    table.overflowRows = overflow;
    table.deletedRows = 40;
    JetFilePlan database;
    database.version = version;
    database.tables = {table};
    const QString path = write(database);

    QCOMPARE(run(QStringLiteral("mdb-count"), {path, QStringLiteral("t")}).trimmed(),
             QStringLiteral("400"));
    // Deleted rows are never seen. mdbtools takes the overflow flag (0x4000)
    // for "deleted" and never follows the pointer, but meets the moved rows
    // on their own pages, which Jet marks 0x8000 alone and mdbtools does not
    // skip: they come last, once each.
    QCOMPARE(exported(path), inPlace + moved);

    LibMdbReader mdb(path);
    const auto rows = mdb.overflowRows(QStringLiteral("t"));
    QCOMPARE(rows.size(), int(overflow.size()));
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(qFromLittleEndian<qint32>(rows[i].row.value(0).stored.constData()),
                 overflow[size_t(i)]);
        QVERIFY(rows[i].targetPage != rows[i].pointerPage);
        QCOMPARE(rows[i].targetFlags, 0x8000);
    }
}

void TestJetWriter::header_data()
{
    QTest::addColumn<Version>("version");
    QTest::addColumn<quint16>("codePage");
    QTest::addColumn<quint16>("sortOrder");
    QTest::addColumn<QString>("password");
    QTest::addColumn<quint32>("key");
    QTest::newRow("jet4") << Version::Jet4 << quint16(1251) << quint16(0x419)
                          << QStringLiteral("Склад-2003") << 0x11223344u;
    QTest::newRow("jet4, no password")
        << Version::Jet4 << quint16(1252) << quint16(0x409) << QString() << 0u;
    QTest::newRow("jet3") << Version::Jet3 << quint16(1251) << quint16(0x419)
                          << QStringLiteral("sklad97") << 0x55667788u;
    QTest::newRow("jet3, no password")
        << Version::Jet3 << quint16(1252) << quint16(0x409) << QString() << 0u;
}

void TestJetWriter::header()
{
    QFETCH(Version, version);
    QFETCH(quint16, codePage);
    QFETCH(quint16, sortOrder);
    QFETCH(QString, password);
    QFETCH(quint32, key);
    JetFilePlan database =
        oneTable(version, {column(QStringLiteral("n"), JetType::Long)}, {{JetCell::number(7)}});
    database.codePage = codePage;
    database.sortOrder = sortOrder;
    database.password = password;
    database.databaseKey = key;
    const QString path = write(database);
    LibMdbReader mdb(path);
    MdbHandle *h = mdb.handle();
    QVERIFY(h);
    QCOMPARE(h->f->code_page, codePage);
    QCOMPARE(h->f->lang_id, sortOrder);
    QCOMPARE(quint32(h->f->db_key), key);
    // mdb_open leaves the header page decoded in its buffer.
    const char *page = reinterpret_cast<const char *>(h->pg_buf);
    if (version == Version::Jet3) {
        QByteArray expected = password.toLatin1();
        expected.resize(sizeof h->f->db_passwd, '\0');
        QCOMPARE(QByteArray(h->f->db_passwd, sizeof h->f->db_passwd), expected);
    } else {
        // Jet 4 masks the password with the creation date's whole days.
        const double created = qFromLittleEndian<double>(page + 0x72);
        QVERIFY(created > 30000 && created < 60000);
        char mask[4];
        qToLittleEndian(qint32(created), mask);
        const QByteArray stored(page + 0x42, 40);
        QVERIFY(stored != QByteArray(40, '\0')); // even no password is masked
        QString decoded;
        for (int i = 0; i < 40; i += 2) {
            const char16_t c = char16_t(quint8(stored[i] ^ mask[i % 4]) |
                                        quint8(stored[i + 1] ^ mask[(i + 1) % 4]) << 8);
            if (c == 0)
                break;
            decoded += QChar(c);
        }
        QCOMPARE(decoded, password);
    }
    QCOMPARE(exported(path), QStringList(QStringLiteral("7")));
}

void TestJetWriter::autoNumbers_data()
{
    QTest::addColumn<Version>("version");
    QTest::addColumn<qint32>("next");
    QTest::addColumn<Cells>("ids");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<qint32>("stored");
    const Cells ids = {JetCell::null(), JetCell::null(), JetCell::number(10), JetCell::null()};
    const QStringList numbered = {"1", "2", "10", "11"};
    for (Version version : {Version::Jet4, Version::Jet3}) {
        QTest::addRow("%s counted", versionName(version)) << version << 0 << ids << numbered << 12;
        QTest::addRow("%s given", versionName(version)) << version << 500 << ids << numbered << 500;
        QTest::addRow("%s empty", versionName(version))
            << version << 0 << Cells() << QStringList() << 1;
    }
}

void TestJetWriter::autoNumbers()
{
    QFETCH(Version, version);
    QFETCH(qint32, next);
    QFETCH(Cells, ids);
    QFETCH(QStringList, expected);
    QFETCH(qint32, stored);
    JetColumnPlan id = column(QStringLiteral("id"), JetType::Long);
    id.autoNumber = true;
    std::vector<Cells> rows;
    for (const JetCell &cell : ids)
        rows.push_back({cell});
    JetFilePlan database = oneTable(version, {id}, rows);
    database.tables[0].nextAutoNumber = next;
    const QString path = write(database);
    QCOMPARE(exported(path), expected);
    LibMdbReader mdb(path);
    MdbTableDef *table = mdb.table(QStringLiteral("t"));
    QVERIFY(table);
    QVERIFY(static_cast<MdbColumn *>(g_ptr_array_index(table->columns, 0))->is_long_auto);
    QVERIFY(mdb_read_pg(mdb.handle(), table->entry->table_pg));
    QCOMPARE(qint32(mdb_get_int32(mdb.handle()->pg_buf, version == Version::Jet3 ? 16 : 20)),
             stored);
}

void TestJetWriter::wideTable_data()
{
    addVersionRows();
}

void TestJetWriter::wideTable()
{
    // Enough columns with long names that the definition spans pages, and a
    // row whose offsets pass several 256-byte lines (Jet 3's jump table).
    QFETCH(Version, version);
    JetTablePlan table;
    table.name = QStringLiteral("t");
    Cells row;
    QStringList expected;
    for (int c = 0; c < 120; ++c) {
        const QString name = QStringLiteral("column_with_a_long_name_%1").arg(c, 3, 10, QChar('0'));
        const bool text = c % 2;
        table.columns.push_back(column(name, text ? JetType::Text : JetType::Long, 12));
        const QString value = QStringLiteral("значение%1").arg(c, 4, 10, QChar('0'));
        row.push_back(text ? JetCell::string(value) : JetCell::number(c * 1000 - 7));
        expected << (text ? value : QString::number(c * 1000 - 7));
    }
    table.rows = {row, row};
    JetFilePlan database;
    database.version = version;
    database.tables = {table};
    const QString path = write(database);
    const QString line = expected.join('|');
    QCOMPARE(exported(path), QStringList({line, line}));
    QCOMPARE(run(QStringLiteral("mdb-schema"), {path}).count(QStringLiteral("\t\tText (12)")), 60);
    LibMdbReader mdb(path);
    MdbTableDef *t = mdb.table(QStringLiteral("t"));
    QVERIFY(t);
    QVERIFY(mdb_read_pg(mdb.handle(), t->entry->table_pg));
    QVERIFY(mdb_get_int32(mdb.handle()->pg_buf, 4) != 0); // a next definition page
}

void TestJetWriter::rowLengths_data()
{
    addVersionRows();
}

void TestJetWriter::rowLengths()
{
    // Rows of every length up to a kilobyte and more, their data ending on
    // both sides of each 256-byte line, and values crossing two lines at once.
    QFETCH(Version, version);
    std::vector<Cells> rows;
    QStringList expected;
    for (int i = 0; i < 256; ++i) {
        const QString a(i, QChar('a'));
        const QString b((i * 37) % 256, QChar('b'));
        const QByteArray c = i % 3 ? QByteArray() : noise((i * 13) % 600, quint32(i));
        rows.push_back({JetCell::number(i), JetCell::string(a, JetTextForm::Uncompressed),
                        JetCell::string(b),
                        i % 3 ? JetCell::null() : JetCell::blob(c, JetLongForm::Inline)});
        expected << QStringLiteral("%1|%2|%3|%4")
                        .arg(i)
                        .arg(a, b, QString::fromLatin1(c.toHex().toUpper()));
    }
    const QString path = write(oneTable(version,
                                        {column(QStringLiteral("id"), JetType::Long),
                                         column(QStringLiteral("a"), JetType::Text, 255),
                                         column(QStringLiteral("b"), JetType::Text, 255),
                                         column(QStringLiteral("c"), JetType::Ole)},
                                        rows));
    QCOMPARE(exported(path), expected);
}

void TestJetWriter::bigTable_data()
{
    QTest::addColumn<Version>("version");
    QTest::addColumn<int>("goods");
    QTest::addColumn<int>("photoEvery");
    // As the benchmark's file: 100,000 goods, 1,000 photos of 60 KB.
    QTest::newRow("jet4") << Version::Jet4 << 100000 << 100;
    QTest::newRow("jet3") << Version::Jet3 << 40000 << 400;
}

void TestJetWriter::bigTable()
{
    QFETCH(Version, version);
    QFETCH(int, goods);
    QFETCH(int, photoEvery);
    JetColumnPlan id = column(QStringLiteral("auto_id"), JetType::Long);
    id.autoNumber = true;
    JetTablePlan table;
    table.name = QStringLiteral("tovars");
    table.columns = {id, column(QStringLiteral("codeTov"), JetType::Text, 20),
                     column(QStringLiteral("tovName"), JetType::Text, 100),
                     column(QStringLiteral("price"), JetType::Currency),
                     column(QStringLiteral("screenshots"), JetType::Ole)};
    QStringList expected;
    QList<QByteArray> photos;
    for (int i = 0; i < goods; ++i) {
        const QString code = QStringLiteral("%1-%2").arg(2100 + i % 10).arg(i);
        const QString name = QStringLiteral("Фильтр масляный №%1").arg(i);
        photos << (i % photoEvery ? QByteArray() : noise(60000, quint32(i)));
        table.rows.push_back(
            {JetCell::null(), JetCell::string(code), JetCell::string(name),
             JetCell::currency(qint64(i) * 1234567 % 100000000),
             photos.last().isNull() ? JetCell::null() : JetCell::blob(photos.last())});
        expected << QStringLiteral("%1|%2|%3|%4|")
                        .arg(i + 1)
                        .arg(code, name)
                        .arg(double(qint64(i) * 1234567 % 100000000) / 10000, 0, 'f', 4);
    }
    JetFilePlan database;
    database.version = version;
    database.tables = {table};

    QElapsedTimer timer;
    timer.start();
    const QByteArray bytes = JetTestWriter::write(database);
    const qint64 elapsed = timer.elapsed();
    qInfo("%d goods, %d photos: %lld ms, %lld MB", goods, goods / photoEvery, elapsed,
          bytes.size() >> 20);
    QVERIFY2(elapsed < 20000, "writing should take a second or so");
    const QString path = m_dir.filePath(QStringLiteral("big.mdb"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    QCOMPARE(run(QStringLiteral("mdb-count"), {path, QStringLiteral("tovars")}).trimmed(),
             QString::number(goods));
    const QString out =
        run(QStringLiteral("mdb-export"),
            {QStringLiteral("-H"), QStringLiteral("-Q"), QStringLiteral("--delimiter=|"),
             QStringLiteral("--bin=strip"), path, QStringLiteral("tovars")});
    QCOMPARE(out.split('\n', Qt::SkipEmptyParts), expected);
    LibMdbReader mdb(path);
    MdbTableDef *t = mdb.table(QStringLiteral("tovars"));
    QVERIFY(t);
    // Too many pages for a bitmap in the row: the map lists map pages instead.
    QCOMPARE(int(t->usage_map[0]), 1);
    QCOMPARE(mdb.longValues(QStringLiteral("tovars"), 4), photos);
}

QTEST_GUILESS_MAIN(TestJetWriter)
#include "tst_jetwriter.moc"
