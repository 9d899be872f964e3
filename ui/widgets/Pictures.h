#pragma once

#include "photo/Bitmap.h"

#include <QImage>
#include <QString>

// Between the photo column's bitmaps and what the screen and the clipboard
// know: QImage. Also reads a picture file chosen by the user.
class Pictures
{
public:
    static QImage toImage(const Bitmap &bitmap);
    static Bitmap fromImage(const QImage &image);

    // Reads a picture by its file's extension: a .bmp file as it is; any
    // other kind that the platform reads is turned into a bitmap, so that
    // what the user sees is what is stored. Throws Error when it cannot.
    static Bitmap loadFile(const QString &path);
};
