#include "JetPageFile.h"

#include "JetRc4.h"

int JetPageFile::allocate()
{
    m_pages.emplace_back(m_pageSize, '\0');
    return int(m_pages.size()) - 1;
}

void JetPageFile::encode(quint32 databaseKey)
{
    for (size_t number = 1; number < m_pages.size(); ++number) {
        // The page number mixed into the key keeps equal pages from looking alike.
        const quint32 key = databaseKey ^ quint32(number);
        const unsigned char keyBytes[4] = {quint8(key), quint8(key >> 8), quint8(key >> 16),
                                           quint8(key >> 24)};
        JetRc4(keyBytes, 4).apply(m_pages[number].data(), m_pageSize);
    }
}

QByteArray JetPageFile::bytes() const
{
    QByteArray all;
    all.reserve(qsizetype(m_pages.size()) * m_pageSize);
    for (const QByteArray &page : m_pages)
        all.append(page);
    return all;
}
