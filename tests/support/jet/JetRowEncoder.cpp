#include "JetRowEncoder.h"

#include <stdexcept>

JetRowEncoder::JetRowEncoder(const JetFormat &format, const JetTableLayout &layout)
    : m_format(format), m_layout(layout)
{}

int JetRowEncoder::size(const std::vector<JetField> &fields) const
{
    const int columns = int(m_layout.columns().size());
    const int countBytes = m_format.jet3 ? 1 : 2;
    const int maskBytes = (columns + 7) / 8;
    int endOfData = countBytes + m_layout.fixedBytes();
    if (m_layout.variableCount() == 0)
        return endOfData + maskBytes;
    for (const JetColumnLayout &c : m_layout.columns())
        if (!c.fixed && fields[size_t(c.number)].present)
            endOfData += int(fields[size_t(c.number)].bytes.size());
    const int entries = m_layout.variableCount() + 1; // the offsets and the end of data
    if (!m_format.jet3)
        return endOfData + 2 * entries + 2 + maskBytes;
    const int tail = entries + 1 + maskBytes;
    return endOfData + tail + jet3JumpCount(endOfData, tail);
}

int JetRowEncoder::jet3JumpCount(int endOfData, int tailBytes) const
{
    // Readers take the number of jumps from the row's length, (length - 1) /
    // 256, and drop one when the data ends below the last of them: a row
    // whose tail crosses a 256-byte line gets that one as a dummy entry.
    const int needed = endOfData / 256;
    for (int jumps = needed; jumps <= needed + 1; ++jumps)
        if ((endOfData + tailBytes + jumps - 1) / 256 == jumps)
            return jumps;
    throw std::runtime_error("Jet writer: a Jet 3 row's offsets cannot be laid out");
}

QByteArray JetRowEncoder::encode(const std::vector<JetField> &fields) const
{
    const auto &columns = m_layout.columns();
    if (fields.size() != columns.size())
        throw std::logic_error("Jet writer: a row needs one field per column");
    const bool jet3 = m_format.jet3;
    const int countBytes = jet3 ? 1 : 2;
    QByteArray row;
    row.reserve(size(fields));
    if (jet3)
        row.append(char(columns.size()));
    else
        appendLe16(row, quint16(columns.size()));

    row.append(m_layout.fixedBytes(), '\0');
    for (const JetColumnLayout &c : columns) {
        const JetField &f = fields[size_t(c.number)];
        if (c.fixed && f.present && !f.bytes.isEmpty())
            std::memcpy(row.data() + countBytes + c.fixedOffset, f.bytes.constData(),
                        size_t(f.bytes.size()));
    }

    QByteArray mask((int(columns.size()) + 7) / 8, '\0');
    for (const JetColumnLayout &c : columns)
        if (fields[size_t(c.number)].present)
            mask[c.number / 8] = char(mask[c.number / 8] | (1 << (c.number % 8)));

    if (m_layout.variableCount() > 0) {
        // Offsets of the variable columns by their index, then the end of data.
        std::vector<int> offsets(size_t(m_layout.variableCount()) + 1);
        std::vector<const JetColumnLayout *> byIndex(size_t(m_layout.variableCount()));
        for (const JetColumnLayout &c : columns)
            if (!c.fixed)
                byIndex[size_t(c.varIndex)] = &c;
        for (size_t i = 0; i < byIndex.size(); ++i) {
            offsets[i] = int(row.size());
            const JetField &f = fields[size_t(byIndex[i]->number)];
            if (f.present)
                row.append(f.bytes);
        }
        const int endOfData = int(row.size());
        offsets.back() = endOfData;
        if (!jet3) {
            appendLe16(row, quint16(endOfData));
            for (size_t i = byIndex.size(); i-- > 0;)
                appendLe16(row, quint16(offsets[i]));
            appendLe16(row, quint16(byIndex.size()));
        } else {
            row.append(char(endOfData & 0xff));
            for (size_t i = byIndex.size(); i-- > 0;)
                row.append(char(offsets[i] & 0xff));
            const int entries = int(offsets.size());
            const int jumps = jet3JumpCount(endOfData, entries + 1 + int(mask.size()));
            const int needed = endOfData / 256;
            if (jumps > needed)
                row.append(char(0xff));
            // Entry k names the first offset at or past (k + 1) * 256; the
            // entries run backwards, the first one next to the column count.
            for (int k = needed; k >= 1; --k) {
                int first = 0;
                while (offsets[size_t(first)] < k * 256)
                    ++first;
                row.append(char(first));
            }
            row.append(char(byIndex.size()));
        }
    }
    row.append(mask);
    if (row.size() > m_format.maxRowBytes())
        throw std::runtime_error("Jet writer: a row of " + std::to_string(row.size()) +
                                 " bytes does not fit a page");
    return row;
}
