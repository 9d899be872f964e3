#pragma once

#include "BmpWriter.h"
#include "DemoPictures.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

// Fills new catalogue files: a small demo catalogue to try the program on, and
// large ones to measure it with. Both refuse an existing file (Error) and
// leave no half-filled file behind when they fail. Both draw pictures, so a
// QGuiApplication must exist.
class CatalogueGenerator
{
public:
    // A catalogue with realistic Russian data and photos in every BMP layout
    // the program reads, plus a few rows that show its edge cases.
    static void createDemo(const QString &path);

    // `goodsCount` random goods over fixed reference lists; the same seed
    // gives the same catalogue.
    static void createBenchmark(const QString &path, int goodsCount, quint32 seed);

    static constexpr int BenchmarkCategories = 200;
    static constexpr int BenchmarkMakes = 100;
    static constexpr int BenchmarkCountries = 30;
    // Of every this many goods rows, one carries the photo.
    static constexpr int BenchmarkPhotoInterval = 100;

    // What a photo of the generated catalogues shows and how it is stored.
    struct Photo
    {
        DemoPictures::Subject subject;
        QSize size;
        BmpWriter::Kind kind;
    };
    // The demo catalogue's photos, each stored in one goods row.
    static QList<Photo> demoPhotos();
    // The pixels as encoded: the drawing, reduced to a palette for the
    // palette kinds.
    static QImage photoPixels(const Photo &photo);
    // The stored value: the bytes of the BMP file.
    static QByteArray photoBytes(const Photo &photo);
};
