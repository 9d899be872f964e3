#pragma once

#include "JetLongValueWriter.h"
#include "JetRowEncoder.h"

#include <memory>
#include <vector>

class JetCellEncoder;
class JetPageFile;

// Puts one table's rows on pages: first its long values on long-value
// pages, then the rows on data pages of their own in the order given, with
// deleted rows among them and the bytes of overflow rows on pages after them.
class JetTableWriter
{
public:
    JetTableWriter(const JetFormat &format, JetPageFile &file, const JetTableLayout &layout,
                   const JetCellEncoder &cells, int definitionPage);
    ~JetTableWriter();

    void write(const JetTablePlan &table);

    const std::vector<int> &dataPages() const { return m_dataPages; }
    std::vector<int> dataPagesWithRoom() const;
    // The long values of a column (Ole, Memo), null for other columns.
    const JetLongValueWriter *longValues(int column) const
    {
        return m_longValues[size_t(column)].get();
    }
    quint32 rowCount() const { return m_rowCount; }
    qint32 nextAutoNumber() const { return m_nextAutoNumber; }

private:
    struct Row
    {
        QByteArray bytes;
        enum class Kind { Live, Deleted, Overflow } kind = Kind::Live;
    };

    std::vector<qint64> autoNumbers(const JetTablePlan &table);
    std::vector<Row> physicalRows(const JetTablePlan &table, const std::vector<qint64> &numbers);
    QByteArray encodeRow(const std::vector<JetCell> &cells, qint64 autoNumber);
    std::vector<JetCell> deletedRowCells(int which) const;
    void placeRows(const std::vector<Row> &rows);
    JetRowPage newDataPage();

    const JetFormat &m_format;
    JetPageFile &m_file;
    const JetTableLayout &m_layout;
    const JetCellEncoder &m_cells;
    JetRowEncoder m_rows;
    int m_definitionPage;
    std::vector<std::unique_ptr<JetLongValueWriter>> m_longValues;
    std::vector<int> m_dataPages;
    quint32 m_rowCount = 0;
    qint32 m_nextAutoNumber = 0;
};
