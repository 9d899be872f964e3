#include "JetTestWriter.h"

#include "JetCatalog.h"
#include "JetCellEncoder.h"
#include "JetFormat.h"
#include "JetPageFile.h"
#include "JetRc4.h"
#include "JetRowPage.h"
#include "JetTableDefinition.h"
#include "JetTableWriter.h"
#include "JetTextCodec.h"
#include "JetUsageMap.h"

#include <QFile>
#include <QSet>
#include <memory>
#include <stdexcept>

JetCell JetCell::number(qint64 value)
{
    JetCell c;
    c.kind = Kind::Integer;
    c.integer = value;
    return c;
}

JetCell JetCell::currency(qint64 tenThousandths)
{
    JetCell c;
    c.kind = Kind::Currency;
    c.integer = tenThousandths;
    return c;
}

JetCell JetCell::realNumber(double value)
{
    JetCell c;
    c.kind = Kind::Real;
    c.real = value;
    return c;
}

JetCell JetCell::string(const QString &value, JetTextForm form)
{
    JetCell c;
    c.kind = Kind::Text;
    c.text = value;
    c.textForm = form;
    return c;
}

JetCell JetCell::blob(const QByteArray &value, JetLongForm form)
{
    JetCell c;
    c.kind = Kind::Bytes;
    c.bytes = value;
    c.longForm = form;
    return c;
}

int JetTestWriter::pageSize(JetFilePlan::Version version)
{
    return JetFormat::of(version).pageSize;
}

namespace {

// 2003-03-15 at noon, in days since 1899-12-30: when "Access" made the file.
// Jet 4 masks the password with its whole days.
constexpr double CreationDate = 37695.5;

// One table on its way into the file.
struct Table
{
    const JetTablePlan *source = nullptr;
    bool system = false;
    std::unique_ptr<JetTableLayout> layout;
    std::unique_ptr<JetTableDefinition> definition;
    std::vector<int> definitionPages;
    int firstMap = 0; // its usage maps' rows: used, free, then per long column used and free
    std::unique_ptr<JetTableWriter> rows;

    int mapCount() const { return 2 + 2 * int(definition->longValueMaps.size()); }
};

// The usage maps of all tables, as rows of shared pages.
class MapRows
{
public:
    MapRows(const JetFormat &format, JetPageFile &file, int count) : m_format(format)
    {
        m_perPage = std::min(JetRowPage::MaxRows, (format.pageSize - format.dataPageHeaderSize()) /
                                                      (format.usageMapRowBytes() + 2));
        for (int i = 0; i < count; i += m_perPage)
            m_pages.push_back(file.allocate());
        m_rows.resize(size_t(count));
    }
    quint32 where(int index) const
    {
        return jetPageRow(m_pages[size_t(index / m_perPage)], index % m_perPage);
    }
    void set(int index, const QByteArray &row) { m_rows[size_t(index)] = row; }
    void write(JetPageFile &file) const
    {
        JetRowPage page;
        for (size_t i = 0; i < m_rows.size(); ++i) {
            if (i % size_t(m_perPage) == 0) {
                const int number = m_pages[i / size_t(m_perPage)];
                page = JetRowPage(m_format, number, file.page(number), 0);
            }
            page.addRow(m_rows[i].constData(), int(m_rows[i].size()));
        }
    }

private:
    const JetFormat &m_format;
    int m_perPage = 1;
    std::vector<int> m_pages;
    std::vector<QByteArray> m_rows;
};

void writeHeader(JetPageFile &file, const JetFormat &format, const JetFilePlan &database,
                 const JetTextCodec &text)
{
    char *p = file.page(0);
    p[1] = 0x01;
    std::memcpy(p + 4, "Standard Jet DB", 16);
    putLe32(p + 0x14, format.jet3 ? 0 : 1);
    putLe16(p + (format.jet3 ? 0x3a : 0x6e), database.sortOrder);
    putLe16(p + 0x3c, database.codePage);
    putLe32(p + 0x3e, database.databaseKey);
    const QByteArray password = text.encodeName(database.password);
    const int passwordBytes = format.jet3 ? 20 : 40;
    if (password.size() > passwordBytes)
        throw std::runtime_error("Jet writer: the password is too long");
    std::memcpy(p + 0x42, password.constData(), size_t(password.size()));
    if (!format.jet3) {
        quint64 bits;
        std::memcpy(&bits, &CreationDate, 8);
        putLe64(p + 0x72, bits);
        // Jet 4 hides the password further under the creation date's whole days.
        char mask[4];
        putLe32(mask, quint32(qint32(CreationDate)));
        for (int i = 0; i < passwordBytes; ++i)
            p[0x42 + i] = char(p[0x42 + i] ^ mask[i % 4]);
    }
    const unsigned char key[4] = {0xc7, 0xda, 0x39, 0x6b};
    JetRc4(key, 4).apply(p + 0x18, format.headerKeyedBytes);
}

} // namespace

QByteArray JetTestWriter::write(const JetFilePlan &database)
{
    const JetFormat format = JetFormat::of(database.version);
    const JetTextCodec text(database.version, database.codePage);
    const JetCellEncoder cells(text);
    JetPageFile file(format.pageSize);
    file.allocate(); // the header
    file.allocate(); // the map of free pages

    std::vector<JetTablePlan> systemTables = JetCatalog::systemTables();
    std::vector<Table> tables;
    QSet<QString> names;
    auto add = [&](const JetTablePlan &table, bool system) {
        if (table.name.isEmpty() || names.contains(table.name.toLower()))
            throw std::runtime_error("Jet writer: table names must be unique and not empty");
        names.insert(table.name.toLower());
        Table t;
        t.source = &table;
        t.system = system;
        t.layout = std::make_unique<JetTableLayout>(format, table.columns);
        t.definition = std::make_unique<JetTableDefinition>(format, *t.layout, text);
        for (const JetColumnLayout &c : t.layout->columns())
            if (c.isLong())
                t.definition->longValueMaps.push_back({c.number, 0, 0});
        tables.push_back(std::move(t));
    };
    for (const JetTablePlan &table : systemTables)
        add(table, true);
    for (const JetTablePlan &table : database.tables)
        add(table, false);

    // Definitions first, MSysObjects' on page 2 where readers look for it.
    int mapCount = 0;
    for (Table &t : tables) {
        for (int i = t.definition->pageCount(); i > 0; --i)
            t.definitionPages.push_back(file.allocate());
        t.firstMap = mapCount;
        mapCount += t.mapCount();
    }
    MapRows maps(format, file, mapCount);

    std::vector<JetCatalog::Object> objects;
    for (const Table &t : tables)
        objects.push_back({t.source->name, t.definitionPages.front(), t.system});
    systemTables.front().rows = JetCatalog::rows(objects, CreationDate);

    for (Table &t : tables) {
        t.rows = std::make_unique<JetTableWriter>(format, file, *t.layout, cells,
                                                  t.definitionPages.front());
        t.rows->write(*t.source);
    }

    for (Table &t : tables) {
        JetTableDefinition &d = *t.definition;
        d.system = t.system;
        d.rowCount = t.rows->rowCount();
        d.nextAutoNumber = t.rows->nextAutoNumber();
        d.sortOrder = database.sortOrder;
        d.codePage = database.codePage;
        int index = t.firstMap;
        d.usedPages = maps.where(index);
        maps.set(index++, JetUsageMap::tableMap(format, file, t.rows->dataPages()));
        d.freePages = maps.where(index);
        maps.set(index++, JetUsageMap::tableMap(format, file, t.rows->dataPagesWithRoom()));
        for (JetTableDefinition::LongValueMaps &m : d.longValueMaps) {
            const JetLongValueWriter &values = *t.rows->longValues(m.column);
            m.usedPages = maps.where(index);
            maps.set(index++, JetUsageMap::tableMap(format, file, values.pages()));
            m.freePages = maps.where(index);
            maps.set(index++, JetUsageMap::tableMap(format, file, values.pagesWithRoom()));
        }
        d.write(file, t.definitionPages);
    }
    maps.write(file);

    const QByteArray freePages = JetUsageMap::globalMap(format, file, format.maxRowBytes());
    JetRowPage(format, 1, file.page(1), 0).addRow(freePages.constData(), int(freePages.size()));
    writeHeader(file, format, database, text);
    if (database.databaseKey != 0)
        file.encode(database.databaseKey);
    return file.bytes();
}

void JetTestWriter::writeFile(const QString &path, const JetFilePlan &database)
{
    const QByteArray bytes = write(database);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("Jet writer: cannot create " + path.toStdString() + ": " +
                                 file.errorString().toStdString());
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw std::runtime_error("Jet writer: cannot write " + path.toStdString() + ": " +
                                 file.errorString().toStdString());
}
