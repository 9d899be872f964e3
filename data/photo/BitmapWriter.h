#pragma once

#include "Bitmap.h"

#include <QByteArray>

// Encodes a bitmap as the BMP file that the photo column stores. A picture
// read from a run-length coded file goes back as it was read; every other
// one is written uncompressed, keeping its depth, palette, masks, header
// kind and row order.
class BitmapWriter
{
public:
    // Empty for a null bitmap; throws Error for one whose fields disagree.
    static QByteArray write(const Bitmap &bitmap);
    // A bitmap of 8 or 4 bits (compression Rle8 or Rle4) run-length coded
    // from its rows, as older paint programs saved them: a run of equal
    // pixels as a count and a value, other stretches in absolute mode.
    static QByteArray writeRunLength(const Bitmap &bitmap);
};
