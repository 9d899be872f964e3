#pragma once

#include "JetTableLayout.h"

#include <vector>

class JetPageFile;
class JetTextCodec;

// A table's definition (TDEF): counts, the usage maps, one entry per column,
// the column names, and for each long-value column the maps of its pages.
// Spans several pages when it has to, each continuing the one before.
class JetTableDefinition
{
public:
    struct LongValueMaps
    {
        int column = 0;
        quint32 usedPages = 0; // page-row pointers to map rows
        quint32 freePages = 0;
    };

    JetTableDefinition(const JetFormat &format, const JetTableLayout &layout,
                       const JetTextCodec &text);

    bool system = false;
    quint32 rowCount = 0;
    qint32 nextAutoNumber = 0;
    quint32 usedPages = 0;
    quint32 freePages = 0;
    quint16 sortOrder = 0x409;
    quint16 codePage = 1252;
    std::vector<LongValueMaps> longValueMaps;

    // How many pages the definition takes; the same whatever the counts and pointers.
    int pageCount() const;
    // Writes the definition over `pages`, pageCount() of them.
    void write(JetPageFile &file, const std::vector<int> &pages) const;

private:
    QByteArray stream() const;
    void appendColumn(QByteArray &to, const JetColumnLayout &column) const;

    const JetFormat &m_format;
    const JetTableLayout &m_layout;
    const JetTextCodec &m_text;
};
