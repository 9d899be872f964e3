#include "JetTableWriter.h"

#include "JetCellEncoder.h"
#include "JetPageFile.h"

#include <algorithm>
#include <set>
#include <stdexcept>

JetTableWriter::JetTableWriter(const JetFormat &format, JetPageFile &file,
                               const JetTableLayout &layout, const JetCellEncoder &cells,
                               int definitionPage)
    : m_format(format), m_file(file), m_layout(layout), m_cells(cells), m_rows(format, layout),
      m_definitionPage(definitionPage)
{
    for (const JetColumnLayout &c : layout.columns())
        m_longValues.push_back(c.isLong() ? std::make_unique<JetLongValueWriter>(format, file)
                                          : nullptr);
}

JetTableWriter::~JetTableWriter() = default;

void JetTableWriter::write(const JetTablePlan &table)
{
    const std::vector<qint64> numbers = autoNumbers(table);
    placeRows(physicalRows(table, numbers));
    m_rowCount = quint32(table.rows.size());
    if (table.nextAutoNumber != 0) {
        m_nextAutoNumber = table.nextAutoNumber;
    } else if (m_layout.autoNumberColumn() >= 0) {
        const qint64 largest =
            numbers.empty() ? 0 : *std::max_element(numbers.begin(), numbers.end());
        m_nextAutoNumber = qint32(std::max<qint64>(largest, 0) + 1);
    }
}

std::vector<qint64> JetTableWriter::autoNumbers(const JetTablePlan &table)
{
    // The counter fills the NULL cells of the autonumber column, carrying on
    // after any value given outright.
    std::vector<qint64> numbers;
    const int column = m_layout.autoNumberColumn();
    if (column < 0)
        return numbers;
    qint64 next = 1;
    for (const auto &cells : table.rows) {
        if (cells.size() != m_layout.columns().size())
            throw std::runtime_error("Jet writer: table " + table.name.toStdString() +
                                     ": a row needs one cell per column");
        const JetCell &cell = cells[size_t(column)];
        if (cell.kind == JetCell::Kind::Null) {
            numbers.push_back(next++);
        } else {
            numbers.push_back(cell.integer);
            next = std::max(next, cell.integer + 1);
        }
    }
    return numbers;
}

std::vector<JetTableWriter::Row> JetTableWriter::physicalRows(const JetTablePlan &table,
                                                              const std::vector<qint64> &numbers)
{
    const qsizetype live = qsizetype(table.rows.size());
    std::set<int> overflow;
    for (int index : table.overflowRows) {
        if (index < 0 || index >= live || !overflow.insert(index).second)
            throw std::runtime_error("Jet writer: table " + table.name.toStdString() +
                                     ": bad overflow row index");
    }
    if (table.deletedRows < 0)
        throw std::runtime_error("Jet writer: a negative count of deleted rows");
    // Deleted row k goes before live row (k + 1) * live / (deleted + 1):
    // spread evenly, none after the last live row.
    std::vector<Row> rows;
    rows.reserve(size_t(live + table.deletedRows));
    int deleted = 0;
    auto addDeletedBefore = [&](qsizetype liveIndex) {
        while (deleted < table.deletedRows &&
               qsizetype(deleted + 1) * live / (table.deletedRows + 1) <= liveIndex) {
            rows.push_back({encodeRow(deletedRowCells(deleted), 0), Row::Kind::Deleted});
            ++deleted;
        }
    };
    for (qsizetype i = 0; i < live; ++i) {
        addDeletedBefore(i);
        const qint64 number = numbers.empty() ? 0 : numbers[size_t(i)];
        rows.push_back({encodeRow(table.rows[size_t(i)], number),
                        overflow.count(int(i)) ? Row::Kind::Overflow : Row::Kind::Live});
    }
    addDeletedBefore(live);
    return rows;
}

QByteArray JetTableWriter::encodeRow(const std::vector<JetCell> &cells, qint64 autoNumber)
{
    const auto &columns = m_layout.columns();
    if (cells.size() != columns.size())
        throw std::runtime_error("Jet writer: a row needs one cell per column");
    std::vector<JetField> fields(columns.size());
    std::vector<QByteArray> longValues(columns.size());
    for (const JetColumnLayout &c : columns) {
        const size_t i = size_t(c.number);
        JetCell cell = cells[i];
        if (c.declared.autoNumber && cell.kind == JetCell::Kind::Null)
            cell = JetCell::number(autoNumber);
        JetField &field = fields[i];
        if (c.declared.type == JetType::Boolean) {
            field.present = JetCellEncoder::booleanValue(c, cell);
        } else if (cell.kind != JetCell::Kind::Null) {
            field.present = true;
            if (c.isLong()) {
                longValues[i] = m_cells.encode(c, cell);
                field.bytes = QByteArray(JetLongValueWriter::HeaderBytes, '\0');
            } else {
                field.bytes = m_cells.encode(c, cell);
            }
        }
    }
    // Long values stay in the row while they are small and the row has room,
    // in column order, as Access decides.
    int rowBytes = m_rows.size(fields);
    for (const JetColumnLayout &c : columns) {
        const size_t i = size_t(c.number);
        if (!c.isLong() || !fields[i].present)
            continue;
        const QByteArray &value = longValues[i];
        JetLongForm form = cells[i].longForm;
        if (form == JetLongForm::Auto) {
            if (value.size() <= JetLongValueWriter::MaxAutoInlineBytes &&
                rowBytes + value.size() <= m_format.maxRowBytes())
                form = JetLongForm::Inline;
            else if (value.size() <= m_format.maxRowBytes())
                form = JetLongForm::SinglePage;
            else
                form = JetLongForm::Chained;
        }
        JetLongValueWriter &writer = *m_longValues[i];
        switch (form) {
        case JetLongForm::Inline:
            if (rowBytes + value.size() > m_format.maxRowBytes())
                throw std::runtime_error("Jet writer: column " + c.declared.name.toStdString() +
                                         ": the long value does not fit in the row");
            fields[i].bytes = JetLongValueWriter::storeInline(value);
            rowBytes += int(value.size());
            break;
        case JetLongForm::SinglePage:
            fields[i].bytes = writer.storeOnOnePage(value);
            break;
        case JetLongForm::Chained:
        case JetLongForm::Auto:
            fields[i].bytes = writer.storeChained(value);
            break;
        }
    }
    return m_rows.encode(fields);
}

std::vector<JetCell> JetTableWriter::deletedRowCells(int which) const
{
    // Values no test writes, so that a reader showing a deleted row shows it plainly.
    std::vector<JetCell> cells;
    for (const JetColumnLayout &c : m_layout.columns()) {
        switch (c.declared.type) {
        case JetType::Boolean:
        case JetType::Byte:
            cells.push_back(JetCell::number(1));
            break;
        case JetType::Integer:
            cells.push_back(JetCell::number(-7777));
            break;
        case JetType::Long:
            cells.push_back(JetCell::number(-777000 - which));
            break;
        case JetType::Currency:
            cells.push_back(JetCell::currency(-77770000));
            break;
        case JetType::Single:
        case JetType::Double:
        case JetType::DateTime:
            cells.push_back(JetCell::realNumber(7777.25));
            break;
        case JetType::Numeric:
            cells.push_back(JetCell::number(0));
            break;
        case JetType::Text:
            cells.push_back(
                JetCell::string(QStringLiteral("deleted %1").arg(which).left(c.declared.size)));
            break;
        case JetType::Binary:
            cells.push_back(JetCell::blob(QByteArray("DEL").left(c.declared.size)));
            break;
        case JetType::Ole:
        case JetType::Memo:
            cells.push_back(JetCell::null());
            break;
        }
    }
    return cells;
}

JetRowPage JetTableWriter::newDataPage()
{
    const int number = m_file.allocate();
    m_dataPages.push_back(number);
    return JetRowPage(m_format, number, m_file.page(number), quint32(m_definitionPage));
}

void JetTableWriter::placeRows(const std::vector<Row> &rows)
{
    JetRowPage page;
    auto place = [&](const char *bytes, int size, quint16 flags) {
        if (!page.isOpen() || !page.fits(size))
            page = newDataPage();
        return page.rowData(page.addRow(bytes, size, flags));
    };
    // An overflow row leaves a pointer in its place; its bytes follow on
    // pages of their own, so they are always on another page.
    std::vector<std::pair<char *, const Row *>> moved;
    const quint16 deletedFlags = JetRowPage::DeletedFlag | JetRowPage::OverflowFlag;
    for (const Row &row : rows) {
        switch (row.kind) {
        case Row::Kind::Live:
            place(row.bytes.constData(), int(row.bytes.size()), 0);
            break;
        case Row::Kind::Deleted:
            place(row.bytes.constData(), int(row.bytes.size()), deletedFlags);
            break;
        case Row::Kind::Overflow:
            moved.emplace_back(place(nullptr, 4, JetRowPage::OverflowFlag), &row);
            break;
        }
    }
    if (moved.empty())
        return;
    page = newDataPage();
    for (const auto &[pointer, row] : moved) {
        // Marked deleted, so that a scan meets the row once, through its pointer.
        place(row->bytes.constData(), int(row->bytes.size()), JetRowPage::DeletedFlag);
        putLe32(pointer, jetPageRow(page.number(), page.rowCount() - 1));
    }
}

std::vector<int> JetTableWriter::dataPagesWithRoom() const
{
    std::vector<int> pages;
    for (int number : m_dataPages)
        if (le16At(m_file.page(number) + 2) >= 64)
            pages.push_back(number);
    return pages;
}
