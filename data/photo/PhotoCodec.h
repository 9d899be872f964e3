#pragma once

#include "Bitmap.h"

#include <QByteArray>

// The stored form of a photo: NULL, or the bytes of one BMP file, possibly
// behind an 8-byte graphic header that older writers put in front.
class PhotoCodec
{
public:
    // The BMP file held by a stored value; empty for NULL or an empty value.
    // Throws Error("Bitmap image is not valid") when the value is no BMP.
    static QByteArray bmpFromColumn(const QByteArray &stored);

    // The picture of a BMP file; throws Error("Bitmap image is not valid")
    // for anything damaged, truncated or larger than Bitmap's limits.
    static Bitmap read(const QByteArray &bmpFile);

    // The picture of a stored value; a null Bitmap for NULL or an empty value.
    static Bitmap readColumn(const QByteArray &stored);

    // The value to store for a picture; empty (store NULL) for a null Bitmap.
    static QByteArray write(const Bitmap &bitmap);

    static constexpr int GraphicHeaderSize = 8;
};
