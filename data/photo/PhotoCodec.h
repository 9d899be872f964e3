#pragma once

#include <QByteArray>

// The stored form of a photo: NULL, or the bytes of one BMP file, possibly
// behind an 8-byte graphic header that older writers put in front.
class PhotoCodec
{
public:
    // The BMP file held by a stored value; empty for NULL or an empty value.
    // Throws Error("Bitmap image is not valid") when the value is no BMP.
    static QByteArray bmpFromColumn(const QByteArray &stored);

    static constexpr int GraphicHeaderSize = 8;
};
