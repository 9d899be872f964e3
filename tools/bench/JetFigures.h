#pragma once

#include <QString>

// The conversion of a shop's Jet catalogue at a size: autoparts-newdb
// --from-jet against mdbtools' own mdb-export reading the same four tables
// to CSV, and the conversion's peak memory. The Jet file is made once by the
// tests' writer and kept in `folder`.
class JetFigures
{
public:
    static int measure(const QString &folder, int goods);

    // The steps each measured in a process of its own, so that the
    // conversion's peak memory is its own: making the file, and converting
    // it (which prints its peak).
    static int make(const QString &path, int goods);
    static int convert(const QString &source, const QString &target);
};
