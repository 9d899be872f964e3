#pragma once

#include "JetFormat.h"

#include <vector>

class JetPageFile;

// Usage maps: which pages belong to a table (or have room for its rows).
// A map is a row: type 0 holds a start page and a bitmap of the pages after
// it; type 1, for pages spread wider than that bitmap reaches, lists map
// pages (page type 0x05) whose bitmaps cover the whole file in turn.
class JetUsageMap
{
public:
    // A table's map of `pages`, usageMapRowBytes() long; map pages it needs are added to `file`.
    static QByteArray tableMap(const JetFormat &format, JetPageFile &file, std::vector<int> pages);
    // The file's own map on page 1, a row of `rowBytes`: bits set for free
    // pages, which are those past the end. Call it once every other page is in `file`.
    static QByteArray globalMap(const JetFormat &format, JetPageFile &file, int rowBytes);

private:
    static QByteArray referenceMap(const JetFormat &format, JetPageFile &file,
                                   const std::vector<int> &pages, int rowBytes, bool setPastEnd);
};
