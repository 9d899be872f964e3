#pragma once

#include "JetRowPage.h"

#include <vector>

class JetPageFile;

// Keeps the long values (Ole, Memo) of one column on long-value pages and
// gives back the 12 bytes a row holds for each: the length in 24 bits, a
// flag byte (0x80 the bytes follow in the row, 0x40 they are one row of a
// long-value page, 0x00 a chain of such rows), the page-row pointer of the
// first row and four unused bytes.
class JetLongValueWriter
{
public:
    static constexpr int HeaderBytes = 12;
    // Access keeps a long value in the row up to this size, when the row has room.
    static constexpr int MaxAutoInlineBytes = 64;

    JetLongValueWriter(const JetFormat &format, JetPageFile &file);

    static QByteArray storeInline(const QByteArray &value);
    QByteArray storeOnOnePage(const QByteArray &value);
    QByteArray storeChained(const QByteArray &value);

    // The pages this column's values went to, in the order they were started.
    const std::vector<int> &pages() const { return m_pages; }
    // The pages among them with room for more.
    std::vector<int> pagesWithRoom() const;

private:
    // A new row of `bytes` bytes on the current page or a new one.
    quint32 placeRow(int bytes, char **data);
    static QByteArray header(int length, quint8 flags, quint32 pointer);

    const JetFormat &m_format;
    JetPageFile &m_file;
    JetRowPage m_current;
    std::vector<int> m_pages;
};
