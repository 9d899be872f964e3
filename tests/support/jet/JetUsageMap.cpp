#include "JetUsageMap.h"

#include "JetPageFile.h"

#include <algorithm>
#include <stdexcept>

namespace {

void setBit(char *bitmap, qint64 bit)
{
    bitmap[bit / 8] = char(bitmap[bit / 8] | (1 << (bit % 8)));
}

} // namespace

QByteArray JetUsageMap::tableMap(const JetFormat &format, JetPageFile &file, std::vector<int> pages)
{
    std::sort(pages.begin(), pages.end());
    const int rowBytes = format.usageMapRowBytes();
    const int bits = format.usageMapBitmapBytes * 8;
    if (pages.empty() || pages.back() - pages.front() < bits) {
        QByteArray row(rowBytes, '\0');
        const int start = pages.empty() ? 0 : pages.front();
        putLe32(row.data() + 1, quint32(start));
        for (int page : pages)
            setBit(row.data() + 5, page - start);
        return row;
    }
    return referenceMap(format, file, pages, rowBytes, false);
}

QByteArray JetUsageMap::globalMap(const JetFormat &format, JetPageFile &file, int rowBytes)
{
    const qint64 inlineBits = qint64(rowBytes - 5) * 8;
    if (file.pageCount() <= inlineBits) {
        QByteArray row(rowBytes, '\0');
        for (qint64 page = file.pageCount(); page < inlineBits; ++page)
            setBit(row.data() + 5, page);
        return row;
    }
    return referenceMap(format, file, {}, rowBytes, true);
}

QByteArray JetUsageMap::referenceMap(const JetFormat &format, JetPageFile &file,
                                     const std::vector<int> &pages, int rowBytes, bool setPastEnd)
{
    // Map page i covers pages [i * bits, (i + 1) * bits) of the file.
    const int bits = (format.pageSize - 4) * 8;
    const int pointerSlots = (rowBytes - 1) / 4;
    // The global map marks free pages, and its own map pages are not free:
    // count them in before deciding how far the file reaches.
    int mapPages = setPastEnd ? (file.pageCount() + bits - 1) / bits : 0;
    if (setPastEnd)
        while ((file.pageCount() + mapPages + bits - 1) / bits > mapPages)
            ++mapPages;
    std::vector<int> mapPageOf(size_t(pointerSlots), 0);
    auto mapPage = [&](int index) -> char * {
        if (index >= pointerSlots)
            throw std::runtime_error("Jet writer: the file is too large for a usage map");
        if (mapPageOf[size_t(index)] == 0) {
            const int number = file.allocate();
            char *page = file.page(number);
            page[0] = 0x05;
            page[1] = 0x01;
            mapPageOf[size_t(index)] = number;
        }
        return file.page(mapPageOf[size_t(index)]);
    };
    if (setPastEnd) {
        for (int index = 0; index < mapPages; ++index)
            mapPage(index);
        const qint64 end = file.pageCount();
        for (qint64 page = end; page < qint64(mapPages) * bits; ++page)
            setBit(mapPage(int(page / bits)) + 4, page % bits);
    }
    for (int page : pages)
        setBit(mapPage(page / bits) + 4, page % bits);

    QByteArray row(rowBytes, '\0');
    row[0] = 0x01;
    for (int index = 0; index < pointerSlots; ++index)
        putLe32(row.data() + 1 + 4 * index, quint32(mapPageOf[size_t(index)]));
    return row;
}
