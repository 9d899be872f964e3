#include "JetLongValueWriter.h"

#include "JetPageFile.h"

#include <stdexcept>

namespace {

void checkLength(const QByteArray &value)
{
    if (value.size() > 0xffffff)
        throw std::runtime_error("Jet writer: a long value holds 16 MB at most");
}

} // namespace

JetLongValueWriter::JetLongValueWriter(const JetFormat &format, JetPageFile &file)
    : m_format(format), m_file(file)
{}

QByteArray JetLongValueWriter::header(int length, quint8 flags, quint32 pointer)
{
    QByteArray bytes(HeaderBytes, '\0');
    putLe32(bytes.data(), quint32(length) | (quint32(flags) << 24));
    putLe32(bytes.data() + 4, pointer);
    return bytes;
}

QByteArray JetLongValueWriter::storeInline(const QByteArray &value)
{
    checkLength(value);
    return header(int(value.size()), 0x80, 0) + value;
}

QByteArray JetLongValueWriter::storeOnOnePage(const QByteArray &value)
{
    checkLength(value);
    if (value.size() > m_format.maxRowBytes())
        throw std::runtime_error("Jet writer: a long value of " + std::to_string(value.size()) +
                                 " bytes does not fit one page");
    char *data = nullptr;
    const quint32 where = placeRow(int(value.size()), &data);
    if (!value.isEmpty())
        std::memcpy(data, value.constData(), size_t(value.size()));
    return header(int(value.size()), 0x40, where);
}

QByteArray JetLongValueWriter::storeChained(const QByteArray &value)
{
    checkLength(value);
    // Each row of the chain starts with the pointer to the next one, zero in
    // the last. The rows are placed first, then each learns where the next went.
    const int chunk = m_format.maxChunkBytes();
    quint32 first = 0;
    char *previous = nullptr;
    qsizetype at = 0;
    do {
        const int bytes = int(std::min<qsizetype>(chunk, value.size() - at));
        char *data = nullptr;
        const quint32 where = placeRow(4 + bytes, &data);
        putLe32(data, 0);
        if (bytes > 0)
            std::memcpy(data + 4, value.constData() + at, size_t(bytes));
        if (previous)
            putLe32(previous, where);
        else
            first = where;
        previous = data;
        at += bytes;
    } while (at < value.size());
    return header(int(value.size()), 0x00, first);
}

quint32 JetLongValueWriter::placeRow(int bytes, char **data)
{
    if (!m_current.isOpen() || !m_current.fits(bytes)) {
        const int number = m_file.allocate();
        m_current = JetRowPage(m_format, number, m_file.page(number), JetRowPage::longValueTag());
        m_pages.push_back(number);
    }
    const int row = m_current.addRow(nullptr, bytes);
    *data = m_current.rowData(row);
    return jetPageRow(m_current.number(), row);
}

std::vector<int> JetLongValueWriter::pagesWithRoom() const
{
    std::vector<int> pages;
    for (int number : m_pages) {
        const char *page = m_file.page(number);
        if (le16At(page + 2) >= 64) // less would not take another value worth keeping
            pages.push_back(number);
    }
    return pages;
}
