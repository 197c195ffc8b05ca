#pragma once

#include "ImageCompare.h"
#include "TestData.h"

#include "raster/BitmapIO.h"
#include "raster/BitmapOps.h"
#include "raster/RasterBitmap.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSize>

#include <algorithm>
#include <cstdint>

namespace effects_test {

// A photo-like picture with smooth gradients and hard edges, so that colour steps, blurs
// and scaling all leave their mark.
inline RasterBitmap makePicture(int width, int height, int bitsPerPixel = 24)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* line = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const bool square = ((x / 7) + (y / 5)) % 2 == 0;
            line[3 * x] = std::uint8_t(x * 255 / std::max(1, width - 1));
            line[3 * x + 1] = std::uint8_t(y * 255 / std::max(1, height - 1));
            line[3 * x + 2] = std::uint8_t(square ? 210 : 40);
        }
    }
    if (bitsPerPixel == 8)
        return RasterBitmap(image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither));
    if (bitsPerPixel == 32)
        return RasterBitmap(image.convertToFormat(QImage::Format_RGB32));
    return RasterBitmap(image);
}

// Empty when the portrait cannot be read, which the comparisons then show.
inline RasterBitmap loadPortrait()
{
    RasterBitmap portrait;
    if (!loadBitmap(test_data::testDataPath(QStringLiteral("portrait.png")), portrait, 24))
        return {};
    return portrait;
}

// What a paint routine draws on a canvas of the given size that starts as ground.
template <typename Paint> QImage paintedCanvas(QSize size, const QColor& ground, Paint paint)
{
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(ground);
    QPainter painter(&canvas);
    paint(painter);
    return canvas;
}

// How many pixels of the canvas outside area are not white.
inline int nonWhiteOutside(const QImage& canvas, const QRect& area)
{
    int count = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x)
            count += !area.contains(x, y) && canvas.pixel(x, y) != qRgb(255, 255, 255);
    }
    return count;
}

// Mean difference per channel, in levels, between a preview and the final picture scaled
// down the way the preview source is, so that the figure measures the preview's chain and
// not the difference between the two scalers; -1 when the final picture cannot be scaled.
inline double previewDifference(const RasterBitmap& preview, RasterBitmap final)
{
    if (!sizeBitmap(final, preview.width(), preview.height(), SizeQuality::Fast))
        return -1;
    return image_compare::meanAbsDifference(preview.image(), final.image());
}

} // namespace effects_test
