#include "JetRowPage.h"

#include <stdexcept>

JetRowPage::JetRowPage(const JetFormat &format, int number, char *data, quint32 owner)
    : m_format(&format), m_number(number), m_data(data), m_top(format.pageSize)
{
    m_data[0] = 0x01; // data page
    m_data[1] = 0x01;
    putLe32(m_data + 4, owner);
    updateHeader();
}

quint32 JetRowPage::longValueTag()
{
    return qFromLittleEndian<quint32>("LVAL");
}

int JetRowPage::freeSpace() const
{
    return m_top - (m_format->dataPageHeaderSize() + 2 * m_rows);
}

bool JetRowPage::fits(int rowBytes) const
{
    return m_rows < MaxRows && freeSpace() >= rowBytes + 2;
}

int JetRowPage::addRow(const char *row, int bytes, quint16 flags)
{
    if (!fits(bytes))
        throw std::logic_error("Jet writer: a row was put on a page without room for it");
    m_top -= bytes;
    if (row)
        std::memcpy(m_data + m_top, row, size_t(bytes));
    putLe16(m_data + m_format->dataPageHeaderSize() + 2 * m_rows, quint16(m_top | flags));
    ++m_rows;
    updateHeader();
    return m_rows - 1;
}

char *JetRowPage::rowData(int row)
{
    const quint16 slot = le16At(m_data + m_format->dataPageHeaderSize() + 2 * row);
    return m_data + (slot & 0x1fff);
}

void JetRowPage::updateHeader()
{
    putLe16(m_data + 2, quint16(freeSpace()));
    putLe16(m_data + m_format->rowCountOffset, quint16(m_rows));
}
