#include "Pictures.h"

#include "photo/PhotoCodec.h"
#include "recordset/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <cstring>

QImage Pictures::toImage(const Bitmap &bitmap)
{
    const std::vector<quint32> pixels = bitmap.toArgb();
    if (pixels.empty())
        return {};
    QImage image(bitmap.width, bitmap.height, QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height; ++y)
        std::memcpy(image.scanLine(y), pixels.data() + size_t(y) * size_t(bitmap.width),
                    size_t(bitmap.width) * sizeof(quint32));
    return image;
}

Bitmap Pictures::fromImage(const QImage &image)
{
    if (image.isNull())
        return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<quint32> pixels(size_t(rgb.width()) * size_t(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(pixels.data() + size_t(y) * size_t(rgb.width()), rgb.constScanLine(y),
                    size_t(rgb.width()) * sizeof(quint32));
    return Bitmap::fromArgb(rgb.width(), rgb.height(), pixels.data());
}

Bitmap Pictures::loadFile(const QString &path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    const bool bitmap = extension == QLatin1String("bmp");
    if (!bitmap && !QImageReader::supportedImageFormats().contains(extension.toLatin1()))
        throw Error(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Не удаётся открыть файл «%1»: %2")
                        .arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (bitmap)
        return PhotoCodec::read(bytes);
    QImage image;
    if (!image.loadFromData(bytes, extension.toLatin1().constData()))
        throw Error(QStringLiteral("Рисунок в файле «%1» повреждён или не читается")
                        .arg(QDir::toNativeSeparators(path)));
    return fromImage(image);
}
