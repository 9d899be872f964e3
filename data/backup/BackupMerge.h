#pragma once

#include <QString>

// Restores a copy into the catalogue row by row instead of page by page:
// every row the copy lacks is deleted, every row that differs is set to
// the copy's values, every row only the copy has is added back with its
// key, all in one transaction through the catalogue's own connection. The
// journal thereby keeps its records since the copy was made, records the
// restore as one operation, and can undo it.
class BackupMerge
{
public:
    // False, having changed nothing, when the two files cannot be merged
    // (a catalogue without its tables or its journal, a copy of another
    // format); the caller then replaces the file as a whole. Throws
    // StoreError when the engine refuses; nothing is changed then.
    static bool apply(const QString &copy, const QString &catalogue);
};
