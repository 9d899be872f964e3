#include "PhotoCodec.h"

#include "BitmapReader.h"
#include "BitmapWriter.h"

#include "../recordset/Error.h"

#include <QtEndian>

namespace {

bool hasGraphicHeader(const QByteArray &stored)
{
    if (stored.size() < PhotoCodec::GraphicHeaderSize)
        return false;
    const auto *bytes = reinterpret_cast<const uchar *>(stored.constData());
    return qFromLittleEndian<quint16>(bytes) == 1 &&
           qFromLittleEndian<quint16>(bytes + 2) == 0x0100 &&
           qFromLittleEndian<quint32>(bytes + 4) ==
               quint64(stored.size()) - PhotoCodec::GraphicHeaderSize;
}

} // namespace

QByteArray PhotoCodec::bmpFromColumn(const QByteArray &stored)
{
    if (stored.isEmpty())
        return {};
    const QByteArray bmp = hasGraphicHeader(stored) ? stored.mid(GraphicHeaderSize) : stored;
    if (bmp.size() < 2 || bmp[0] != 'B' || bmp[1] != 'M')
        throw Error(QStringLiteral("Bitmap image is not valid"));
    return bmp;
}

Bitmap PhotoCodec::read(const QByteArray &bmpFile)
{
    return BitmapReader::read(bmpFile);
}

Bitmap PhotoCodec::readColumn(const QByteArray &stored)
{
    const QByteArray bmp = bmpFromColumn(stored);
    return bmp.isEmpty() ? Bitmap() : read(bmp);
}

QByteArray PhotoCodec::write(const Bitmap &bitmap)
{
    return BitmapWriter::write(bitmap);
}
