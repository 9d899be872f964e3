#pragma once

#include "PartCode.h"

#include <QString>

// A barcode laid out as modules, from the barcode library: the bars of the
// symbol with the quiet zones its symbology needs on either side.
struct BarcodeSymbol
{
    // One character per module: '0' space, '1' bar, '2' guard bar (EAN-13's
    // guards reach down between the digit groups).
    QString modules;
    // How far guard bars reach below the others, in modules; 0 without guards.
    int guardDepth = 0;
    // Modules of quiet zone before the first bar and after the last.
    int leftQuiet = 0;
    int rightQuiet = 0;
    // The digits or characters as printed beneath the bars.
    QString text;

    // Encodes `code`; throws Error when the library refuses it.
    static BarcodeSymbol make(const PartCode::Barcode &code);
};
