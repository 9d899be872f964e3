#include "JetTableDefinition.h"

#include "JetPageFile.h"
#include "JetTextCodec.h"

#include <stdexcept>

JetTableDefinition::JetTableDefinition(const JetFormat &format, const JetTableLayout &layout,
                                       const JetTextCodec &text)
    : m_format(format), m_layout(layout), m_text(text)
{}

int JetTableDefinition::pageCount() const
{
    const int body = m_format.pageSize - 8;
    return int((stream().size() - 8 + body - 1) / body);
}

QByteArray JetTableDefinition::stream() const
{
    // The first 8 bytes are each page's own header, filled in by write().
    const JetFormat &f = m_format;
    QByteArray s(f.tdefHeaderSize, '\0');
    char *d = s.data();
    putLe32(d + f.tdefRowCountOffset, rowCount);
    putLe32(d + f.tdefAutoNumberOffset, quint32(nextAutoNumber));
    if (!f.jet3)
        d[24] = 0x01; // Access keeps it set; autonumbers misbehave there without it
    const int columns = int(m_layout.columns().size());
    d[f.tdefTableTypeOffset] = system ? 0x53 : 0x4e;
    putLe16(d + f.tdefTableTypeOffset + 1, quint16(columns)); // the most a row may hold
    putLe16(d + f.tdefTableTypeOffset + 3, quint16(m_layout.variableCount()));
    putLe16(d + f.tdefTableTypeOffset + 5, quint16(columns));
    // No indexes: the logical and the real count at +7 and +11 stay zero.
    putLe32(d + f.tdefTableTypeOffset + 15, usedPages);
    putLe32(d + f.tdefTableTypeOffset + 19, freePages);

    for (const JetColumnLayout &c : m_layout.columns())
        appendColumn(s, c);
    for (const JetColumnLayout &c : m_layout.columns()) {
        const QByteArray name = m_text.encodeName(c.declared.name);
        if (name.isEmpty() || name.size() > (f.jet3 ? 64 : 128))
            throw std::runtime_error("Jet writer: a column name has 1 to 64 characters");
        if (f.jet3)
            s.append(char(name.size()));
        else
            appendLe16(s, quint16(name.size()));
        s.append(name);
    }
    for (const LongValueMaps &maps : longValueMaps) {
        appendLe16(s, quint16(maps.column));
        appendLe32(s, maps.usedPages);
        appendLe32(s, maps.freePages);
    }
    appendLe16(s, 0xffff);
    putLe32(s.data() + 8, quint32(s.size()));
    return s;
}

void JetTableDefinition::appendColumn(QByteArray &to, const JetColumnLayout &c) const
{
    const bool jet3 = m_format.jet3;
    QByteArray e(m_format.columnEntrySize, '\0');
    char *d = e.data();
    d[0] = char(c.declared.type);
    const int at = jet3 ? 1 : 5; // Jet 4 puts four unknown bytes first
    putLe16(d + at, quint16(c.number));
    putLe16(d + at + 2, quint16(c.fixed ? 0 : c.varIndex));
    putLe16(d + at + 4, quint16(c.number));
    if (c.isTextual()) {
        // Jet 3: sort order, then the column's code page; Jet 4: sort order
        // and its version.
        putLe16(d + at + 6, sortOrder);
        if (jet3)
            putLe16(d + at + 8, codePage);
    } else if (c.declared.type == JetType::Numeric) {
        d[jet3 ? 9 : 11] = char(c.declared.precision);
        d[jet3 ? 10 : 12] = char(c.declared.scale);
    }
    d[jet3 ? 13 : 15] = char(c.flags);
    // Access compresses the text of Jet 4 columns that allow it.
    if (!jet3 && c.isTextual())
        d[16] = 0x01;
    putLe16(d + (jet3 ? 14 : 21), quint16(c.fixed ? c.fixedOffset : 0));
    putLe16(d + (jet3 ? 16 : 23), quint16(c.storedSize));
    to.append(e);
}

void JetTableDefinition::write(JetPageFile &file, const std::vector<int> &pages) const
{
    const QByteArray s = stream();
    const int body = m_format.pageSize - 8;
    if (int(pages.size()) != pageCount())
        throw std::logic_error("Jet writer: table definition given the wrong number of pages");
    for (size_t k = 0; k < pages.size(); ++k) {
        char *page = file.page(pages[k]);
        const qsizetype from = 8 + qsizetype(k) * body;
        const int bytes = int(std::min<qsizetype>(body, s.size() - from));
        std::memcpy(page + 8, s.constData() + from, size_t(bytes));
        page[0] = 0x02;
        page[1] = 0x01;
        if (m_format.jet3) {
            page[2] = 'V';
            page[3] = 'C';
        } else {
            putLe16(page + 2, quint16(std::max(0, m_format.pageSize - 8 - bytes - 8)));
        }
        putLe32(page + 4, k + 1 < pages.size() ? quint32(pages[k + 1]) : 0);
    }
}
