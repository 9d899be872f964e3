#pragma once

#include <QImage>
#include <QList>
#include <QSize>

// Simple recognisable drawings of parts for the photos of a demo catalogue.
// Drawing text needs a QGuiApplication.
class DemoPictures
{
public:
    enum class Subject { BrakeDisc, SparkPlug, OilFilter, Battery, Headlight, Piston, Wheel };

    // A drawing in Format_RGB32, scaled to `size`, with a caption at the bottom.
    static QImage draw(Subject subject, QSize size);

    // The drawing reduced to at most 256 colours, without dithering, so that
    // flat areas stay flat and compress well.
    static QImage toIndexed8(const QImage &picture);
    // The drawing mapped onto `sixteenColours()`, each pixel to the nearest.
    static QImage toIndexed4(const QImage &picture);

    // The palette of a 16-colour picture. The battery is drawn with these
    // colours only, so it loses nothing when mapped onto them.
    static QList<QRgb> sixteenColours();
};
