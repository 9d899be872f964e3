#pragma once

#include "JetFormat.h"

// A page of rows: a data page of a table, a long-value page or a page of
// usage maps. Rows fill the page from its end towards the offset table after
// the header; the header's row count and free space are kept current, so the
// page is complete after every row.
class JetRowPage
{
public:
    // Offset-slot flags. Jet marks a deleted row with both; a slot holding a
    // pointer to the row's bytes elsewhere with the second alone, and the
    // row it points to with the first alone, so that table scans skip it.
    static constexpr quint16 DeletedFlag = 0x8000;
    static constexpr quint16 OverflowFlag = 0x4000;
    // Row numbers are one byte in page-row pointers.
    static constexpr int MaxRows = 255;

    JetRowPage() = default;
    // Starts a page at `data`: `owner` is the table definition's page, or the
    // four bytes 'LVAL' (longValueTag()) for long values.
    JetRowPage(const JetFormat &format, int number, char *data, quint32 owner);

    static quint32 longValueTag();

    bool isOpen() const { return m_data != nullptr; }
    int number() const { return m_number; }
    int rowCount() const { return m_rows; }
    int freeSpace() const;
    bool fits(int rowBytes) const;
    // Adds a row of `bytes` bytes (copied from `row` unless null) and returns its number.
    int addRow(const char *row, int bytes, quint16 flags = 0);
    char *rowData(int row);

private:
    void updateHeader();

    const JetFormat *m_format = nullptr;
    int m_number = 0;
    char *m_data = nullptr;
    int m_rows = 0;
    int m_top = 0;
};
