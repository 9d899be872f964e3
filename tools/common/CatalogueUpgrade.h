#pragma once

#include <QString>

// Brings a catalogue file made by an earlier version of the catalogue tool up
// to the present format: its prices, held then as integer counts of
// ten-thousandths, become the amounts themselves, and the file is marked.
class CatalogueUpgrade
{
public:
    // Returns how many prices were rewritten. Throws Error, with nothing
    // changed, for a file that is not such a catalogue.
    static int run(const QString &path);
};
