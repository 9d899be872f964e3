#pragma once

#include "Bitmap.h"

#include <QByteArray>

// Parses the bytes of one BMP file. Every field is checked against the bytes
// actually present before it is used, so a damaged or hostile file ends in
// Error("Bitmap image is not valid") and never in a read past the data or a
// huge allocation.
class BitmapReader
{
public:
    static Bitmap read(const QByteArray &file);
};
