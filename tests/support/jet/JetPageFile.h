#pragma once

#include <QByteArray>
#include <deque>

// The pages of a file being written, handed out one after another. A page's
// bytes stay where they are while later pages are added, so the writers may
// keep pointers into pages they still fill in.
class JetPageFile
{
public:
    explicit JetPageFile(int pageSize) : m_pageSize(pageSize) {}

    int allocate();
    int pageCount() const { return int(m_pages.size()); }
    int pageSize() const { return m_pageSize; }
    char *page(int number) { return m_pages.at(size_t(number)).data(); }
    const char *page(int number) const { return m_pages.at(size_t(number)).constData(); }

    // Encodes every page but the first with the database key, as Jet does
    // for an encrypted database.
    void encode(quint32 databaseKey);
    QByteArray bytes() const;

private:
    int m_pageSize;
    std::deque<QByteArray> m_pages;
};
