#pragma once

#include <QByteArray>
#include <QImage>

// Encodes a picture as the bytes of a BMP file, in the layouts that older
// writers produced and that the photo column keeps byte for byte. Qt's own
// writer knows only the plain layouts, so the photo codec's writer does it.
class BmpWriter
{
public:
    enum class Kind {
        Rgb24,    // 40-byte header, 24 bits per pixel, uncompressed
        Indexed8, // 40-byte header, 256-colour palette, uncompressed
        Rle8,     // 40-byte header, 8 bits per pixel, BI_RLE8
        Rle4,     // 40-byte header, 16 colours, BI_RLE4
        Core8,    // 12-byte core header, 3-byte palette entries, 8 bits per pixel
    };

    // Rgb24 takes any image. The palette kinds need Format_Indexed8 with at
    // most 256 colours (16 for Rle4); anything else throws std::invalid_argument.
    static QByteArray encode(const QImage &image, Kind kind);

    static constexpr int FileHeaderSize = 14;
    static constexpr int InfoHeaderSize = 40;
    static constexpr int CoreHeaderSize = 12;
    static constexpr quint32 CompressionNone = 0; // BI_RGB
    static constexpr quint32 CompressionRle8 = 1; // BI_RLE8
    static constexpr quint32 CompressionRle4 = 2; // BI_RLE4
};
