#pragma once

#include "JetTestWriter.h"

#include <QtEndian>
#include <cstring>

// Where the two versions of the format differ: page size, header sizes and
// the offsets of the table definition. One place, so that the writers below
// never ask which version they write.
struct JetFormat
{
    bool jet3 = false;
    int pageSize = 4096;
    // Data pages: the row count, then the table of row offsets.
    int rowCountOffset = 12;
    // Table definition: fixed header, then one entry per column.
    int tdefRowCountOffset = 16;
    int tdefAutoNumberOffset = 20;
    int tdefTableTypeOffset = 40;
    int tdefHeaderSize = 63;
    int columnEntrySize = 25;
    // A table's usage map row: type, start page and a bitmap of this size.
    int usageMapBitmapBytes = 64;
    // The encoded part of the header page.
    int headerKeyedBytes = 128;

    static JetFormat of(JetFilePlan::Version version)
    {
        JetFormat f;
        if (version == JetFilePlan::Version::Jet3) {
            f.jet3 = true;
            f.pageSize = 2048;
            f.rowCountOffset = 8;
            f.tdefRowCountOffset = 12;
            f.tdefAutoNumberOffset = 16;
            f.tdefTableTypeOffset = 20;
            f.tdefHeaderSize = 43;
            f.columnEntrySize = 18;
            f.usageMapBitmapBytes = 128;
            f.headerKeyedBytes = 126;
        }
        return f;
    }

    int dataPageHeaderSize() const { return rowCountOffset + 2; }
    // The largest row one page can hold, its offset slot included.
    int maxRowBytes() const { return pageSize - dataPageHeaderSize() - 2; }
    // The bytes of one chained long-value row after its pointer to the next.
    int maxChunkBytes() const { return maxRowBytes() - 4; }
    int usageMapRowBytes() const { return 5 + usageMapBitmapBytes; }
};

// Jet keeps a page and a row on it as one 32-bit number: the row in the low byte.
inline quint32 jetPageRow(int page, int row)
{
    return (quint32(page) << 8) | quint32(row);
}

inline void putLe16(char *at, quint16 value)
{
    qToLittleEndian(value, at);
}

inline void putLe32(char *at, quint32 value)
{
    qToLittleEndian(value, at);
}

inline void putLe64(char *at, quint64 value)
{
    qToLittleEndian(value, at);
}

inline void appendLe16(QByteArray &to, quint16 value)
{
    char b[2];
    putLe16(b, value);
    to.append(b, 2);
}

inline void appendLe32(QByteArray &to, quint32 value)
{
    char b[4];
    putLe32(b, value);
    to.append(b, 4);
}

inline void appendLe64(QByteArray &to, quint64 value)
{
    char b[8];
    putLe64(b, value);
    to.append(b, 8);
}

inline quint16 le16At(const char *at)
{
    return qFromLittleEndian<quint16>(at);
}
