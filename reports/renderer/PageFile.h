#pragma once

#include "ReportPages.h"

#include <QByteArray>
#include <QString>

// Produced pages as a file of our own: a magic header, a format version, the
// length and CRC-32 of the body, then the body (title, page size, fonts,
// pictures, pages), all little-endian. Reading checks every count and length
// against what is left of the input before it allocates anything, and
// throws Error for anything that is not such a file or is damaged.
class PageFile
{
public:
    static QByteArray encode(const ReportPages &pages);
    static ReportPages decode(const QByteArray &bytes);

    // Replace the file whole, or leave it as it was. Throw Error.
    static void save(const ReportPages &pages, const QString &fileName);
    static ReportPages load(const QString &fileName);

    // The body's checksum as the header holds it (the common CRC-32).
    static quint32 crc32(const char *data, qint64 size);

    static constexpr char Magic[8] = {'A', 'P', 'R', 'E', 'P', '\r', '\n', '\x1a'};
    // The newest version; pages without barcodes are written as version 1,
    // which programs from before barcodes read too.
    static constexpr quint32 Version = 2;
    static constexpr quint32 FirstVersion = 1;
    static constexpr int HeaderSize = 8 + 4 + 8 + 4;
    // Far beyond any report of a shop's catalogue; a larger file is refused unread.
    static constexpr qint64 MaxFileSize = qint64(1) << 30;
};
