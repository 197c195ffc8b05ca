#pragma once

#include "raster/RasterBitmap.h"

#include <QByteArray>
#include <QImage>
#include <QList>

#include <initializer_list>
#include <random>

// Small fixtures for pixel tests: images spelled out pixel by pixel, row by row.
namespace pixel_test {

inline QImage imageOf(int width, int height, std::initializer_list<QRgb> pixels,
                      QImage::Format format = QImage::Format_RGB888)
{
    QImage image(width, height, format);
    auto it = pixels.begin();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, *it++);
    return image;
}

inline RasterBitmap bitmapOf(int width, int height, std::initializer_list<QRgb> pixels,
                             QImage::Format format = QImage::Format_RGB888)
{
    return RasterBitmap(imageOf(width, height, pixels, format));
}

inline QImage flatImage(int width, int height, QRgb colour,
                        QImage::Format format = QImage::Format_RGB888)
{
    QImage image(width, height, format);
    image.fill(colour);
    return image;
}

// An 8-bit image whose pixel (x, y) holds index (x + y * width) % colours of the palette.
inline QImage indexedImage(int width, int height, const QList<QRgb>& palette)
{
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorTable(palette);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, uint((x + y * width) % palette.size()));
    return image;
}

// Deterministic noise, every channel independent.
inline QImage noiseImage(int width, int height, unsigned seed,
                         QImage::Format format = QImage::Format_RGB888)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> channel(0, 255);
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(channel(random), channel(random), channel(random)));
    return image;
}

// Indices of an Indexed8 image, top row first.
inline QByteArray indicesOf(const QImage& image)
{
    QByteArray out;
    for (int y = 0; y < image.height(); ++y)
        out.append(reinterpret_cast<const char*>(image.constScanLine(y)), image.width());
    return out;
}

inline QRgb pixelAt(const RasterBitmap& bitmap, int x, int y)
{
    return bitmap.image().pixel(x, y);
}

} // namespace pixel_test
