#pragma once

#include <QString>

// Whether a copy can stand in for the catalogue: it opens, it reads back
// without damage, and it holds the catalogue's four tables.
class BackupCheck
{
public:
    // The number of goods in the copy `file`. With `thorough`, every page is
    // read first. Throws Error saying what is wrong with the copy.
    static int goodsIn(const QString &file, bool thorough);
};
